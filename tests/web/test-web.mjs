// SPDX-License-Identifier: GPL-3.0-or-later
// The browser build in a real browser: serves the folder on 127.0.0.1 with Python's http.server,
// drives Debian's Chromium headless through playwright-core, and checks what a person sees: the
// form's pixels and the names Qt mirrors into the page for screen readers.
//   node tests/web/test-web.mjs build/web [build/web-errorpage]
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { chromium } from 'playwright-core';

const folder = resolve(process.argv[2] ?? 'build/web');
const errorFolder = process.argv[3] ? resolve(process.argv[3]) : null;
const browserPath = process.env.CHROMIUM ?? '/usr/bin/chromium';
const title = 'https://varnelo.bg Varnelo, бензин';
const readout = degrees => `Достигната температура: ${degrees} градуса.`;
const colours = { heated: [210, 30, 30], rest: [100, 130, 230], form: [192, 192, 255] };

function serve(directory) {
    return new Promise((resolveServer, reject) => {
        const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1',
                                         '--directory', directory], { stdio: ['ignore', 'pipe', 'ignore'] });
        server.stdout.on('data', data => {
            const port = /port (\d+)/.exec(String(data));
            if (port)
                resolveServer({ server, url: `http://127.0.0.1:${port[1]}/` });
        });
        server.on('exit', code => reject(new Error(`http.server ended with ${code}`)));
    });
}

let failures = 0;
async function check(name, body) {
    const started = Date.now();
    try {
        const note = await body();
        console.log(`PASS   ${name} (${Date.now() - started} ms)${note ? `: ${note}` : ''}`);
    } catch (error) {
        failures++;
        console.log(`FAIL!  ${name}: ${error.message}`);
    }
}
function expect(condition, message) {
    if (!condition)
        throw new Error(message);
}
// Retries a look at the page until it holds: the program answers on its own animation frames.
async function until(look, what, ms = 10000) {
    const limit = Date.now() + ms;
    let last;
    for (;;) {
        last = await look();
        if (last.ok)
            return last;
        if (Date.now() > limit)
            throw new Error(`${what}; saw ${JSON.stringify(last.seen)}`);
        await new Promise(r => setTimeout(r, 50));
    }
}

// Opens a page and waits for the form: a window canvas painted mostly in the form's colour.
// Returns the milliseconds from navigation start to that first painted form, as the page timed them.
async function openForm(page, url) {
    await page.goto(url);
    return page.evaluate(form => new Promise((shown, reject) => {
        const limit = performance.now() + 60000;
        const look = () => {
            const screen = document.querySelector('#screen') ?? document.body;
            const canvases = [...screen.querySelectorAll('*')].flatMap(
                element => [...(element.shadowRoot?.querySelectorAll('canvas') ?? [])]);
            for (const canvas of canvases) {
                if (canvas.width < 200 || canvas.height < 200)
                    continue;
                const { data } = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
                let formPixels = 0;
                for (let i = 0; i < data.length; i += 4)
                    formPixels += data[i] === form[0] && data[i + 1] === form[1] && data[i + 2] === form[2];
                if (formPixels > data.length / 16)
                    return shown(performance.now());
            }
            if (performance.now() > limit)
                return reject(new Error('no form painted within 60 s'));
            requestAnimationFrame(look);
        };
        look();
    }), colours.form);
}

// The colour drawn at a point of the page, read from the window canvas under it.
function pixelAt(page, x, y) {
    return page.evaluate(([x, y]) => {
        const screen = document.querySelector('#screen') ?? document.body;
        const canvases = [...screen.querySelectorAll('*')].flatMap(
            element => [...(element.shadowRoot?.querySelectorAll('canvas') ?? [])]);
        for (const canvas of canvases) {
            const box = canvas.getBoundingClientRect();
            if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) {
                const scale = canvas.width / box.width;
                return [...canvas.getContext('2d').getImageData(Math.floor((x - box.left) * scale),
                                                                Math.floor((y - box.top) * scale), 1, 1).data]
                    .slice(0, 3);
            }
        }
        return null;
    }, [x, y]);
}
const sameColour = (a, b) => a && a.every((v, i) => Math.abs(v - b[i]) <= 2);

// Presses Qt's hidden "Enable Screen Reader" button, as a screen reader user does, so that the
// controls are mirrored into the page with their names, values and places.
async function enableScreenReader(page) {
    await page.locator('button', { hasText: 'Enable Screen Reader' }).first().evaluate(b => b.click());
    await page.locator('[id="QApplication.Varnelo.VScroll1"]').waitFor({ state: 'attached' });
}
async function readoutText(page) {
    return page.locator('[id="QApplication.Varnelo.Label1(1)"]').textContent();
}
async function readoutShows(page, degrees) {
    await until(async () => {
        const seen = await readoutText(page);
        return { ok: seen === readout(degrees), seen };
    }, `read-out "${readout(degrees)}"`);
}
async function scrollValue(page) {
    return Number(await page.locator('[id="QApplication.Varnelo.VScroll1"]').getAttribute('aria-valuenow'));
}
async function boxOf(page, locator) {
    const box = await locator.boundingBox();
    expect(box, `no place on the page for ${locator}`);
    return box;
}
// A click on a row of the list as it first shows: Qt mirrors no list rows into the page, so the
// place comes from the design (List1 at 184,80 px in the form) and the 18 px rows of its 16 px serif.
async function clickRow(page, row) {
    const form = await boxOf(page, page.locator('canvas.qt-window-content').first());
    await page.mouse.click(form.x + 184 + 100, form.y + 80 + 1 + 18 * row + 9);
}
const rows = { naphtha: 2, kerosene: 3 };
// Rows of the scroll bar's middle column, as colours from top to bottom.
async function scrollColumn(page) {
    const bar = await boxOf(page, page.locator('[id="QApplication.Varnelo.VScroll1"]'));
    const column = [];
    for (let y = Math.ceil(bar.y); y < bar.y + bar.height; y += 1)
        column.push(await pixelAt(page, bar.x + bar.width / 2, y));
    return { bar, column };
}

const { server, url } = await serve(folder);
const profile = mkdtempSync(join(tmpdir(), 'varnelo-chromium-'));
const context = await chromium.launchPersistentContext(profile, {
    executablePath: browserPath,
    headless: true,
    viewport: { width: 1024, height: 768 },
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const foreign = [];
await context.route('**/*', route => {
    const requested = new URL(route.request().url());
    if (requested.hostname === '127.0.0.1')
        return route.continue();
    foreign.push(requested.href);
    return route.abort();
});
const page = await context.newPage();
const shots = process.env.VARNELO_WEB_SHOTS;

await check('the page loads, titled like the window, and the form appears centred', async () => {
    const ms = await openForm(page, url);
    expect(await page.title() === title, `title "${await page.title()}"`);
    await enableScreenReader(page);
    // The form's client area lies in the middle of the page, frame and all.
    const bar = await boxOf(page, page.locator('[id="QApplication.Varnelo.VScroll1"]'));
    expect(bar.x > 200 && bar.x < 600 && bar.y > 150 && bar.y < 450, `scroll bar at ${bar.x},${bar.y}`);
    expect(await scrollValue(page) === 500, 'the scroll bar does not start at 500');
    return `shown ${Math.round(ms)} ms after navigation`;
});
if (shots)
    await page.screenshot({ path: join(shots, 'web-start.png') });

await check('an up-arrow click reads 0 degrees', async () => {
    const bar = await boxOf(page, page.locator('[id="QApplication.Varnelo.VScroll1"]'));
    await page.mouse.click(bar.x + bar.width / 2, bar.y + bar.width / 2);
    await readoutShows(page, 0);
    expect(await scrollValue(page) === 499, `value ${await scrollValue(page)}`);
});

await check('picking naphtha reads 159, moves the thumb and heats the bar up to it', async () => {
    const before = await scrollColumn(page);
    await clickRow(page, rows.naphtha);
    await readoutShows(page, 159);
    expect(await scrollValue(page) === 340, `value ${await scrollValue(page)}`);
    const after = await scrollColumn(page);
    // The thumb sat at the bottom of the track; now the rows around 340/500 of it changed too.
    const changed = before.column.map((c, i) => !sameColour(c, after.column[i]));
    const arrow = before.bar.width;
    const track = before.bar.height - 2 * arrow;
    const near = share => changed.slice(Math.round(arrow + track * share) - 8, Math.round(arrow + track * share) + 8)
        .some(Boolean);
    expect(near(0.97), 'nothing changed where the thumb was');
    expect(near(0.68), 'nothing changed where the thumb should be now');
    expect(!near(0.3), 'the track changed far above the thumb');
    // The bar: blue above the level line (68 % down), red below it.
    const picture = await boxOf(page, page.locator('[id="QApplication.Varnelo.Picture1"]'));
    const x = picture.x + picture.width / 2;
    const upper = await pixelAt(page, x, picture.y + picture.height * 0.4);
    const lower = await pixelAt(page, x, picture.y + picture.height * 0.9);
    expect(sameColour(upper, colours.rest) && sameColour(lower, colours.heated),
           `bar colours ${upper} above, ${lower} below`);
});
if (shots)
    await page.screenshot({ path: join(shots, 'web-naphtha.png') });

await check('picking gas oil lands on fuel oil', async () => {
    await clickRow(page, rows.kerosene);
    await readoutShows(page, 229);
    // Gas oil's row shows its top few pixels below kerosene's. Its limit, 430, is where fuel oil
    // begins: the bar stops there and the list ends on fuel oil, its last row, scrolled into view.
    const form = await boxOf(page, page.locator('canvas.qt-window-content').first());
    await page.mouse.click(form.x + 184 + 100, form.y + 80 + 1 + 18 * 4 + 3);
    await readoutShows(page, 430);
    expect(await scrollValue(page) === 70, `value ${await scrollValue(page)}`);
    // The selection's highlight, seen in the list's left margin where no text is drawn. The list
    // scrolls by whole rows: with fuel oil in view it shows naphtha to fuel oil, fuel oil fourth.
    const marked = [];
    for (let y = 2; y < 78; ++y) {
        const colour = await pixelAt(page, form.x + 184 + 2, form.y + 80 + y);
        if (!sameColour(colour, [255, 255, 255]))
            marked.push(y);
    }
    expect(Math.abs(marked[0] - (1 + 18 * 3)) <= 1 && Math.abs(marked.length - 18) <= 1,
           `highlighted rows of the list at ${marked}`);
});

await check('a keyboard step moves the scroll bar', async () => {
    // Back to the list's neighbour in the tab order, the scroll bar, then one step towards cold.
    await page.keyboard.press('Shift+Tab');
    const before = await scrollValue(page);
    await page.keyboard.press('ArrowDown');
    await until(async () => {
        const seen = await scrollValue(page);
        return { ok: seen === before + 1, seen };
    }, `value ${before + 1} after ArrowDown`);
    // Home is the hot end: 500 degrees.
    await page.keyboard.press('Home');
    await readoutShows(page, 500);
});

await check('nothing is fetched from anywhere but the server', async () => {
    expect(foreign.length === 0, foreign.join(', '));
});

if (errorFolder) {
    const errors = await serve(errorFolder);
    await check('the run-time error report appears and closing it ends the program', async () => {
        const errorPage = await context.newPage();
        await openForm(errorPage, `${errors.url}errorpage.html`);
        await enableScreenReader(errorPage);
        const message = await until(async () => {
            const seen = await errorPage.locator('textarea').allTextContents();
            return { ok: seen.some(t => t.includes("Run-time error '6'")), seen };
        }, 'the report of error 6');
        if (shots)
            await errorPage.screenshot({ path: join(shots, 'web-error.png') });
        await errorPage.keyboard.press('Enter');
        await until(async () => {
            const seen = await errorPage.locator('#qtstatus').textContent();
            return { ok: /exit with code 1/.test(seen), seen };
        }, 'the program ended with code 1');
        await errorPage.close();
        return message.seen.find(t => t.includes('Run-time')).replace(/\n+/g, ' ');
    });
    errors.server.kill();
}

await context.close();
server.kill();
rmSync(profile, { recursive: true, force: true });
console.log(failures ? `${failures} failed` : 'all passed');
process.exit(failures ? 1 : 0);

// SPDX-License-Identifier: GPL-3.0-or-later
// The browser build in a real browser: serves the folder on 127.0.0.1 with Python's http.server,
// drives Debian's Chromium headless through playwright-core, and checks what a person sees: the
// form's pixels and the names Qt mirrors into the page for screen readers.
//   node tests/web/test-web.mjs build/web [build/web-errorpage [build/web-bare]]
import { createHash } from 'node:crypto';
import { mkdirSync, mkdtempSync, readdirSync, readFileSync, renameSync, rmSync, symlinkSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { chromium } from 'playwright-core';
import { formShown, openForm, serve } from './page.mjs';

const folder = resolve(process.argv[2] ?? 'build/web');
const errorFolder = process.argv[3] ? resolve(process.argv[3]) : null;
// Another build laid out the same way, with files of its own: the bare window.
const laterFolder = process.argv[4] ? resolve(process.argv[4]) : null;
const browserPath = process.env.CHROMIUM ?? '/usr/bin/chromium';
const title = 'https://varnelo.bg Varnelo, бензин';
const readout = degrees => `Достигната температура: ${degrees} градуса.`;
const colours = { heated: [210, 30, 30], rest: [100, 130, 230], form: [192, 192, 255] };

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

// Presses Qt's hidden button that turns on what screen readers need, as a screen reader user does,
// so that the controls are mirrored into the page with their names, values and places. The page
// names it in Bulgarian.
async function enableScreenReader(page) {
    await page.locator('button', { hasText: 'Включи поддръжката на екранен четец' }).first().evaluate(b => b.click());
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
// The status a page shows instead of the program: announced to screen readers, legible (WCAG AA's
// 4.5:1 contrast), and its button visible with the focus, so that Enter reaches it at once.
// The focus follows the status a moment later, once the program's last task has ended.
async function statusReadable(page, button) {
    await until(async () => {
        const seen = await page.evaluate(button => {
            const message = document.getElementById('message');
            const rgb = text => text.match(/[\d.]+/g).slice(0, 3).map(Number);
            const luminance = colour => {
                const [r, g, b] = colour.map(v => (v /= 255) <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4);
                return 0.2126 * r + 0.7152 * g + 0.0722 * b;
            };
            const [light, dark] = [getComputedStyle(message).color, getComputedStyle(message.parentElement).backgroundColor]
                .map(colour => luminance(rgb(colour))).sort((a, b) => b - a);
            return { role: message.getAttribute('role'), contrast: (light + 0.05) / (dark + 0.05),
                     focused: document.activeElement?.id, shown: document.getElementById(button).offsetHeight > 0 };
        }, button);
        return { ok: seen.role === 'status' && seen.contrast >= 4.5 && seen.focused === button && seen.shown, seen };
    }, 'a readable status with its button focused', 2000);
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

await check('closing the window leaves a page that says the program ended, whose button starts it again', async () => {
    await page.locator('.qt-window .title-bar .image-button').last().click();
    await page.locator('body[data-state="ended"]').waitFor({ timeout: 10000 });
    expect(await page.locator('#message').textContent() === 'Програмата приключи.', 'no ended message');
    await statusReadable(page, 'restart');
    if (shots)
        await page.screenshot({ path: join(shots, 'web-ended.png') });
    await page.locator('#restart').click();
    await formShown(page);
    await enableScreenReader(page);
    expect(await scrollValue(page) === 500, `value ${await scrollValue(page)} after the restart`);
});

if (errorFolder) {
    const errors = await serve(errorFolder);
    await check('the run-time error report appears and closing it ends the program, leaving the ended page', async () => {
        const errorPage = await context.newPage();
        await openForm(errorPage, errors.url);
        await enableScreenReader(errorPage);
        const message = await until(async () => {
            const seen = await errorPage.locator('textarea').allTextContents();
            return { ok: seen.some(t => t.includes("Run-time error '6'")), seen };
        }, 'the report of error 6');
        if (shots)
            await errorPage.screenshot({ path: join(shots, 'web-error.png') });
        await errorPage.keyboard.press('Enter');
        await errorPage.locator('body[data-state="ended"]').waitFor({ timeout: 10000 });
        const code = await errorPage.locator('body').getAttribute('data-exit-code');
        expect(code === '1', `the program ended with code ${code}`);
        expect(await errorPage.locator('#restart').isVisible(), 'no restart button');
        await errorPage.close();
        return message.seen.find(t => t.includes('Run-time')).replace(/\n+/g, ' ');
    });
    errors.server.kill();
}


// Phones and tablets, as Chromium emulates them (a touch screen, a mobile viewport), with the folder
// served compressed: the whole form on the screen, and a finger doing what the mouse does.
const compressed = await serve(folder, true);
const mobileBrowser = await chromium.launch({
    executablePath: browserPath,
    headless: true,
    // school.test stands for a school's server reached over plain HTTP: not a secure context.
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync',
           '--host-resolver-rules=MAP school.test 127.0.0.1'],
});
const devices = {
    'a phone upright': { viewport: { width: 360, height: 740 }, deviceScaleFactor: 3 },
    'a phone on its side': { viewport: { width: 740, height: 360 }, deviceScaleFactor: 3 },
    'a tablet': { viewport: { width: 768, height: 1024 }, deviceScaleFactor: 2 },
};
const mobileContexts = [];
async function mobilePage(device) {
    const mobile = await mobileBrowser.newContext({ ...devices[device], isMobile: true, hasTouch: true });
    mobile.on('request', request => {
        const host = new URL(request.url()).hostname;
        if (host !== '127.0.0.1' && host !== 'school.test')
            foreign.push(request.url());
    });
    mobileContexts.push(mobile);
    const mobilePageOpened = await mobile.newPage();
    return { mobile, page: mobilePageOpened, cdp: await mobile.newCDPSession(mobilePageOpened) };
}
// Where the window, its canvas and the page lie, in the page's own (layout) pixels, and how much of
// the page the screen shows (the visual viewport).
function layoutOf(page) {
    return page.evaluate(() => {
        const inShadows = selector => [...document.querySelectorAll('*')]
            .map(element => element.shadowRoot?.querySelector(selector)).find(Boolean);
        const box = element => { const r = element.getBoundingClientRect(); return { left: r.left, top: r.top, right: r.right, bottom: r.bottom }; };
        const canvas = inShadows('canvas.qt-window-content');
        const visual = window.visualViewport;
        return {
            window: box(inShadows('.qt-window')),
            canvas: { ...box(canvas), pixels: canvas.width },
            ratio: window.devicePixelRatio,
            seen: { left: visual.offsetLeft, top: visual.offsetTop, right: visual.offsetLeft + visual.width,
                    bottom: visual.offsetTop + visual.height, scale: visual.scale },
            page: { width: document.documentElement.clientWidth, scrollWidth: document.documentElement.scrollWidth },
        };
    });
}
// A finger, through Chromium's own touch input: the page sees pointer events of type touch.
async function finger(cdp, type, point) {
    await cdp.send('Input.dispatchTouchEvent', { type, touchPoints: point ? [{ x: point.x, y: point.y }] : [] });
}
async function fingerTap(cdp, point) {
    await finger(cdp, 'touchStart', point);
    await finger(cdp, 'touchEnd');
}
// Points of the form in the coordinates input is given in: the design's pixels scaled as the page
// shows them.
async function formPoint(page, x, y) {
    const box = await boxOf(page, page.locator('canvas.qt-window-content').first());
    const scale = box.width / 476;
    return { x: box.x + x * scale, y: box.y + y * scale };
}
async function upArrow(page) {
    const bar = await boxOf(page, page.locator('[id="QApplication.Varnelo.VScroll1"]'));
    return { x: bar.x + bar.width / 2, y: bar.y + bar.width / 2 };
}
// The thumb at the cold end (value 500): just above the lower arrow.
async function thumbAtBottom(page) {
    const bar = await boxOf(page, page.locator('[id="QApplication.Varnelo.VScroll1"]'));
    return { x: bar.x + bar.width / 2, y: bar.y + bar.height - bar.width - 5 * (bar.width / 25) };
}

for (const device of Object.keys(devices)) {
    await check(`on ${device} the whole form is on the screen, centred, sharp, without sideways scrolling`, async () => {
        const { page: mobile } = await mobilePage(device);
        await openForm(mobile, compressed.url);
        const at = await layoutOf(mobile);
        const { window: w, seen } = at;
        expect(w.left >= seen.left && w.right <= seen.right && w.top >= seen.top && w.bottom <= seen.bottom,
               `window ${JSON.stringify(w)} outside what the screen shows ${JSON.stringify(seen)}`);
        expect(at.page.scrollWidth <= at.page.width && seen.right - seen.left >= at.page.width - 1,
               `the page is ${at.page.scrollWidth} wide, ${seen.right - seen.left} of ${at.page.width} shown`);
        const sideways = (w.left - seen.left) - (seen.right - w.right);
        const upright = (w.top - seen.top) - (seen.bottom - w.bottom);
        expect(Math.abs(sideways) <= 2 && Math.abs(upright) <= 2, `off centre by ${sideways}, ${upright}`);
        // Sharp: the canvas has a pixel for each device pixel it covers on the screen, zoom included,
        // and at the page's own size it starts on a whole device pixel.
        const { canvas, ratio } = at;
        const shown = ratio * seen.scale;
        expect(Math.abs(canvas.pixels - (canvas.right - canvas.left) * shown) < 1.5 &&
               (seen.scale !== 1 || Math.abs(canvas.left * ratio - Math.round(canvas.left * ratio)) < 0.01),
               `canvas of ${canvas.pixels} pixels over ${canvas.right - canvas.left} CSS px at ${ratio} x ${seen.scale}, from ${canvas.left}`);
        if (shots && device === 'a phone upright')
            await mobile.screenshot({ path: join(shots, 'web-phone.png') });
        return `zoom ${seen.scale.toFixed(2)}`;
    });
}

await check('on a phone, taps on the up arrow and on a row give the desktop\'s read-outs', async () => {
    const { page: mobile, cdp } = await mobilePage('a phone upright');
    await openForm(mobile, compressed.url);
    await enableScreenReader(mobile);
    await fingerTap(cdp, await upArrow(mobile));
    await readoutShows(mobile, 0);
    expect(await scrollValue(mobile) === 499, `value ${await scrollValue(mobile)}`);
    await fingerTap(cdp, await formPoint(mobile, 184 + 100, 80 + 1 + 18 * rows.naphtha + 9));
    await readoutShows(mobile, 159);
    expect(await scrollValue(mobile) === 340, `value ${await scrollValue(mobile)}`);
});

await check('on a phone, a finger dragging the thumb moves it as the mouse does, the change at release', async () => {
    // The same drag, by finger on one page and by mouse on another.
    const drag = async (by) => {
        const { page: mobile, cdp } = await mobilePage('a phone upright');
        await openForm(mobile, compressed.url);
        await enableScreenReader(mobile);
        const before = await readoutText(mobile);
        const from = await thumbAtBottom(mobile);
        const to = y => ({ x: from.x, y: from.y - y });
        if (by === 'finger') {
            await finger(cdp, 'touchStart', from);
            for (let y = 10; y <= 120; y += 10)
                await finger(cdp, 'touchMove', to(y));
        } else {
            await mobile.mouse.move(from.x, from.y);
            await mobile.mouse.down();
            for (let y = 10; y <= 120; y += 10)
                await mobile.mouse.move(to(120).x, to(y).y);
        }
        await new Promise(r => setTimeout(r, 300));
        const during = await readoutText(mobile);
        if (by === 'finger')
            await finger(cdp, 'touchEnd');
        else
            await mobile.mouse.up();
        const after = await until(async () => {
            const seen = await readoutText(mobile);
            return { ok: seen !== before, seen };
        }, `a new read-out after the ${by} is lifted`);
        return { before, during, after: after.seen, value: await scrollValue(mobile) };
    };
    const byFinger = await drag('finger');
    const byMouse = await drag('mouse');
    expect(byFinger.during === byFinger.before, `the read-out changed during the drag: ${byFinger.during}`);
    expect(byFinger.value < 500, `the thumb did not move: ${byFinger.value}`);
    expect(byFinger.value === byMouse.value && byFinger.after === byMouse.after,
           `finger ${byFinger.value} "${byFinger.after}", mouse ${byMouse.value} "${byMouse.after}"`);
    return `${byFinger.value}: ${byFinger.after}`;
});

await check('on a phone, a cancelled touch leaves nothing stuck: the next taps step by one each', async () => {
    const { page: mobile, cdp } = await mobilePage('a phone upright');
    await openForm(mobile, compressed.url);
    await enableScreenReader(mobile);
    const from = await thumbAtBottom(mobile);
    await finger(cdp, 'touchStart', from);
    await finger(cdp, 'touchMove', { x: from.x, y: from.y - 40 });
    await finger(cdp, 'touchCancel');
    await new Promise(r => setTimeout(r, 300));
    const settled = await scrollValue(mobile);
    for (const step of [1, 2]) {
        await fingerTap(cdp, await upArrow(mobile));
        await until(async () => {
            const seen = await scrollValue(mobile);
            return { ok: seen === settled - step, seen };
        }, `value ${settled - step} after tap ${step} following the cancelled touch`);
    }
});

await check('a server without HTTPS (not localhost) still runs the page, without the offline copy', async () => {
    const { page: mobile } = await mobilePage('a tablet');
    await openForm(mobile, compressed.url.replace('127.0.0.1', 'school.test'));
    const offline = await mobile.evaluate(() => ({ secure: window.isSecureContext, worker: 'serviceWorker' in navigator }));
    expect(!offline.secure && !offline.worker, JSON.stringify(offline));
});

await check('installable: Chromium reports no installability errors', async () => {
    // Not in an incognito-like context: installing needs a profile.
    const installProfile = mkdtempSync(join(tmpdir(), 'varnelo-chromium-'));
    const installing = await chromium.launchPersistentContext(installProfile, {
        executablePath: browserPath, headless: true, ...devices['a phone upright'], isMobile: true, hasTouch: true,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-sync',
               '--disable-background-networking', '--disable-component-update'],
    });
    try {
        const mobile = await installing.newPage();
        const cdp = await installing.newCDPSession(mobile);
        await openForm(mobile, compressed.url);
        await mobile.evaluate(() => navigator.serviceWorker.ready);
        const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
        expect(installabilityErrors.length === 0, JSON.stringify(installabilityErrors));
        const manifest = await cdp.send('Page.getAppManifest');
        expect(manifest.errors.length === 0, JSON.stringify(manifest.errors));
    } finally {
        await installing.close();
        rmSync(installProfile, { recursive: true, force: true });
    }
});

await check('after one visit the program opens with the server stopped', async () => {
    const { mobile, page: first } = await mobilePage('a phone upright');
    await openForm(first, compressed.url);
    // ready resolves once a worker is active, which it is while still activating: on a busy machine
    // that lasts a moment, and the offline copy is the activated worker's.
    await until(async () => {
        const seen = await first.evaluate(async () => (await navigator.serviceWorker.ready).active.state);
        return { ok: seen === 'activated', seen };
    }, 'the service worker activated');
    compressed.server.kill();
    await new Promise(r => compressed.server.once('exit', r));
    // Only the offline copy is left: not the browser's own HTTP cache either.
    await (await mobile.newCDPSession(first)).send('Network.clearBrowserCache');
    await first.close();
    const again = await mobile.newPage();
    const ms = await openForm(again, compressed.url);
    await enableScreenReader(again);
    expect(await scrollValue(again) === 500, `value ${await scrollValue(again)}`);
    return `shown ${Math.round(ms)} ms after navigation, from the offline copy`;
});

if (laterFolder) {
    await check('a new build replaces the old one on a later visit, never a mix of old and new files', async () => {
        // One address, whose folder is swapped from this build to the other between visits.
        const swap = mkdtempSync(join(tmpdir(), 'varnelo-site-'));
        const site = join(swap, 'site');
        symlinkSync(folder, site);
        const served = await serve(site, true);
        const visitor = await mobileBrowser.newContext({ viewport: { width: 1024, height: 768 } });
        const sha = bytes => createHash('sha256').update(bytes).digest('hex');
        const filesOf = dir => Object.fromEntries(readdirSync(dir).filter(name => !/\.(gz|br)$/.test(name))
            .map(name => [name, sha(readFileSync(join(dir, name)))]));
        const builds = { old: filesOf(folder), new: filesOf(laterFolder) };
        const cacheOf = dir => `varnelo ${served.url} ${/const build = '([^']+)'/.exec(readFileSync(join(dir, 'sw.js'), 'utf8'))[1]}`;
        try {
            // A visit: the files the page ran from (the worker's script aside: the browser fetches it
            // from the server to look for a new build), and which build each of them is.
            const visit = async () => {
                const page = await visitor.newPage();
                const bodies = [];
                page.on('response', response => {
                    const name = new URL(response.url()).pathname.slice(1) || 'index.html';
                    if (response.url().startsWith(served.url) && name !== 'sw.js')
                        bodies.push(response.body().then(body => [name, sha(body)]));
                });
                await openForm(page, served.url);
                // Whatever the browser found at the address has finished installing.
                await page.evaluate(async () => {
                    const registration = await navigator.serviceWorker.ready;
                    await registration.update();
                    while (registration.installing)
                        await new Promise(r => setTimeout(r, 50));
                });
                const ran = await Promise.all(bodies);
                // Files both builds share say nothing of which one ran.
                const from = new Set(ran.map(([name, hash]) =>
                    Object.keys(builds).filter(build => builds[build][name] === hash).join('+') || `neither (${name})`));
                from.delete('old+new');
                const form = await boxOf(page, page.locator('canvas.qt-window-content').first());
                // The program's list (at 184,80) is white in its left margin; the bare window is the form's colour there.
                const list = await pixelAt(page, form.x + 184 + 2, form.y + 80 + 1 + 18 + 9);
                const controlled = await page.evaluate(() => navigator.serviceWorker.controller !== null);
                return { page, from, ran, list, controlled };
            };
            const first = await visit();
            await first.page.close();
            const second = await visit();
            expect(second.controlled && second.from.size === 1 && second.from.has('old') &&
                   sameColour(second.list, [255, 255, 255]),
                   `the second visit ran from ${[...second.from]}, list ${second.list}, controlled ${second.controlled}`);
            await second.page.close();
            const next = join(swap, 'next');
            symlinkSync(laterFolder, next);
            renameSync(next, site);
            const seen = [];
            let last;
            for (let visits = 0; visits < 5; ++visits) {
                last = await visit();
                await last.page.close();
                const ranFrom = [...last.from];
                seen.push(ranFrom.join(' and '));
                expect(ranFrom.length === 1, `a visit ran from ${ranFrom.join(' and ')}: ${JSON.stringify(last.ran)}`);
                if (ranFrom[0] === 'new')
                    break;
            }
            expect(last.from.has('new') && sameColour(last.list, colours.form),
                   `visits after the swap ran from ${seen.join(', ')}; the list's place shows ${last.list}`);
            // The offline copy now: only the new build's cache, each file equal to the new folder's.
            const page = await visitor.newPage();
            await openForm(page, served.url);
            const caches = await page.evaluate(async () => {
                const hex = buffer => [...new Uint8Array(buffer)].map(b => b.toString(16).padStart(2, '0')).join('');
                const found = {};
                for (const name of await caches.keys()) {
                    const cache = await caches.open(name);
                    found[name] = {};
                    for (const request of await cache.keys()) {
                        const body = await (await cache.match(request)).arrayBuffer();
                        found[name][new URL(request.url).pathname.slice(1)] = hex(await crypto.subtle.digest('SHA-256', body));
                    }
                }
                return found;
            });
            await page.close();
            const names = Object.keys(caches);
            expect(names.length === 1 && names[0] === cacheOf(laterFolder) && names[0] !== cacheOf(folder),
                   `caches ${names}; the new build's is ${cacheOf(laterFolder)}`);
            const kept = caches[names[0]];
            const expected = Object.keys(builds.new).filter(name => name !== 'sw.js').sort();
            expect(JSON.stringify(Object.keys(kept).sort()) === JSON.stringify(expected),
                   `the cache holds ${Object.keys(kept).sort()}`);
            const differing = expected.filter(name => kept[name] !== builds.new[name]);
            expect(differing.length === 0, `cached files differ from the new build's: ${differing}`);
            return `visits after the swap ran from ${seen.join(', ')}`;
        } finally {
            await visitor.close();
            served.server.kill();
            rmSync(swap, { recursive: true, force: true });
        }
    });
}

// A folder laid out for one check: each entry a path to link to, or a file's new content.
function site(entries) {
    const root = mkdtempSync(join(tmpdir(), 'varnelo-site-'));
    for (const [name, entry] of Object.entries(entries)) {
        mkdirSync(dirname(join(root, name)), { recursive: true });
        if (typeof entry === 'string')
            symlinkSync(entry, join(root, name));
        else if (entry)
            writeFileSync(join(root, name), entry.content);
    }
    return root;
}
// The build folder with some of its files left out (null) or replaced ({ content }).
const damagedCopy = (from, changes) => site(Object.fromEntries(readdirSync(from).map(
    name => [name, name in changes ? changes[name] : join(from, name)])));
// The server stopped and the browser's own HTTP cache emptied, so that only the offline copy is left.
const stop = async (served, visitor) => {
    served.server.kill();
    await new Promise(r => served.server.once('exit', r));
    if (visitor) {
        const page = await visitor.newPage();
        await (await visitor.newCDPSession(page)).send('Network.clearBrowserCache');
        await page.close();
    }
};
// Which build a page runs: the program's list is white in its left margin, the bare window is not.
async function runs(page) {
    const form = await boxOf(page, page.locator('canvas.qt-window-content').first());
    const list = await pixelAt(page, form.x + 184 + 2, form.y + 80 + 1 + 18 + 9);
    return sameColour(list, [255, 255, 255]) ? 'program' : sameColour(list, colours.form) ? 'bare window' : `${list}`;
}
// Whatever the browser found for the page's offline copy has finished installing or failed to.
function workerSettled(page) {
    return page.evaluate(async () => {
        const registration = await navigator.serviceWorker.ready;
        await registration.update().catch(() => {});
        for (let i = 0; i < 600 && (registration.installing || registration.active?.state !== 'activated'); ++i)
            await new Promise(r => setTimeout(r, 50));
        return { waiting: !!registration.waiting, caches: await caches.keys() };
    });
}
async function visit(visitor, url) {
    const page = await visitor.newPage();
    await openForm(page, url);
    return page;
}

// Each way the program can fail to load, from a copy of the build with something damaged: a message
// in Bulgarian that says what to do, and a button to try again, which then loads what is there.
const damages = [
    { what: 'the loader missing', changes: { 'qtloader.js': null }, says: 'Файлът qtloader.js не можа да се изтегли' },
    { what: 'the loader in a syntax the browser cannot read', changes: { 'qtloader.js': { content: 'async function qtLoad(config) {' } },
      says: 'Файлът qtloader.js е повреден или браузърът е твърде стар' },
    { what: 'the program\'s script missing', changes: { 'varnelo.js': null }, says: 'Файлът varnelo.js не можа да се изтегли' },
    { what: 'the program missing', changes: { 'varnelo.wasm': null }, says: 'Файлът varnelo.wasm не можа да се изтегли (грешка 404' },
    { what: 'the program damaged', changes: { 'varnelo.wasm': { content: 'not a program' } }, says: 'Файлът varnelo.wasm е повреден' },
    { what: 'the program\'s download stalling', stall: 'varnelo.wasm', says: 'Изтеглянето на програмата спря' },
    { what: 'a browser without WebAssembly', init: () => { delete window.WebAssembly; }, says: 'няма WebAssembly' },
    { what: 'a browser too old for the page\'s own script',
      route: html => html.replace('window.varneloStarted = true;', 'window.varneloStarted = true; ?.;'),
      says: 'Този браузър е твърде стар за програмата' },
];
for (const damage of damages) {
    await check(`with ${damage.what}, the page says what happened and offers to try again`, async () => {
        const copy = damagedCopy(folder, damage.changes ?? {});
        const served = await serve(copy, false, damage.stall);
        const visitor = await mobileBrowser.newContext({ viewport: { width: 1024, height: 768 } });
        try {
            if (damage.init)
                await visitor.addInitScript(damage.init);
            if (damage.route)
                await visitor.route('**/', async route => {
                    const response = await route.fetch();
                    await route.fulfill({ response, body: damage.route(await response.text()) });
                });
            const page = await visitor.newPage();
            await page.goto(served.url);
            await page.locator('body[data-state="failed"]').waitFor({ timeout: 40000 });
            const said = await page.locator('#message').textContent();
            expect(said.includes(damage.says) && !/[a-z]{4,} [a-z]{4,}/i.test(said), `the page says "${said}"`);
            await statusReadable(page, 'retry');
            if (damage.changes) {
                // Mended, the same button loads the program.
                for (const name of Object.keys(damage.changes)) {
                    rmSync(join(copy, name), { force: true });
                    symlinkSync(join(folder, name), join(copy, name));
                }
                await page.locator('#retry').click();
                await formShown(page);
            }
            return said;
        } finally {
            await visitor.close();
            served.server.kill();
            rmSync(copy, { recursive: true, force: true });
        }
    });
}

await check('a program that traps while it runs leaves a page that says it stopped because of an error', async () => {
    const visitor = await mobileBrowser.newContext({ viewport: { width: 1024, height: 768 } });
    try {
        const page = await visit(visitor, url);
        // What the browser reports when the program's code traps inside one of its events.
        await page.evaluate(() => setTimeout(() => { throw new WebAssembly.RuntimeError('unreachable'); }));
        await page.locator('body[data-state="crashed"]').waitFor({ timeout: 10000 });
        const said = await page.locator('#message').textContent();
        expect(said.startsWith('Програмата спря поради грешка.'), `the page says "${said}"`);
        await statusReadable(page, 'restart');
        await page.locator('#restart').click();
        await formShown(page);
    } finally {
        await visitor.close();
    }
});

await check('on the densest phones the program runs within the memory it reserves at start', async () => {
    const visitor = await mobileBrowser.newContext({ viewport: { width: 412, height: 915 }, deviceScaleFactor: 4,
                                                     isMobile: true, hasTouch: true });
    try {
        // The program's memory, as the loader instantiates it: it only ever grows.
        await visitor.addInitScript(() => {
            const instantiate = WebAssembly.instantiate;
            WebAssembly.instantiate = async (...args) => {
                const made = await instantiate.apply(WebAssembly, args);
                window.programMemory ??= Object.values((made.instance ?? made).exports)
                    .find(value => value instanceof WebAssembly.Memory);
                window.reserved ??= window.programMemory?.buffer.byteLength;
                return made;
            };
        });
        const page = await visit(visitor, url);
        await enableScreenReader(page);
        for (const [x, y] of [[184 + 100, 80 + 1 + 18 * rows.naphtha + 9], [184 + 100, 80 + 1 + 18 * rows.kerosene + 9]])
            await page.mouse.click(...Object.values(await formPoint(page, x, y)));
        await readoutShows(page, 229);
        const mib = await page.evaluate(() => [window.reserved, window.programMemory.buffer.byteLength].map(b => b / 2 ** 20));
        expect(mib[0] > 0 && mib[1] === mib[0], `memory grew from ${mib[0]} MiB to ${mib[1]} MiB`);
        return `${mib[0]} MiB reserved at start, never grown`;
    } finally {
        await visitor.close();
    }
});

await check('zoomed to 200 % for a projector, every part of the form can be scrolled to', async () => {
    // A 1024 x 768 screen at 200 %: half the CSS pixels, two device pixels each.
    const visitor = await mobileBrowser.newContext({ viewport: { width: 512, height: 384 }, deviceScaleFactor: 2 });
    try {
        const page = await visit(visitor, url);
        const at = await page.evaluate(() => {
            const window_ = [...document.querySelectorAll('*')].map(e => e.shadowRoot?.querySelector('.qt-window'))
                .find(Boolean).getBoundingClientRect();
            const page = document.scrollingElement;
            return { left: window_.left, top: window_.top, right: window_.right, bottom: window_.bottom,
                     width: page.scrollWidth, height: page.scrollHeight };
        });
        expect(at.left >= 0 && at.top >= 0 && at.right <= at.width && at.bottom <= at.height,
               `window from ${at.left},${at.top} to ${at.right},${at.bottom} on a page of ${at.width} x ${at.height}`);
    } finally {
        await visitor.close();
    }
});

if (laterFolder) {
    await check('another page in a folder beside the program, on the same server, still shows after a visit', async () => {
        const other = '<!doctype html><html lang="bg"><meta charset="utf-8"><title>Друга страница</title></html>';
        const root = site({ ...Object.fromEntries(readdirSync(folder).map(name => [name, join(folder, name)])),
                            'other/index.html': { content: other } });
        const served = await serve(root);
        const visitor = await mobileBrowser.newContext({ viewport: { width: 1024, height: 768 } });
        try {
            const page = await visit(visitor, served.url);
            await workerSettled(page);
            // Controlled by the worker from this visit on.
            await openForm(page, served.url);
            await page.goto(`${served.url}other/`);
            expect(await page.title() === 'Друга страница', `the other folder shows "${await page.title()}"`);
        } finally {
            await visitor.close();
            served.server.kill();
            rmSync(root, { recursive: true, force: true });
        }
    });

    await check('two builds in two folders of one server both open offline', async () => {
        const root = site({ seventh: folder, eighth: laterFolder });
        const served = await serve(root);
        const visitor = await mobileBrowser.newContext({ viewport: { width: 1024, height: 768 } });
        try {
            for (const name of ['seventh', 'eighth'])
                await workerSettled(await visit(visitor, `${served.url}${name}/`));
            await stop(served, visitor);
            const seen = [];
            for (const name of ['seventh', 'eighth'])
                seen.push(await runs(await visit(visitor, `${served.url}${name}/`)));
            expect(seen.join() === 'program,bare window', `offline the folders run ${seen}`);
        } finally {
            await visitor.close();
            served.server.kill();
            rmSync(root, { recursive: true, force: true });
        }
    });

    // One address, whose folder is swapped from this build to another between visits.
    const swapped = async (next, body) => {
        const swap = mkdtempSync(join(tmpdir(), 'varnelo-site-'));
        symlinkSync(folder, join(swap, 'site'));
        const served = await serve(join(swap, 'site'));
        const visitor = await mobileBrowser.newContext({ viewport: { width: 1024, height: 768 } });
        try {
            await workerSettled(await visit(visitor, served.url));
            symlinkSync(next, join(swap, 'next'));
            renameSync(join(swap, 'next'), join(swap, 'site'));
            return await body(visitor, served);
        } finally {
            await visitor.close();
            served.server.kill();
            rmSync(swap, { recursive: true, force: true });
        }
    };

    await check('a new build whose program is not the one it lists is not installed; the old copy stays', async () => {
        const errorProgram = join(errorFolder ?? folder, 'varnelo.wasm');
        const mixed = damagedCopy(laterFolder, { 'varnelo.wasm': errorProgram });
        try {
            return await swapped(mixed, async (visitor, served) => {
                const page = await visit(visitor, served.url);
                const settled = await workerSettled(page);
                expect(!settled.waiting && settled.caches.length === 1, `after the update: ${JSON.stringify(settled)}`);
                await stop(served, visitor);
                const offline = await runs(await visit(visitor, served.url));
                expect(offline === 'program', `offline the old address runs the ${offline}`);
            });
        } finally {
            rmSync(mixed, { recursive: true, force: true });
        }
    });

    await check('after a new build, the restart button starts the new one', async () => {
        await swapped(laterFolder, async (visitor, served) => {
            const page = await visit(visitor, served.url);
            expect(await runs(page) === 'program', 'the visit after the swap did not run the old build');
            expect((await workerSettled(page)).waiting, 'the new build is not waiting');
            await page.locator('.qt-window .title-bar .image-button').last().click();
            await page.locator('body[data-state="ended"]').waitFor({ timeout: 10000 });
            await page.locator('#restart').click();
            await formShown(page);
            const now = await runs(page);
            expect(now === 'bare window', `the restart ran the ${now}`);
        });
    });
}

for (const mobile of mobileContexts)
    await mobile.close();
await mobileBrowser.close();
compressed.server.kill();

await check('nothing is fetched from anywhere but the server', async () => {
    expect(foreign.length === 0, foreign.join(', '));
});

await context.close();
server.kill();
rmSync(profile, { recursive: true, force: true });
console.log(failures ? `${failures} failed` : 'all passed');
process.exit(failures ? 1 : 0);

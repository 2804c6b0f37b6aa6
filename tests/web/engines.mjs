// SPDX-License-Identifier: GPL-3.0-or-later
// The browser build in the three engines people use: Debian's Chromium (puppeteer-core over CDP),
// Firefox ESR (puppeteer-core over WebDriver BiDi) and WebKitGTK's MiniBrowser (WebKitWebDriver
// through selenium-webdriver, on an Xvfb display of its own). Each engine is one small driver with
// the same few methods; the checks are written once against it and run for every engine and every
// way of reaching the page (the targets table).
//   node tests/web/engines.mjs build/web [build/web-errorpage [build/varnelo.html]]
import { spawn, execFileSync } from 'node:child_process';
import { closeSync, mkdtempSync, openSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { tmpdir } from 'node:os';
import { basename, dirname, join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';
import { Builder, Key } from 'selenium-webdriver';
import { Command, Name } from 'selenium-webdriver/lib/command.js';
import { formShown, serve } from './page.mjs';

const folder = resolve(process.argv[2] ?? 'build/web');
const errorFolder = process.argv[3] ? resolve(process.argv[3]) : null;
// The whole program in one page, opened from the disk or from a server.
const single = process.argv[4] ? resolve(process.argv[4]) : null;
const shots = process.env.VARNELO_WEB_SHOTS;
const readout = degrees => `Достигната температура: ${degrees} градуса.`;
const ids = { readout: 'QApplication.Varnelo.Label1(1)', bar: 'QApplication.Varnelo.VScroll1' };
const desktop = { width: 1024, height: 768, ratio: 1, mobile: false };
const phone = { width: 360, height: 740, ratio: 3, mobile: true };
// Picking a row moves the scroll bar to the design's target for that fraction (Max minus its upper
// limit) and the read-out shows its degrees, one lower where the level's two decimals round down.
// Rows are 18 px, from y 81 in the list at 184,80 of the form; gas oil shows only its top few pixels.
const picks = [
    { fraction: 'petrol', row: 1, degrees: 104, value: 395 },
    { fraction: 'naphtha', row: 2, degrees: 159, value: 340 },
    { fraction: 'kerosene', row: 3, degrees: 229, value: 270 },
    { fraction: 'gas oil', row: 4, degrees: 430, value: 70, at: 3 },
];
const rowPoint = (row, at = 9) => [184 + 100, 80 + 1 + 18 * row + at];
const limits = { launch: 90000, check: 180000, close: 15000 };

class Skip extends Error {}
class NoAnswer extends Error {}
function expect(condition, message) {
    if (!condition)
        throw new Error(message);
}
// Every wait is bounded: a browser that stops answering fails the step instead of hanging the suite.
function within(ms, promise, what) {
    let timer;
    return Promise.race([promise, new Promise((_, reject) => {
        timer = setTimeout(() => reject(new NoAnswer(`${what}: no answer within ${ms / 1000} s`)), ms);
    })]).finally(() => clearTimeout(timer));
}
// Retries a look at the page until it holds: the program answers on its own animation frames, and a
// page being replaced answers with an error for a moment.
async function until(look, what, ms = 15000) {
    const limit = Date.now() + ms;
    for (;;) {
        const last = await look().catch(error => ({ ok: false, seen: error.message }));
        if (last.ok)
            return last;
        if (Date.now() > limit)
            throw new Error(`${what}; saw ${JSON.stringify(last.seen)}`);
        await new Promise(r => setTimeout(r, 100));
    }
}

// Runs in the page. Qt keeps its windows and the controls it mirrors for screen readers in shadow
// roots, so everything is searched through them.
function inPage([ask, arg]) {
    const deep = (root = document) => [...root.querySelectorAll('*')]
        .flatMap(element => [element, ...(element.shadowRoot ? deep(element.shadowRoot) : [])]);
    const find = selector => deep().filter(element => element.matches(selector));
    const box = element => {
        const r = element?.getBoundingClientRect();
        return r?.width ? { x: r.left, y: r.top, width: r.width, height: r.height } : null;
    };
    const pixel = (x, y) => {
        for (const canvas of find('canvas')) {
            const r = canvas.getBoundingClientRect();
            if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) {
                const scale = canvas.width / r.width;
                return [...canvas.getContext('2d').getImageData(Math.floor((x - r.left) * scale),
                                                                Math.floor((y - r.top) * scale), 1, 1).data].slice(0, 3);
            }
        }
        return null;
    };
    switch (ask) {
    case 'state': {
        const byId = id => find(`[id="${id}"]`)[0];
        const visual = window.visualViewport;
        return {
            state: document.body.dataset.state, exitCode: document.body.dataset.exitCode,
            message: document.getElementById('message')?.textContent,
            restart: box(document.getElementById('restart')),
            mirrored: Boolean(byId(arg.bar)), readout: byId(arg.readout)?.textContent ?? null,
            value: byId(arg.bar) ? Number(byId(arg.bar).getAttribute('aria-valuenow')) : null,
            bar: box(byId(arg.bar)), form: box(find('canvas.qt-window-content')[0]),
            window: box(find('.qt-window')[0]), close: box(find('.qt-window .title-bar .image-button').at(-1)),
            reports: find('textarea').map(area => area.textContent),
            page: { width: document.documentElement.clientWidth, height: document.documentElement.clientHeight },
            seen: { x: visual.offsetLeft, y: visual.offsetTop, width: visual.width, height: visual.height, scale: visual.scale },
            ratio: window.devicePixelRatio,
        };
    }
    case 'pixels':
        return arg.map(([x, y]) => pixel(x, y));
    case 'screen reader': {
        // Qt's hidden button that turns the mirror on, known by its class whatever its text says
        // (mirrored push buttons are buttons too, and a click on one would press it).
        const button = find('button.hidden-visually-read-by-screen-reader')[0];
        button?.click();
        return Boolean(button);
    }
    case 'worker':
        return navigator.serviceWorker ? navigator.serviceWorker.controller?.state ?? 'not controlled'
                                       : 'no service workers here';
    }
}
const look = (d, ask, arg = ids) => d.evaluate(inPage, [ask, arg]);
// The addresses the page's own timing lists: itself and what it fetched.
const timed = () => [...performance.getEntriesByType('navigation'), ...performance.getEntriesByType('resource')]
    .map(entry => entry.name);

async function readoutShows(d, degrees, value) {
    return until(async () => {
        const { readout: text, value: now } = await look(d, 'state');
        return { ok: text === readout(degrees) && (value === undefined || now === value), seen: [text, now] };
    }, `read-out "${readout(degrees)}"${value === undefined ? '' : ` at value ${value}`}`);
}
// Qt removes its button once the mirror is on; until then the click is repeated.
async function enableScreenReader(d) {
    await until(async () => {
        if ((await look(d, 'state')).mirrored)
            return { ok: true };
        return { ok: false, seen: await look(d, 'screen reader') ? 'no mirrored scroll bar yet' : "no button of Qt's" };
    }, 'the controls mirrored for screen readers');
}
async function openForm(d, url) {
    await d.goto(url);
    const ms = await formShown(d);
    await enableScreenReader(d);
    return ms;
}
// The scroll bar's middle column, top to bottom, as colours.
async function scrollColumn(d) {
    const { bar } = await look(d, 'state');
    const points = [];
    for (let y = Math.ceil(bar.y); y < bar.y + bar.height; ++y)
        points.push([bar.x + bar.width / 2, y]);
    return { bar, column: await look(d, 'pixels', points) };
}
const sameColour = (a, b) => a && b && a.every((v, i) => Math.abs(v - b[i]) <= 2);
// About where the thumb's middle is for a scroll value, as a share of the whole bar, taking arrows
// and thumb as long as the bar is wide: near enough for a look a few rows either side.
function thumbAt(bar, value) {
    const arrow = bar.width;
    return (1.5 * arrow + (bar.height - 3 * arrow) * value / 500) / bar.height;
}
// A point of the form, in the design's pixels, as the page shows it (a phone zooms it).
async function formPoint(d, [x, y]) {
    const { form } = await look(d, 'state');
    const scale = form.width / 476;
    return [form.x + x * scale, form.y + y * scale];
}

// The drivers. Each one: goto, evaluate(fn, arg), click(x, y), tap(x, y), key('ArrowDown'),
// viewport({width, height, ratio, mobile}), screenshot(path), fetched() (the addresses the current
// page asked for), httpCache(on) and close().
const children = new Set();
const temporary = new Set();
function scratch(name) {
    const made = mkdtempSync(join(tmpdir(), `varnelo-${name}-`));
    temporary.add(made);
    return made;
}

async function puppeteerDriver(options) {
    const browser = await puppeteer.launch({ headless: true, defaultViewport: null, protocolTimeout: 90000, ...options });
    children.add({ child: browser.process(), group: true });
    const page = (await browser.pages())[0] ?? await browser.newPage();
    let fetched = [];
    page.on('request', request => fetched.push(request.url()));
    return {
        async goto(url) {
            fetched = [];
            await page.goto(url, { timeout: 90000 });
        },
        evaluate: (fn, arg) => page.evaluate(fn, arg),
        click: (x, y) => page.mouse.click(Math.round(x), Math.round(y)),
        tap: (x, y) => page.touchscreen.tap(Math.round(x), Math.round(y)),
        key: name => page.keyboard.press(name),
        async viewport({ width, height, ratio, mobile }) {
            // Firefox answers once the page's inner size equals the new viewport, which with
            // <meta name=viewport> honoured holds only on a page laid out at the device's width.
            // (Firefox lets no file: page navigate to a data: one.)
            await page.goto('about:blank');
            await page.evaluate(() => document.head.insertAdjacentHTML('beforeend',
                '<meta name="viewport" content="width=device-width, initial-scale=1">'));
            await page.setViewport({ width, height, deviceScaleFactor: ratio, isMobile: mobile, hasTouch: mobile });
        },
        screenshot: path => page.screenshot({ path }),
        // Firefox sends no request events for file: addresses; the page's own timing lists them.
        fetched: async () => ({ urls: [...fetched, ...await page.evaluate(timed)], how: 'request events and resource timing' }),
        httpCache: on => page.setCacheEnabled(on),
        close: () => browser.close(),
    };
}

// WebKitGTK: MiniBrowser in automation mode, started by WebKitWebDriver on an Xvfb display.
async function webkitDriver() {
    const miniBrowser = execFileSync('dpkg', ['-L', 'libwebkit2gtk-4.1-0'], { encoding: 'utf8' })
        .split('\n').find(path => path.endsWith('/MiniBrowser'));
    expect(miniBrowser, 'no MiniBrowser in libwebkit2gtk-4.1-0');
    const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1600x1200x24', '-nolisten', 'tcp'],
                       { stdio: ['ignore', 'ignore', 'ignore', 'pipe'], detached: true });
    children.add({ child: xvfb, group: true });
    const display = await within(20000, new Promise((found, failed) => {
        xvfb.stdio[3].once('data', data => found(String(data).trim()));
        xvfb.once('exit', code => failed(new Error(`Xvfb ended with ${code}`)));
    }), 'Xvfb');
    const port = await freePort();
    // What the driver and the browser it starts write, kept to say how a crash came about.
    const log = join(scratch('webkit'), 'log');
    const logged = openSync(log, 'w');
    const driverProcess = spawn('WebKitWebDriver', ['--host=127.0.0.1', `--port=${port}`],
                                { env: { ...process.env, DISPLAY: `:${display}` }, stdio: ['ignore', logged, logged], detached: true });
    closeSync(logged);
    children.add({ child: driverProcess, group: true });
    const server = `http://127.0.0.1:${port}`;
    await until(async () => ({ ok: (await fetch(`${server}/status`)).ok }), 'WebKitWebDriver listening', 20000);
    const driver = await new Builder().usingServer(server).withCapabilities({
        browserName: 'MiniBrowser',
        'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation'] },
    }).build();
    await driver.manage().setTimeouts({ script: 90000, pageLoad: 90000, implicit: 0 });
    const actions = async list => driver.execute(new Command(Name.ACTIONS).setParameter('actions', list));
    const pointer = (type, x, y) => actions([{ type: 'pointer', id: type, parameters: { pointerType: type }, actions: [
        { type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport' },
        { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }] }]);
    const key = name => Key[name.replace(/(.)([A-Z])/g, '$1_$2').toUpperCase()];
    return {
        goto: url => driver.get(url),
        evaluate: (fn, arg) => driver.executeScript(`return (${fn}).apply(null, arguments)`, arg),
        click: (x, y) => pointer('mouse', x, y),
        tap: (x, y) => pointer('touch', x, y),
        key: name => actions([{ type: 'key', id: 'keyboard', actions: [
            { type: 'keyDown', value: key(name) }, { type: 'keyUp', value: key(name) }] }]),
        // The window's size is set, and the page gets what its frame leaves; nothing sets the ratio.
        async viewport({ width, height }) {
            const inner = await driver.executeScript('return [innerWidth, innerHeight]');
            const outer = await driver.manage().window().getRect();
            await driver.manage().window().setRect({ width: width + outer.width - inner[0], height: height + outer.height - inner[1] });
        },
        screenshot: async path => writeFileSync(path, Buffer.from(await driver.takeScreenshot(), 'base64')),
        // WebDriver has no command for the HTTP cache.
        httpCache: async () => {},
        fetched: async () => ({
            urls: await driver.executeScript(`return (${timed})()`),
            how: 'resource timing alone, which lists only fetches that were answered (WebKitWebDriver reports no requests)',
        }),
        close: () => driver.quit(),
        log: () => JSON.stringify(readFileSync(log, 'utf8').trim().split('\n').slice(-3).join(' | ') || 'nothing'),
        crashes: () => readFileSync(log, 'utf8').split('WebProcess CRASHED').length - 1,
    };
}
function freePort() {
    return new Promise((found, failed) => {
        const probe = createServer().listen(0, '127.0.0.1', () => {
            const { port } = probe.address();
            probe.close(() => found(port));
        }).on('error', failed);
    });
}

const chromiumFlags = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                       '--disable-background-networking', '--disable-component-update', '--disable-sync'];
// What an engine's driver cannot do, said once, by the need of the checks it keeps from running.
const engines = [
    { name: 'chromium', cannot: {},
      launch: () => puppeteerDriver({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
                                      userDataDir: scratch('chromium'), args: chromiumFlags }) },
    { name: 'firefox', cannot: {},
      // Firefox for Android lays pages out by <meta name=viewport>; the desktop build does so with the
      // first. The second is Firefox's own default, which puppeteer turns off, letting a file: page
      // fetch the files beside it as no pupil's Firefox does.
      launch: () => puppeteerDriver({ browser: 'firefox', executablePath: process.env.FIREFOX ?? '/usr/bin/firefox-esr',
                                      userDataDir: scratch('firefox'),
                                      extraPrefsFirefox: { 'dom.meta-viewport.enabled': true,
                                                           'security.fileuri.strict_origin_policy': true } }) },
    { name: 'webkit', cannot: {
        phone: 'WebKitWebDriver sets no device pixel ratio, MiniBrowser keeps its window at least 447 px wide, ' +
               'WebKitGTK ignores <meta name=viewport>, and touch actions reach the page as mouse events',
      },
      launch: webkitDriver },
];

// The ways of reaching the page. open() starts what the target needs and gives its address and a
// stop(); without names the checks that cannot apply to it, and why.
const served = (directory, compress, page = '') => async () => {
    const { server, url } = await serve(directory, compress);
    const running = { child: server, group: false };
    children.add(running);
    const stopped = new Promise(r => server.once('exit', r));
    return { url: url + page, stop: () => {
        children.delete(running);
        server.kill();
        return stopped;
    } };
};
const onDisk = path => async () => ({ url: pathToFileURL(path).href, stop: async () => {} });
const keepsNoCopy = { offline: 'the single-file page registers no service worker' };
const targets = [
    { name: 'http', open: served(folder, false), errors: errorFolder && served(errorFolder, false) },
    { name: 'http compressed', open: served(folder, true) },
    ...single ? [{ name: 'single file', open: onDisk(single), without: keepsNoCopy },
                 { name: 'single file over http', open: served(dirname(single), false, basename(single)), without: keepsNoCopy }]
        : [],
];

// The checks, in order: the second to the fifth go on from the page the first opened.
const checks = [
    { name: 'the page loads and the form appears centred', async body({ d, url, shot }) {
        await d.viewport(desktop);
        const ms = await openForm(d, url);
        const at = await look(d, 'state');
        const { window: w, page } = at;
        const off = [w.x - (page.width - w.x - w.width), w.y - (page.height - w.y - w.height)];
        expect(off.every(o => Math.abs(o) <= 2), `the window is off centre by ${off} at ${JSON.stringify(at.window)}`);
        expect(at.value === 500, `the scroll bar starts at ${at.value}`);
        await shot('start');
        return `shown ${Math.round(ms)} ms after navigation`;
    } },
    { name: 'an up-arrow click reads 0 degrees', async body({ d }) {
        const { bar } = await look(d, 'state');
        await d.click(bar.x + bar.width / 2, bar.y + bar.width / 2);
        await readoutShows(d, 0, 499);
    } },
    { name: 'picking a row reads its degrees and moves the thumb there', async body({ d }) {
        let value = 499;
        for (const pick of picks) {
            const before = await scrollColumn(d);
            await d.click(...await formPoint(d, rowPoint(pick.row, pick.at)));
            await readoutShows(d, pick.degrees, pick.value).catch(error => {
                throw new Error(`${pick.fraction}: ${error.message}`);
            });
            const from = thumbAt(before.bar, value), to = thumbAt(before.bar, pick.value);
            // A place of the track that neither the old nor the new thumb covers stays as it was.
            const away = [0.25, 0.45, 0.6, 0.75].find(s => Math.abs(s - from) > 0.15 && Math.abs(s - to) > 0.15);
            // The canvas is painted a frame or so after the mirrored value changes.
            await until(async () => {
                const after = await scrollColumn(d);
                const changed = before.column.map((c, i) => !sameColour(c, after.column[i]));
                const near = share => changed.slice(Math.round(before.bar.height * share) - 6,
                                                    Math.round(before.bar.height * share) + 6).some(Boolean);
                return { ok: near(from) && near(to) && !near(away), seen: [from, to, away].map(near) };
            }, `${pick.fraction}: the thumb's column to change where it was (${from.toFixed(2)} of the bar) and ` +
               `where it should be (${to.toFixed(2)}), and not at ${away}`, 5000);
            value = pick.value;
        }
    } },
    { name: 'a keyboard step moves the scroll bar by one, Home reads 500 degrees', async body({ d }) {
        // A click on the lower arrow focuses the scroll bar (WebKitWebDriver's Shift+Tab reaches the
        // page as an Unidentified key, which Qt ignores), then one step more towards cold.
        const { bar, value: picked } = await look(d, 'state');
        await d.click(bar.x + bar.width / 2, bar.y + bar.height - bar.width / 2);
        const { value } = await until(async () => {
            const seen = (await look(d, 'state')).value;
            return { ok: seen === picked + 1, seen, value: seen };
        }, `value ${picked + 1} after a click on the lower arrow`);
        await d.key('ArrowDown');
        await until(async () => {
            const seen = (await look(d, 'state')).value;
            return { ok: seen === value + 1, seen };
        }, `value ${value + 1} after ArrowDown`);
        await d.key('Home');
        await readoutShows(d, 500, 0);
    } },
    { name: 'closing the window leaves the ended page, whose button starts the program again', async body({ d }) {
        const { close } = await look(d, 'state');
        await d.click(close.x + close.width / 2, close.y + close.height / 2);
        const ended = await until(async () => {
            const seen = await look(d, 'state');
            return { ok: seen.state === 'ended' && seen.restart !== null, seen: [seen.state, seen.message] };
        }, 'the ended page');
        expect(ended.seen[1] === 'Програмата приключи.', `the message says "${ended.seen[1]}"`);
        const { restart } = await look(d, 'state');
        await d.click(restart.x + restart.width / 2, restart.y + restart.height / 2);
        await until(async () => ({ ok: (await look(d, 'state')).state !== 'ended', seen: 'ended' }), 'a new start');
        await formShown(d);
        await enableScreenReader(d);
        const { value } = await look(d, 'state');
        expect(value === 500, `value ${value} after the restart`);
    } },
    { name: "the run-time error report ends the program with code 1", when: t => t.errors, async body({ d, target }) {
        const errors = await target.errors();
        try {
            await openForm(d, errors.url);
            const report = await until(async () => {
                const seen = (await look(d, 'state')).reports;
                return { ok: seen.some(text => text.includes("Run-time error '6'")), seen };
            }, 'the report of error 6');
            await d.key('Enter');
            const ended = await until(async () => {
                const seen = await look(d, 'state');
                return { ok: seen.state === 'ended' && seen.restart !== null, seen };
            }, 'the ended page');
            expect(ended.seen.exitCode === '1', `the program ended with code ${ended.seen.exitCode}`);
            return report.seen.find(text => text.includes('Run-time')).replace(/\s+/g, ' ');
        } finally {
            await errors.stop();
        }
    } },
    { name: 'nothing is fetched from anywhere but where the page came from', async body({ d, url }) {
        // Without the cache, whose answers Firefox reports no request for.
        await d.httpCache(false);
        try {
            await openForm(d, url);
        } finally {
            await d.httpCache(true);
        }
        const page = new URL(url);
        const { urls, how } = await d.fetched();
        // Firefox names a file: page "document" in its timing, and nothing else of it.
        const asked = urls.filter(address => URL.canParse(address)).map(address => new URL(address));
        const own = asked.filter(address => address.protocol === page.protocol && address.host === page.host);
        const foreign = asked.filter(address => !own.includes(address) && !['data:', 'blob:'].includes(address.protocol));
        // Served, the page's own files show that the requests are seen at all.
        expect(page.protocol === 'file:' || own.length > 0, `none of the page's own files among ${urls}`);
        expect(foreign.length === 0, `fetched ${foreign.join(', ')}`);
        return `${own.length} of the page's own, seen through ${how}`;
    } },
    { name: 'after one visit the program opens with the server stopped', need: 'offline', async body({ d, target }) {
        const instance = await target.open();
        try {
            // Opened until the activated worker controls the page, which then runs from its copy. (The
            // page that registered it may go on seeing a registration without workers in Firefox.)
            await until(async () => {
                await openForm(d, instance.url);
                const seen = await look(d, 'worker');
                return { ok: seen === 'activated', seen };
            }, 'a page controlled by the activated service worker', 60000);
        } finally {
            await instance.stop();
        }
        // Nothing from the browser's HTTP cache, which keeps the files for a while too.
        await d.httpCache(false);
        try {
            const ms = await openForm(d, instance.url);
            const { value } = await look(d, 'state');
            expect(value === 500, `value ${value}`);
            return `shown ${Math.round(ms)} ms after navigation, from the offline copy`;
        } finally {
            await d.httpCache(true);
        }
    } },
    { name: 'on a phone the whole window shows, and taps read 0 on the up arrow and 159 on naphtha', need: 'phone',
      async body({ d, url, shot }) {
        try {
            await d.viewport(phone);
            await openForm(d, url);
            const { window: w, seen, ratio } = await look(d, 'state');
            expect(ratio === phone.ratio, `device pixel ratio ${ratio}`);
            expect(w.x >= seen.x - 0.5 && w.y >= seen.y - 0.5 && w.x + w.width <= seen.x + seen.width + 0.5 &&
                   w.y + w.height <= seen.y + seen.height + 0.5,
                   `window ${JSON.stringify(w)} outside what the screen shows ${JSON.stringify(seen)}`);
            await shot('phone');
            const { bar } = await look(d, 'state');
            await d.tap(bar.x + bar.width / 2, bar.y + bar.width / 2);
            await readoutShows(d, 0, 499);
            await d.tap(...await formPoint(d, rowPoint(2)));
            await readoutShows(d, 159, 340);
            return `zoom ${seen.scale.toFixed(2)}`;
        } finally {
            await d.viewport(desktop);
        }
    } },
];

let passed = 0, failed = 0, skipped = 0;
// The lines of the way of reaching the page being checked wait here: when the browser itself
// crashed during them, they are checked once more in a new browser, and only the second lines count.
let report = [], crashed = '';
// Returns false when the check got no answer in time: the browser is taken for stuck.
async function run(label, name, body) {
    const started = Date.now();
    try {
        const note = await within(limits.check, body(), 'the browser');
        passed++;
        report.push(`PASS   ${label} ${name} (${Date.now() - started} ms)${note ? `: ${note}` : ''}`);
    } catch (error) {
        if (error instanceof Skip) {
            skipped++;
            report.push(`SKIP   ${label} ${name}: ${error.message}`);
        } else {
            failed++;
            const message = error.message.trim().split('\n')[0] || error.name;
            report.push(`FAIL!  ${label} ${name}: ${message}`);
            // A session gone with its page.
            if (/crash|NoSuchSession/i.test(message))
                crashed ||= `${label} ${name}: ${message}`;
        }
        return !(error instanceof NoAnswer);
    }
    return true;
}

// Whatever happens, no browser, display or server outlives its engine's turn or the suite; a
// detached child leads a process group of its own, which takes the browser it started with it.
// SIGTERM first, so that Xvfb removes its lock and socket; SIGKILL for what is still there.
function signalAll(signal) {
    const running = [...children].filter(({ child }) => child.exitCode === null && child.signalCode === null);
    for (const { child, group } of running) {
        try {
            process.kill(group ? -child.pid : child.pid, signal);
        } catch {}
    }
    return running;
}
async function stopAll() {
    const running = signalAll('SIGTERM');
    await within(5000, Promise.all(running.map(({ child }) => new Promise(r => child.once('exit', r)))), 'stopping')
        .catch(() => signalAll('SIGKILL'));
    children.clear();
    for (const made of temporary)
        rmSync(made, { recursive: true, force: true });
    temporary.clear();
}
process.on('exit', () => {
    signalAll('SIGKILL');
    for (const made of temporary)
        rmSync(made, { recursive: true, force: true });
});
for (const signal of ['SIGINT', 'SIGTERM', 'SIGHUP'])
    process.on(signal, () => process.exit(1));

// VARNELO_WEB_ENGINES=firefox,webkit runs only those.
const chosen = process.env.VARNELO_WEB_ENGINES?.split(',') ?? engines.map(engine => engine.name);
for (const engine of engines.filter(e => chosen.includes(e.name)))
    await turnOf(engine);

// WebKitGTK's page process has died of an assertion of its own in CI runs, at a different check each
// time, and never again when those checks ran alone. So a crash costs a new browser and the checks of
// the way of reaching the page it happened in; the same checks crashing twice fail.
async function turnOf(engine) {
    let d = null, stuck = false;
    const launch = async () => {
        try {
            d = await within(limits.launch, engine.launch(), `starting ${engine.name}`);
            return true;
        } catch (error) {
            failed++;
            console.log(`FAIL!  [${engine.name}] starts: ${error.message.split('\n')[0]}`);
            return false;
        }
    };
    const close = async () => {
        if (d)
            await within(limits.close, d.close(), `closing ${engine.name}`).catch(() => {});
        d = null;
        await stopAll();
    };
    for (const target of targets) {
        for (let turn = 1; turn <= 2; turn++) {
            const counts = [passed, failed, skipped];
            report = [];
            crashed = '';
            if (!d && !await launch())
                return close();
            const crashesBefore = d.crashes?.();
            stuck = await checkTarget(engine, target, d, stuck);
            // A page process that died in a target's last check is seen by the browser alone.
            if (!crashed && d.crashes?.() > crashesBefore)
                crashed = `[${engine.name}] ${target.name}: its page process died`;
            if (!crashed || turn === 2)
                break;
            console.log(`RETRY  [${engine.name}] ${target.name}: the browser crashed (${crashed}); ` +
                        `these checks run once more in a new one${d.log ? `; it last said: ${d.log()}` : ''}`);
            [passed, failed, skipped] = counts;
            await close();
            stuck = false;
        }
        for (const line of report)
            console.log(line);
    }
    await close();
}

// Returns whether the browser has stopped answering, in these checks or before them.
async function checkTarget(engine, target, d, stuck) {
    let instance;
    try {
        instance = await target.open();
    } catch (error) {
        failed++;
        report.push(`FAIL!  [${engine.name}] ${target.name}: ${error.message}`);
        return stuck;
    }
    const shot = async name => shots && target === targets[0] &&
        d.screenshot(join(shots, `web-${engine.name}-${name}.png`));
    for (const check of checks.filter(c => !c.when || c.when(target))) {
        const answered = await run(`[${engine.name}] ${target.name}:`, check.name, async () => {
            const reason = engine.cannot[check.need] ?? target.without?.[check.need];
            if (reason)
                throw new Skip(reason);
            expect(!stuck, `not run: ${engine.name} stopped answering`);
            return check.body({ d, url: instance.url, target, shot });
        });
        stuck ||= !answered;
    }
    await instance.stop();
    return stuck;
}

console.log(`${passed} passed, ${failed} failed, ${skipped} skipped`);
process.exit(failed ? 1 : 0);

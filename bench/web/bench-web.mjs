// SPDX-License-Identifier: GPL-3.0-or-later
// bench-web: the browser build against a bare Qt window built with the same Qt and laid out the same
// way (the floor). Sizes of the files a browser fetches, raw and as a compressing server sends them;
// the time from navigation to the first painted form in headless Chromium over an emulated 10 Mbit/s,
// 40 ms link from a compressing server, in a fresh profile each time; and the repeat visit with the
// server gone, from the service worker's copy. RUNS (5) of each, the two taking turns.
//   node bench/web/bench-web.mjs build/web build/web-bare
import { readdirSync, statSync } from 'node:fs';
import { createRequire } from 'node:module';
import { join, resolve } from 'node:path';
import { openForm, serve } from '../../tests/web/page.mjs';

const { chromium } = createRequire(new URL('../../tests/web/package.json', import.meta.url))('playwright-core');
const folders = { program: resolve(process.argv[2] ?? 'build/web'), bare: resolve(process.argv[3] ?? 'build/web-bare') };
const runs = Number(process.env.RUNS ?? 5);
const link = { offline: false, latency: 40, downloadThroughput: 10e6 / 8, uploadThroughput: 10e6 / 8 };

function sizes(folder) {
    const files = readdirSync(folder).filter(name => !/\.(gz|br)$/.test(name));
    const sum = suffix => files.reduce((total, name) => total + statSync(join(folder, name + suffix)).size, 0);
    return { files: files.length, raw: sum(''), gzip: sum('.gz'), brotli: sum('.br') };
}

const browser = await chromium.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
async function visits(folder) {
    const served = await serve(folder, true);
    const context = await browser.newContext({ viewport: { width: 1024, height: 768 } });
    try {
        const page = await context.newPage();
        const cdp = await context.newCDPSession(page);
        await cdp.send('Network.enable');
        await cdp.send('Network.emulateNetworkConditions', link);
        const first = await openForm(page, served.url);
        // The offline copy is complete once the worker is active; then the server goes.
        await page.evaluate(() => navigator.serviceWorker.ready);
        await page.close();
        served.server.kill();
        await new Promise(r => served.server.once('exit', r));
        const again = await context.newPage();
        const repeat = await openForm(again, served.url);
        return { first, repeat };
    } finally {
        await context.close();
        served.server.kill();
    }
}

const times = { program: { first: [], repeat: [] }, bare: { first: [], repeat: [] } };
for (let run = 0; run < runs; ++run) {
    for (const name of run % 2 ? ['bare', 'program'] : ['program', 'bare']) {
        const { first, repeat } = await visits(folders[name]);
        times[name].first.push(first);
        times[name].repeat.push(repeat);
    }
}
await browser.close();

const median = values => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const mb = bytes => `${(bytes / 1e6).toFixed(2)} MB`;
const s = ms => `${(ms / 1000).toFixed(2)} s`;
const spread = values => `${s(median(values))} (${s(Math.min(...values))}–${s(Math.max(...values))})`;
const size = { program: sizes(folders.program), bare: sizes(folders.bare) };
const rows = [['in the browser', 'Varnelo', 'bare Qt window', 'ratio', 'goal', '']];
const row = (label, program, bare, ratio, goal, met) => rows.push([label, program, bare, ratio.toFixed(2), goal, met ? 'met' : 'NOT MET']);
for (const [key, label, goal] of [['raw', 'files, raw', 6e6], ['gzip', 'files, gzip -9', 2.5e6], ['brotli', 'files, brotli -q 11', 2.0e6]])
    row(`${label} (${size.program.files} files)`, mb(size.program[key]), mb(size.bare[key]),
        size.program[key] / size.bare[key], `<= ${mb(goal)}`, size.program[key] <= goal);
const first = median(times.program.first), firstBare = median(times.bare.first);
row('first visit, 10 Mbit/s 40 ms, compressed', spread(times.program.first), spread(times.bare.first),
    first / firstBare, '<= 2.5 s, <= 1.3 x', first <= 2500 && first / firstBare <= 1.3);
const repeat = median(times.program.repeat), repeatBare = median(times.bare.repeat);
row('repeat visit, server gone', spread(times.program.repeat), spread(times.bare.repeat),
    repeat / repeatBare, '<= 0.8 s', repeat <= 800);
const widths = rows[0].map((_, i) => Math.max(...rows.map(r => r[i].length)));
console.log(`bench-web, headless Chromium: times from navigation to the first painted form, medians of ${runs} (range)`);
for (const r of rows)
    console.log(r.map((cell, i) => cell.padEnd(widths[i])).join('  ').trimEnd());

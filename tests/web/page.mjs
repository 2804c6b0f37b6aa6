// SPDX-License-Identifier: GPL-3.0-or-later
// What test-web and bench-web share: the folder served on 127.0.0.1 and the wait for the painted form.
import { spawn } from 'node:child_process';

const formColour = [192, 192, 255];

// Serves a folder on 127.0.0.1; compressing, it sends the .br or .gz beside each file, as the
// README's server configuration does. The file named by stall starts to come and then stops.
export function serve(directory, compress = false, stall = null) {
    return new Promise((resolveServer, reject) => {
        const server = spawn('python3', ['-u', new URL('serve.py', import.meta.url).pathname, directory,
                                         ...(compress ? ['--compress'] : []), ...(stall ? ['--stall', stall] : [])],
                             { stdio: ['ignore', 'pipe', 'ignore'] });
        server.stdout.on('data', data => {
            const port = /port (\d+)/.exec(String(data));
            if (port)
                resolveServer({ server, url: `http://127.0.0.1:${port[1]}/` });
        });
        server.on('exit', code => reject(new Error(`http.server ended with ${code}`)));
    });
}

// Opens a page and waits for the form: a window canvas painted mostly in the form's colour.
// Returns the milliseconds from navigation start to that first painted form, as the page timed them.
export async function openForm(page, url) {
    await page.goto(url);
    return formShown(page);
}
export async function formShown(page) {
    // The page starts again once when a newer build waits in its offline copy.
    for (let navigations = 0; ; ++navigations) {
        try {
            return await painted(page);
        } catch (error) {
            if (navigations > 2 || !/context was destroyed|navigat/i.test(error.message))
                throw error;
            await (page.waitForLoadState?.() ?? new Promise(settled => setTimeout(settled, 500)));
        }
    }
}
function painted(page) {
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
    }), formColour);
}


// SPDX-License-Identifier: GPL-3.0-or-later
// What test-web and bench-web share: the folder served on 127.0.0.1 and the wait for the painted form.
import { spawn } from 'node:child_process';

const formColour = [192, 192, 255];

// Serves a folder on 127.0.0.1; compressing, it sends the .br or .gz beside each file, as the
// README's server configuration does.
export function serve(directory, compress = false) {
    return new Promise((resolveServer, reject) => {
        const server = spawn('python3', ['-u', new URL('serve.py', import.meta.url).pathname, directory,
                                         ...(compress ? ['--compress'] : [])],
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
export function formShown(page) {
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


# SPDX-License-Identifier: GPL-3.0-or-later
"""What `make web` makes of a laid-out folder (the page, the loader, the program and the icons):
  pack.py worker FOLDER TEMPLATE   FOLDER/sw.js, naming every file of the folder with its hash
  pack.py single FOLDER PAGE       PAGE: the page with the loader, the program and the icons inside,
                                   for a double click, a USB stick or a learning platform's attachment,
                                   where nothing can be fetched; without the manifest and the worker."""
import base64
import hashlib
import os
import sys


def worker(folder, template):
    files = sorted(name for name in os.listdir(folder) if name != 'sw.js')
    hashes = {name: 'sha256-' + base64.b64encode(hashlib.sha256(read(folder, name)).digest()).decode()
              for name in files}
    listed = ', '.join(f"'{name}': '{digest}'" for name, digest in hashes.items())
    build = hashlib.sha256(listed.encode()).hexdigest()[:16]
    text = open(template, encoding='utf-8').read()
    write(os.path.join(folder, 'sw.js'), text.replace('@VARNELO_WEB_BUILD@', build).replace('@VARNELO_WEB_FILES@', listed))


def single(folder, page):
    html = read(folder, 'index.html').decode()

    def inline(name):
        script = read(folder, name).decode()
        # Nothing in the script may end the element it now sits in.
        if '<!--' in script or '<script' in script.lower():
            sys.exit(f'pack.py: {name} holds markup that cannot go inside a <script> element')
        return '<script>\n' + script.replace('</script', '<\\/script') + '\n</script>'

    def data(name, kind):
        return f'data:{kind};base64,' + base64.b64encode(read(folder, name)).decode()

    program = base64.b64encode(read(folder, 'varnelo.wasm')).decode()
    replacements = {
        '<link rel="manifest" href="manifest.webmanifest">\n': '',
        'href="varnelo-32.png"': f'href="{data("varnelo-32.png", "image/png")}"',
        'href="varnelo-256.png"': f'href="{data("varnelo-256.png", "image/png")}"',
        '<!-- program -->': '\n'.join([inline('varnelo.js'), inline('qtloader.js'),
                                      f'<script type="application/octet-stream" id="program-wasm">{program}</script>']),
    }
    for old, new in replacements.items():
        if html.count(old) != 1:
            sys.exit(f'pack.py: the page does not hold {old!r} once')
        html = html.replace(old, new)
    write(page, html.encode())


def read(folder, name):
    with open(os.path.join(folder, name), 'rb') as file:
        return file.read()


def write(path, content):
    # Whole or not at all: a build stopped half way leaves no half-written file behind.
    with open(path + '.new', 'wb') as file:
        file.write(content if isinstance(content, bytes) else content.encode())
    os.replace(path + '.new', path)


{'worker': worker, 'single': single}[sys.argv[1]](*sys.argv[2:])

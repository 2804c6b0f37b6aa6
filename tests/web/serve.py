# SPDX-License-Identifier: GPL-3.0-or-later
"""serve.py DIRECTORY [--compress] [--stall NAME]: serves DIRECTORY on 127.0.0.1 at a free port and
prints the port as http.server does ("port N"). With --compress it answers as a server set up as the
README shows: the .br or .gz file beside the one asked for, when the browser accepts that encoding,
with the original's type (application/wasm for the program). With --stall, the file NAME starts to
come and then nothing more does, as over a Wi-Fi that has dropped."""
import functools
import http.server
import os
import sys
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    compress = False
    stall = None
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json',
                      '.js': 'text/javascript'}

    def send_head(self):
        path = self.translate_path(self.path)
        if self.stall and os.path.basename(path) == self.stall:
            self.send_response(200)
            self.send_header('Content-Type', self.guess_type(path))
            self.send_header('Content-Length', str(os.path.getsize(path)))
            self.end_headers()
            with open(path, 'rb') as body:
                self.wfile.write(body.read(65536))
            self.wfile.flush()
            time.sleep(3600)
        if self.compress and os.path.isfile(path):
            accepted = self.headers.get('Accept-Encoding', '')
            for encoding, suffix in (('br', '.br'), ('gzip', '.gz')):
                if encoding in accepted and os.path.isfile(path + suffix):
                    body = open(path + suffix, 'rb')
                    self.send_response(200)
                    self.send_header('Content-Type', self.guess_type(path))
                    self.send_header('Content-Encoding', encoding)
                    self.send_header('Content-Length', str(os.fstat(body.fileno()).st_size))
                    self.send_header('Vary', 'Accept-Encoding')
                    self.end_headers()
                    return body
        return super().send_head()

    def log_message(self, *args):
        pass


def main():
    directory = sys.argv[1]
    Handler.compress = '--compress' in sys.argv[2:]
    if '--stall' in sys.argv[2:]:
        Handler.stall = sys.argv[sys.argv.index('--stall') + 1]
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(Handler, directory=directory))
    print(f'port {server.server_address[1]}', flush=True)
    server.serve_forever()


main()

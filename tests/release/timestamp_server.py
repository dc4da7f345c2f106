#!/usr/bin/env python3
"""An RFC 3161 time-stamp server on 127.0.0.1 that answers one request with
`openssl ts -reply`, signed by the given certificate, then ends (or after two
minutes without a request). Prints its port first.

    timestamp_server.py FOLDER CERTIFICATE KEY
"""
import http.server
import pathlib
import subprocess
import sys

CONFIG = """[tsa]
default_tsa = test_tsa
[test_tsa]
serial = {folder}/serial
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha1
accuracy = secs:1
ess_cert_id_alg = sha256
"""


def answer(folder, certificate, key, query):
    (folder / "query.tsq").write_bytes(query)
    reply = folder / "reply.tsr"
    subprocess.run(["openssl", "ts", "-reply", "-config", str(folder / "tsa.cnf"),
                    "-queryfile", str(folder / "query.tsq"), "-inkey", key,
                    "-signer", certificate, "-out", str(reply)],
                   check=True, capture_output=True)
    return reply.read_bytes()


def main(folder, certificate, key):
    folder = pathlib.Path(folder)
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "tsa.cnf").write_text(CONFIG.format(folder=folder))
    (folder / "serial").write_text("01\n")

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
            try:
                body = answer(folder, certificate, key, query)
            except subprocess.CalledProcessError as error:
                sys.stderr.write(error.stderr.decode(errors="replace"))
                self.send_error(500)
                return
            self.send_response(200)
            self.send_header("Content-Type", "application/timestamp-reply")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    server.timeout = 120
    print(server.server_port, flush=True)
    server.handle_request()
    server.server_close()


if __name__ == "__main__":
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    main(*sys.argv[1:])

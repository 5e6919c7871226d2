#!/usr/bin/env python3
"""A feed server for the store's tests, on 127.0.0.1 only.

Usage: feedserver.py FOLDER. Prints its port, then serves /feed as the file
FOLDER/mode says (ok, new, redirect, 404, 503, drop, garbage), with ETag and
Last-Modified, answering 304 to a matching If-None-Match or (without one) an
If-Modified-Since. Each /feed request appends "status If-None-Match" to
FOLDER/log.
Two https servers beside it, with certificates made by openssl into FOLDER:
one issued by FOLDER/ca.pem, one self-signed. Modes tls-ca and tls-self
redirect /feed to them, where it is "new"; mode downgrade redirects to the
first, which redirects back to plain http.
"""
import http.server
import os
import ssl
import subprocess
import sys
import threading

FOLDER = sys.argv[1]
STAMP = "Wed, 09 Dec 2026 10:00:00 GMT"


def feed(summary):
    return ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:%s\r\n"
            "DTSTART;VALUE=DATE:20261210\r\nDTEND;VALUE=DATE:20261211\r\n"
            "SUMMARY:%s\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n" % (summary, summary)).encode()


BODIES = {"ok": ('"v1"', feed("one")), "new": ('"v2"', feed("two")),
          "moved": ('"v3"', feed("three")), "garbage": ('"g"', b"<html>no calendar</html>")}


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def answer(self, status, etag=None, body=b"", location=None):
        with open(os.path.join(FOLDER, "log"), "a") as log:
            log.write("%d %s\n" % (status, self.headers.get("If-None-Match", "-")))
        self.send_response(status)
        if etag:
            self.send_header("ETag", etag)
            self.send_header("Last-Modified", STAMP)
        if location:
            self.send_header("Location", location)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        with open(os.path.join(FOLDER, "mode")) as f:
            mode = f.read().strip()
        if isinstance(self.connection, ssl.SSLSocket):
            if mode == "downgrade":
                return self.answer(302, location="http://127.0.0.1:%d/moved" % PORTS["http"])
            mode = "new"
        elif mode in ("tls-ca", "tls-self", "downgrade"):
            port = PORTS["self" if mode == "tls-self" else "issued"]
            return self.answer(302, location="https://127.0.0.1:%d/feed" % port)
        if self.path == "/moved":
            mode = "moved"
        elif self.path != "/feed":
            return self.answer(404)
        if mode == "drop":
            self.close_connection = True
            return
        if mode == "redirect":
            return self.answer(302, location="/moved")
        if mode in ("404", "503"):
            return self.answer(int(mode))
        etag, body = BODIES[mode]
        inm = self.headers.get("If-None-Match")
        if inm == etag or (inm is None and self.headers.get("If-Modified-Since") == STAMP):
            return self.answer(304, etag)
        self.answer(200, etag, body)


def make_certificates():
    def openssl(*args):
        subprocess.run(["openssl", *args], cwd=FOLDER, check=True, capture_output=True)
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Murvane test CA",
            "-keyout", "ca.key", "-out", "ca.pem")
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", "issued.key",
            "-out", "issued.csr")
    with open(os.path.join(FOLDER, "san.ext"), "w") as f:
        f.write("subjectAltName=IP:127.0.0.1\n")
    openssl("x509", "-req", "-in", "issued.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
            "-days", "2", "-extfile", "san.ext", "-out", "issued.pem")
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
            "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", "self.key", "-out", "self.pem")


PORTS = {}
make_certificates()
for name in ("issued", "self"):
    tls = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(FOLDER, name + ".pem"), os.path.join(FOLDER, name + ".key"))
    tls.socket = context.wrap_socket(tls.socket, server_side=True)
    PORTS[name] = tls.server_address[1]
    threading.Thread(target=tls.serve_forever, daemon=True).start()
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
PORTS["http"] = server.server_address[1]
print(PORTS["http"], flush=True)
server.serve_forever()

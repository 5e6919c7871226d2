#!/usr/bin/env python3
"""A feed server for the store's tests, on 127.0.0.1 only.

Usage: feedserver.py FOLDER. Prints its port, then serves /feed as the file
FOLDER/mode says (ok, new, redirect, 404, 503, drop, garbage), with ETag and
Last-Modified, answering 304 to a matching If-None-Match or (without one) an
If-Modified-Since. Each /feed request appends "status If-None-Match" to
FOLDER/log.
"""
import http.server
import os
import sys

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


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()

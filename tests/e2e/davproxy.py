#!/usr/bin/python3
"""A scripted proxy in front of a CalDAV server on 127.0.0.1, for the sync
tests: it forwards every request (Host rewritten) and plays, by its options,
what a real server or another client may do that the local servers do not.

  davproxy.py --target PORT --port-file FILE --log FILE [--port PORT] [MODE...]

  --no-etag                   answers to PUT lose their ETag header
  --ignore-if-none-match      If-None-Match is stripped from requests
  --trash                     a PUT that would bring back a deleted object
                              (same href or UID) is refused with 403
  --touch-before-first-write  before the first PUT/DELETE with If-Match, the
                              object's DESCRIPTION gets " (phone)" on the server
  --delete-before-first-write likewise, but the object is deleted first
  --hold-after-first-write M  the first PUT is forwarded, then M is written
                              and the client never gets an answer

The log gets "METHOD PATH STATUS" for each request from the client and lines
starting with "#" for what the proxy does itself; never headers or bodies.
"""
import argparse
import os
import http.client
import http.server
import re
import threading
import time

HOP = {"connection", "keep-alive", "transfer-encoding", "proxy-connection", "te", "upgrade", "content-length"}
lock = threading.Lock()
first_write_done = False
first_put_done = False
trash = set()


def log(line):
    with lock, open(opts.log, "a") as f:
        f.write(line + "\n")


def upstream(method, path, headers, body):
    conn = http.client.HTTPConnection("127.0.0.1", opts.target, timeout=30)
    conn.request(method, path, body=body, headers=headers)
    r = conn.getresponse()
    data = r.read()
    conn.close()
    return r.status, r.reason, r.getheaders(), data


def uid_of(ics):
    m = re.search(r"^UID:(.*?)\r?$", re.sub(r"\r?\n[ \t]", "", ics), re.M)
    return m.group(1) if m else None


def touch(path, auth):
    status, _, _, data = upstream("GET", path, auth, None)
    ics = re.sub(r"\r?\n[ \t]", "", data.decode())
    name = "DESCRIPTION" if re.search(r"^DESCRIPTION[;:]", ics, re.M) else "SUMMARY"
    ics = re.sub(r"^(%s[;:].*?)(\r?)$" % name, r"\1 (phone)\2", ics, count=1, flags=re.M)
    put, _, _, _ = upstream("PUT", path, dict(auth, **{"Content-Type": "text/calendar"}), ics.encode())
    log("# touched %s: GET %d PUT %d" % (path, status, put))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, reason, headers, body):
        self.send_response(status, reason)
        for k, v in headers:
            if k.lower() not in HOP:
                self.send_header(k, v)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def handle_one(self):
        global first_write_done, first_put_done
        method, path = self.command, self.path
        body = self.rfile.read(int(self.headers.get("Content-Length") or 0)) or None
        headers = {k: v for k, v in self.headers.items() if k.lower() not in HOP | {"host"}}
        headers["Host"] = "127.0.0.1:%d" % opts.target
        auth = {k: v for k, v in headers.items() if k.lower() in ("authorization", "host")}
        if opts.ignore_if_none_match:
            headers = {k: v for k, v in headers.items() if k.lower() != "if-none-match"}

        if method == "PUT" and opts.trash and body:
            if path in trash or uid_of(body.decode("utf-8", "replace")) in trash:
                log("%s %s 403" % (method, path))
                return self.answer(403, "Forbidden", [], b"in the trash")
        if method in ("PUT", "DELETE") and "If-Match" in self.headers:
            with lock:
                first, first_write_done = not first_write_done, True
            if first and opts.touch_before_first_write:
                touch(path, auth)
            elif first and opts.delete_before_first_write:
                status, _, _, _ = upstream("DELETE", path, auth, None)
                log("# deleted %s first: %d" % (path, status))
        if method == "DELETE" and opts.trash:
            status, _, _, data = upstream("GET", path, auth, None)
            gone_uid = uid_of(data.decode("utf-8", "replace")) if status == 200 else None

        status, reason, rheaders, rbody = upstream(method, path, headers, body)
        log("%s %s %d" % (method, path, status))

        if method == "DELETE" and opts.trash and 200 <= status < 300:
            trash.update({path, gone_uid} - {None})
        if method == "PUT" and opts.no_etag:
            rheaders = [(k, v) for k, v in rheaders if k.lower() != "etag"]
        if method == "PUT" and opts.hold_after_first_write:
            with lock:
                first, first_put_done = not first_put_done, True
            if first:
                log("# holding the answer to %s" % path)
                open(opts.hold_after_first_write, "w").close()
                while True:
                    time.sleep(60)
        self.answer(status, reason, rheaders, rbody)

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = do_OPTIONS = do_HEAD = handle_one
    do_MKCALENDAR = do_PROPPATCH = do_MKCOL = do_POST = do_MOVE = do_COPY = handle_one


p = argparse.ArgumentParser()
p.add_argument("--target", type=int, required=True)
p.add_argument("--port", type=int, default=0)
p.add_argument("--port-file")
p.add_argument("--log", required=True)
for mode in ("no-etag", "ignore-if-none-match", "trash", "touch-before-first-write", "delete-before-first-write"):
    p.add_argument("--" + mode, action="store_true")
p.add_argument("--hold-after-first-write", metavar="MARKER")
opts = p.parse_args()

http.server.ThreadingHTTPServer.daemon_threads = True
server = http.server.ThreadingHTTPServer(("127.0.0.1", opts.port), Handler)
if opts.port_file:
    with open(opts.port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(opts.port_file + ".tmp", opts.port_file)
server.serve_forever()

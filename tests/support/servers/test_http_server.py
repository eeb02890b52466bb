#!/usr/bin/env python3
"""Local HTTP/HTTPS server for the tests (Python 3 standard library only).

Started by tests/support/local_server.* on 127.0.0.1 with ephemeral ports; never reachable from outside.

Features:
  - HTTP/1.1 with keep-alive; optional HTTPS listener with a throw-away self-signed certificate made by
    openssl in the control folder at start-up (CN and subjectAltName 127.0.0.1 / localhost).
  - --http-port P: the HTTP listener on port P of 127.0.0.1 (the owner holds the port's machine-wide lock).
  - --default-ports: listens on ports 80 (HTTP) and 443 (HTTPS) of a random loopback address 127.a.b.c
    instead of ephemeral ports on 127.0.0.1 (needs the right to bind ports below 1024).
  - Built-in routes (any method; HEAD gets the headers only):
      /echo                       the request as received: request line, header lines, blank line, body
      /bytes?n=N                  N pattern bytes (byte i = i % 251) with Content-Length
      /chunked?n=N&chunk=K        N pattern bytes, chunked in pieces of K bytes (no Content-Length)
      /gzip?text=T                T gzip-encoded when the request accepts gzip, else plain
      /redirect?to=URL&status=S&cookie=C...  a redirect (302 by default) to URL, one Set-Cookie per cookie
      /chain/N?cookie=C...        N redirects in a row (/chain/N -> /chain/N-1 ... -> /chain/0, which answers
                                  200), each hop setting its cookies plus "hopN=1"
      /cookies?cookie=C...        200 with one Set-Cookie header per cookie value, in order
      /status/CODE                that status with a short text body
      /truncated?declared=N&sent=M  Content-Length N, then M pattern bytes and the connection is closed
      /slow?delay_ms=D&n=N        waits D ms before answering with N pattern bytes
      /trickle?n=N&chunk=K&interval_ms=I  Content-Length N, K bytes every I ms
      /files/PATH                 a file under the --root folder, with Content-Length (404 when missing)
  - Scripted routes: routes.json in the control folder (read on every request) maps a path to a list of
    responses; the k-th request to that path gets entry k (the last one repeats; counting restarts when the
    path's list changes), so a body can change between requests. Entry fields: status, headers [[name, value]...], body (text; code points 0-255 are
    the bytes), file (Unix path), chunked, delay_ms. Scripted routes take precedence over built-in ones.
  - Proxy: requests in absolute form (GET http://host:port/path) are served here whatever the host and port;
    CONNECT host:port is tunnelled to this server's HTTPS listener.
  - Request log: requests.log in the control folder, one line "listener<TAB>method<TAB>target" per request
    (CONNECT included), written before the response is sent.
  - Life: the ports go to ports.txt ("http P", "https P", "control P" lines, written atomically). The owner
    connects to the control port and keeps the connection; "stop" on it, or its closing (the owner process
    is gone), shuts the server down. Without a control connection within 60 s the server exits.
"""

import argparse
import gzip
import json
import os
import random
import selectors
import socket
import ssl
import subprocess
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PATTERN_PERIOD = 251
PATTERN = bytes(i % PATTERN_PERIOD for i in range(PATTERN_PERIOD)) * (1048576 // PATTERN_PERIOD + 2)
PIECE = 1048576


def pattern_bytes(offset, count):
    """The pattern bytes at [offset, offset + count) when count <= 1 MiB."""
    start = offset % PATTERN_PERIOD
    return PATTERN[start:start + count]


class ServerState:
    def __init__(self, control_dir, file_root):
        self.control_dir = control_dir
        self.file_root = file_root
        self.https_port = 0
        self.lock = threading.Lock()
        self.routes_path = os.path.join(control_dir, "routes.json")
        self.routes = {}
        self.scripted_counts = {}
        self.log = open(os.path.join(control_dir, "requests.log"), "a", encoding="utf-8")

    def record(self, listener, method, target):
        with self.lock:
            self.log.write(f"{listener}\t{method}\t{target}\n")
            self.log.flush()

    def scripted_response(self, path):
        """The next scripted response for `path`, or None. The table is small and read on every request."""
        with self.lock:
            try:
                with open(self.routes_path, encoding="utf-8") as f:
                    routes = json.load(f)
            except (OSError, ValueError):
                routes = {}
            entries = routes.get(path)
            if entries != self.routes.get(path):
                self.scripted_counts[path] = 0  # a new list for this path starts from its first response
            self.routes = routes
            if not entries:
                return None
            k = self.scripted_counts.get(path, 0)
            self.scripted_counts[path] = k + 1
            return entries[min(k, len(entries) - 1)]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    def version_string(self):
        return "TestHttpServer/1"

    def log_message(self, fmt, *args):
        pass

    # Every method goes through one dispatcher.
    def do_GET(self):
        self.dispatch()

    do_POST = do_PUT = do_DELETE = do_OPTIONS = do_PATCH = do_TRACE = do_HEAD = do_GET

    @property
    def state(self):
        return self.server.state

    def read_body(self):
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def send_head(self, status, headers, length=None, chunked=False):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        elif length is not None:
            self.send_header("Content-Length", str(length))
        self.end_headers()

    def send_whole(self, status, body, headers=(), chunk=0):
        chunked = chunk > 0
        self.send_head(status, list(headers), None if chunked else len(body), chunked)
        if self.command == "HEAD":
            return
        if chunked:
            for start in range(0, len(body), chunk):
                piece = body[start:start + chunk]
                self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
            self.wfile.write(b"0\r\n\r\n")
        else:
            self.wfile.write(body)

    def send_pattern(self, status, count, headers=(), chunk=0, interval=0.0, chunked=False):
        """count pattern bytes, with Content-Length or chunked in pieces of `chunk`; an interval paces them."""
        self.send_head(status, list(headers), count, chunked)
        if self.command == "HEAD":
            return
        step = chunk if chunk > 0 else PIECE
        sent = 0
        while sent < count:
            n = min(step, count - sent, PIECE)
            piece = pattern_bytes(sent, n)
            self.wfile.write(b"%x\r\n" % n + piece + b"\r\n" if chunked else piece)
            sent += n
            if interval and sent < count:
                self.wfile.flush()
                time.sleep(interval)
        if chunked:
            self.wfile.write(b"0\r\n\r\n")

    def dispatch(self):
        listener = self.server.listener
        self.state.record(listener, self.command, self.path)
        parts = urllib.parse.urlsplit(self.path)
        path = parts.path or "/"
        query = urllib.parse.parse_qs(parts.query, keep_blank_values=True)
        body = self.read_body()

        def number(name, default=0):
            try:
                return int(query.get(name, [default])[0])
            except ValueError:
                return default

        scripted = self.state.scripted_response(path)
        if scripted is not None:
            return self.send_scripted(scripted)
        if path == "/echo":
            lines = [self.requestline] + [f"{k}: {v}" for k, v in self.headers.items()]
            text = ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1", "replace") + body
            return self.send_whole(200, text, [("Content-Type", "application/octet-stream")])
        if path == "/bytes":
            return self.send_pattern(200, number("n"))
        if path == "/chunked":
            return self.send_pattern(200, number("n"), chunk=max(1, number("chunk", 4096)), chunked=True)
        if path == "/gzip":
            text = query.get("text", ["compressed text " * 64])[0].encode("utf-8")
            if "gzip" in (self.headers.get("Accept-Encoding") or ""):
                return self.send_whole(200, gzip.compress(text), [("Content-Encoding", "gzip")])
            return self.send_whole(200, text)
        if path == "/redirect":
            headers = [("Location", query.get("to", ["/echo"])[0])]
            headers += [("Set-Cookie", c) for c in query.get("cookie", [])]
            return self.send_whole(number("status", 302), b"redirecting", headers)
        if path.startswith("/chain/"):
            hops = int(path[len("/chain/"):] or 0)
            if hops <= 0:
                return self.send_whole(200, b"end of chain")
            scheme = "https" if listener == "https" else "http"
            target = f"{scheme}://{self.headers.get('Host')}/chain/{hops - 1}"
            if parts.query:
                target += "?" + parts.query
            headers = [("Location", target), ("Set-Cookie", f"hop{hops}=1")]
            headers += [("Set-Cookie", c) for c in query.get("cookie", [])]
            return self.send_whole(302, b"redirecting", headers)
        if path == "/cookies":
            return self.send_whole(200, b"cookies", [("Set-Cookie", c) for c in query.get("cookie", [])])
        if path.startswith("/status/"):
            code = int(path[len("/status/"):] or 500)
            return self.send_whole(code, f"status {code}".encode())
        if path == "/truncated":
            declared, sent = number("declared"), number("sent")
            self.send_head(200, [], declared)
            for offset in range(0, sent, PIECE):
                self.wfile.write(pattern_bytes(offset, min(PIECE, sent - offset)))
            self.wfile.flush()
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return None
        if path == "/slow":
            time.sleep(number("delay_ms", 1000) / 1000.0)
            return self.send_pattern(200, number("n"))
        if path == "/trickle":
            return self.send_pattern(200, number("n"), chunk=max(1, number("chunk", 65536)),
                                     interval=number("interval_ms", 100) / 1000.0)
        if path.startswith("/files/") and self.state.file_root:
            root = os.path.realpath(self.state.file_root)
            real = os.path.realpath(os.path.join(root, urllib.parse.unquote(path[len("/files/"):])))
            if real.startswith(root + os.sep):
                return self.send_file(real)
        return self.send_whole(404, b"not found")

    def send_file(self, real, status=200, headers=()):
        if not os.path.isfile(real):
            return self.send_whole(404, b"not found")
        size = os.path.getsize(real)
        self.send_head(status, list(headers), size)
        if self.command == "HEAD":
            return None
        with open(real, "rb") as f:
            while True:
                piece = f.read(PIECE)
                if not piece:
                    break
                self.wfile.write(piece)
        return None

    def send_scripted(self, entry):
        time.sleep(entry.get("delay_ms", 0) / 1000.0)
        status = entry.get("status", 200)
        headers = [tuple(h) for h in entry.get("headers", [])]
        if "file" in entry:
            return self.send_file(entry["file"], status, headers)
        body = entry.get("body", "").encode("latin-1")
        return self.send_whole(status, body, headers, chunk=4096 if entry.get("chunked") else 0)

    def do_CONNECT(self):
        self.state.record(self.server.listener, "CONNECT", self.path)
        port = self.state.https_port
        if not port:
            return self.send_whole(502, b"no https listener")
        try:
            upstream = socket.create_connection(("127.0.0.1", port))
        except OSError:
            return self.send_whole(502, b"tunnel failed")
        self.send_response(200, "Connection established")
        self.end_headers()
        self.wfile.flush()
        tunnel(self.connection, upstream)
        self.close_connection = True
        return None


def tunnel(a, b):
    selector = selectors.DefaultSelector()
    selector.register(a, selectors.EVENT_READ, b)
    selector.register(b, selectors.EVENT_READ, a)
    try:
        while True:
            for key, _ in selector.select():
                data = key.fileobj.recv(65536)
                if not data:
                    return
                key.data.sendall(data)
    except OSError:
        pass
    finally:
        selector.close()
        b.close()


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = False

    def __init__(self, listener, state, tls_context=None, address=("127.0.0.1", 0)):
        # A fixed port is used by one run after another: the previous run's closed connections must not
        # keep it from binding.
        self.allow_reuse_address = address[1] != 0
        super().__init__(address, Handler)
        self.listener = listener
        self.state = state
        self.tls_context = tls_context

    def finish_request(self, request, client_address):
        # The TLS handshake happens here, on the connection's own thread.
        if self.tls_context is not None:
            try:
                request = self.tls_context.wrap_socket(request, server_side=True)
            except (OSError, ssl.SSLError):
                return
        super().finish_request(request, client_address)

    def handle_error(self, request, client_address):
        pass


def make_certificate(control_dir):
    cert = os.path.join(control_dir, "cert.pem")
    key = os.path.join(control_dir, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=127.0.0.1",
                    "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost"],
                   check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def write_atomically(path, text):
    with open(path + ".tmp", "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(path + ".tmp", path)


def main():
    # Whatever descriptors Wine handed down (a test runner's pipes among them) must not be kept open.
    os.closerange(3, 1024)
    parser = argparse.ArgumentParser()
    parser.add_argument("--control-dir", required=True)
    parser.add_argument("--https", action="store_true")
    parser.add_argument("--root", default="")
    parser.add_argument("--default-ports", action="store_true")
    parser.add_argument("--http-port", type=int, default=0)
    args = parser.parse_args()
    ports_file = os.path.join(args.control_dir, "ports.txt")

    state = ServerState(args.control_dir, args.root or None)
    tls = make_certificate(args.control_dir) if args.https or args.default_ports else None
    if args.default_ports:
        servers = None
        for _ in range(50):
            host = "127.%d.%d.%d" % (random.randint(1, 254), random.randint(0, 255), random.randint(1, 254))
            try:
                http = Server("http", state, None, (host, 80))
            except PermissionError:
                write_atomically(ports_file, "error bind-denied\n")
                return 1
            except OSError:
                continue
            try:
                servers = [http, Server("https", state, tls, (host, 443))]
                break
            except OSError:
                http.server_close()
        if not servers:
            write_atomically(ports_file, "error no-free-address\n")
            return 1
    else:
        servers = [Server("http", state, None, ("127.0.0.1", args.http_port))]
        if tls:
            servers.append(Server("https", state, tls))
    if len(servers) > 1:
        state.https_port = servers[1].server_address[1]
    for server in servers:
        threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.2}, daemon=True).start()

    control = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    control.bind(("127.0.0.1", 0))
    control.listen(1)
    lines = [f"address {servers[0].server_address[0]}"]
    lines += [f"{s.listener} {s.server_address[1]}" for s in servers]
    lines.append(f"control {control.getsockname()[1]}")
    write_atomically(os.path.join(args.control_dir, "ports.txt"), "\n".join(lines) + "\n")

    control.settimeout(60)
    try:
        owner, _ = control.accept()
        owner.settimeout(None)
        received = b""
        while b"stop" not in received:
            data = owner.recv(64)
            if not data:
                break
            received += data
    except OSError:
        owner = None
    for server in servers:
        server.shutdown()
        server.server_close()
    if owner is not None:
        owner.close()
    os._exit(0)


if __name__ == "__main__":
    sys.exit(main())

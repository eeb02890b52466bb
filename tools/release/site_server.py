"""The local release server behind `tools/serve`: a published site on 127.0.0.1, one JSON line per request.

SiteHandler answers GET and HEAD with the files below the site folder. Everything a request gets goes
through `respond`, so a variant (a server that injects faults, say) overrides that one method and keeps
the file serving, the logging and the server's life as they are."""

import http.server
import json
import os
import threading
import urllib.parse

_TYPES = {
    ".json": "application/json; charset=utf-8",
    ".txt": "text/plain; charset=utf-8",
    ".png": "image/png",
    ".jpg": "image/jpeg",
    ".jpeg": "image/jpeg",
    ".zip": "application/zip",
}
_CHUNK = 1024 * 1024


class SiteHandler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TonvexaReleaseServer/1"

    def do_GET(self):
        self._handle()

    def do_HEAD(self):
        self._handle()

    def _handle(self):
        self.sent_bytes = 0
        self.status = 0
        self.server.request_started()
        try:
            self.respond()
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True
        finally:
            self.server.log_request_line(self.command, self.path, self.status, self.sent_bytes, self.log_extra())
            self.server.request_ended()

    # --- what a request gets -----------------------------------------------------------------------------
    def log_extra(self):
        """Further members of this request's log line (a variant says what it did differently)."""
        return {}

    def respond(self):
        status, path = self.site_file(self.path)
        if path is None:
            self.send_text(status, "bad request\n" if status == 400 else "not found\n")
        else:
            self.send_file(path)

    def site_file(self, target):
        """(200, the file below the site folder that `target` names), (404, None) for folders and missing
        files, or (400, None) for a target that climbs above the site folder, as common web servers answer."""
        segments = []
        for segment in urllib.parse.unquote(urllib.parse.urlsplit(target).path).split("/"):
            if segment == "..":
                if not segments:
                    return 400, None
                segments.pop()
            elif segment not in ("", "."):
                if "\\" in segment or "\0" in segment:
                    return 400, None
                segments.append(segment)
        path = os.path.join(self.server.site_dir, *segments)
        return (200, path) if segments and os.path.isfile(path) else (404, None)

    # --- ways of answering ----------------------------------------------------------------------------------
    def send_head(self, status, content_type, length):
        self.status = status
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(length))
        self.end_headers()

    def send_text(self, status, text):
        body = text.encode("utf-8")
        self.send_head(status, "text/plain; charset=utf-8", len(body))
        if self.command != "HEAD":
            self.write_body(body)

    def send_file(self, path, limit=None):
        """Sends the file; with `limit`, only its first `limit` bytes are sent after announcing them all."""
        size = os.path.getsize(path)
        self.send_head(200, _TYPES.get(os.path.splitext(path)[1].lower(), "application/octet-stream"), size)
        if self.command == "HEAD":
            return
        remaining = size if limit is None else min(limit, size)
        with open(path, "rb") as stream:
            while remaining > 0:
                chunk = stream.read(min(_CHUNK, remaining))
                if not chunk:
                    break
                self.write_body(chunk)
                remaining -= len(chunk)

    def write_body(self, data):
        self.wfile.write(data)
        self.sent_bytes += len(data)

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass  # the JSON log replaces the default lines on stderr


class SiteServer(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, site_dir, port, log_path=None, handler=SiteHandler):
        self.site_dir = os.path.abspath(site_dir)
        self._log = None
        self._log_lock = threading.Lock()
        self._in_flight = 0
        self._in_flight_changed = threading.Condition()
        super().__init__(("127.0.0.1", port), handler)
        self._log = open(log_path, "a", encoding="utf-8") if log_path else None

    def log_request_line(self, method, path, status, sent, extra=None):
        fields = {"method": method, "path": path, "status": status, "bytes": sent}
        fields.update(extra or {})
        line = json.dumps(fields, ensure_ascii=False)
        with self._log_lock:
            if self._log is not None:
                self._log.write(line + "\n")
                self._log.flush()

    def request_started(self):
        with self._in_flight_changed:
            self._in_flight += 1

    def request_ended(self):
        with self._in_flight_changed:
            self._in_flight -= 1
            self._in_flight_changed.notify_all()

    def server_close(self):
        super().server_close()
        # A client has its response before the log line is written: let requests under way finish their line,
        # but never wait on idle keep-alive connections.
        with self._in_flight_changed:
            self._in_flight_changed.wait_for(lambda: self._in_flight == 0, timeout=10)
        with self._log_lock:
            if self._log:
                self._log.close()
                self._log = None

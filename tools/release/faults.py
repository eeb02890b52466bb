"""Fault injection for the local release server: a plan that says, per request path, how its next requests
go wrong, so tests can show what the installer does with failing servers.

The plan is a JSON object mapping a URL path (as the site serves it, e.g. "/down/t/product.z01") to a list
of steps. Each step covers the next `times` requests to that path (default 1; 0 means every request from
then on); once the steps are used up the path is served normally. A step is one of:

  {"fault": "status", "status": 404}          answer with that status and a short text
  {"fault": "body", "body": "...", "status": 200, "type": "application/json"}
                                              answer with this text instead of the file
  {"fault": "cut", "at": 0.5}                 announce the whole file, send that fraction, close
  {"fault": "stall", "at": 0.5, "seconds": 600}
                                              announce the whole file, send that fraction, then send
                                              nothing until the client goes or the seconds pass
  {"fault": "corrupt"}                        the whole file with one byte in its middle changed
  {"fault": "none"}                           served normally (to let a fault start later)

Every request still gets one line in the server's request log; a faulted one names its fault."""

import json
import os
import select
import threading
import time
import urllib.parse

from release.site_server import SiteHandler

KINDS = ("status", "body", "cut", "stall", "corrupt", "none")


class FaultPlan:
    """The steps per path and how many requests each path has had. Thread-safe: the server is threaded."""

    def __init__(self, steps_by_path):
        for path, steps in steps_by_path.items():
            if not path.startswith("/") or not isinstance(steps, list):
                raise ValueError(f"fault plan: {path!r} needs a path starting with / and a list of steps")
            for step in steps:
                if step.get("fault") not in KINDS:
                    raise ValueError(f"fault plan: {path}: unknown fault {step.get('fault')!r}")
        self._steps = steps_by_path
        self._counts = {}
        self._lock = threading.Lock()

    @classmethod
    def load(cls, path):
        with open(path, encoding="utf-8") as stream:
            return cls(json.load(stream))

    def next_step(self, path):
        """The step for this request to `path` (None: serve normally), counting the request."""
        with self._lock:
            index = self._counts.get(path, 0)
            self._counts[path] = index + 1
        for step in self._steps.get(path, []):
            times = step.get("times", 1)
            if times == 0 or index < times:
                return None if step["fault"] == "none" else step
            index -= times
        return None


class FaultHandler(SiteHandler):
    def respond(self):
        self.fault = None
        step = self.server.fault_plan.next_step(urllib.parse.unquote(urllib.parse.urlsplit(self.path).path))
        if step is None:
            return super().respond()
        self.fault = step["fault"]
        if self.fault == "status":
            return self.send_text(step["status"], f"fault: status {step['status']}\n")
        if self.fault == "body":
            body = step.get("body", "").encode("utf-8")
            self.send_head(step.get("status", 200), step.get("type", "application/json; charset=utf-8"), len(body))
            if self.command != "HEAD":
                self.write_body(body)
            return None
        status, path = self.site_file(self.path)
        if path is None:
            return self.send_text(status, "not found\n")
        size = os.path.getsize(path)
        if self.fault == "corrupt":
            return self.send_corrupted(path, size)
        self.send_file(path, limit=int(size * float(step.get("at", 0.5))))
        self.wfile.flush()
        if self.fault == "stall":
            self.wait_for_client_to_go(float(step.get("seconds", 600)))
        self.close_connection = True
        return None

    def log_extra(self):
        return {"fault": self.fault} if getattr(self, "fault", None) else {}

    def send_corrupted(self, path, size):
        with open(path, "rb") as stream:
            data = bytearray(stream.read())
        if data:
            data[size // 2] ^= 0xFF
        self.send_head(200, "application/octet-stream", size)
        if self.command != "HEAD":
            self.write_body(bytes(data))

    def wait_for_client_to_go(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            readable, _, _ = select.select([self.connection], [], [], 0.2)
            if readable and not self.connection.recv(4096, 0):
                return  # the client closed its end

#!/usr/bin/env python3
"""The release server of tools/serve with parts that stall, for the installer's end-to-end tests.

  stalling_site_server.py SITE --port-file FILE --parent-pid PID [--log FILE] [--stall NAME ...]

Serves SITE on 127.0.0.1:8888 like tools/serve (same handler, same JSON request log). A request whose path
ends in "/NAME" for a --stall NAME gets its headers and the first 64 KiB of the file, then nothing more until
the server ends. Holds /tmp/tonvexa-port-8888.lock while it runs; ends with PID or on SIGTERM."""

import argparse
import fcntl
import os
import signal
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.realpath(__file__)), "..", "..", "..", "tools"))

from release.site_server import SiteHandler, SiteServer  # noqa: E402

STALL_AFTER = 64 * 1024


class StallingHandler(SiteHandler):
    def respond(self):
        name = self.path.rsplit("/", 1)[-1]
        status, path = self.site_file(self.path)
        if path is not None and name in self.server.stalled:
            self.send_file(path, limit=STALL_AFTER)
            self.wfile.flush()
            self.server.ended.wait()
            return
        super().respond()


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("site")
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--parent-pid", type=int, required=True)
    parser.add_argument("--log")
    parser.add_argument("--stall", action="append", default=[])
    options = parser.parse_args(argv)

    lock = open("/tmp/tonvexa-port-8888.lock", "a")
    fcntl.flock(lock, fcntl.LOCK_EX)
    server = SiteServer(options.site, 8888, options.log, handler=StallingHandler)
    server.stalled = set(options.stall)
    server.ended = threading.Event()

    def stop(*_):
        server.ended.set()
        threading.Thread(target=server.shutdown, daemon=True).start()

    def watch_parent():
        while True:
            try:
                os.kill(options.parent_pid, 0)
            except ProcessLookupError:
                stop()
                return
            except PermissionError:
                pass
            time.sleep(0.5)

    signal.signal(signal.SIGTERM, stop)
    threading.Thread(target=watch_parent, daemon=True).start()
    with open(options.port_file + ".tmp", "w") as stream:
        stream.write("8888\n")
    os.replace(options.port_file + ".tmp", options.port_file)
    try:
        server.serve_forever(poll_interval=0.2)
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

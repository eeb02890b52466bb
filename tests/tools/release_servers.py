#!/usr/bin/env python3
"""Runs a command (a test under Wine) against the demo release served by nginx and by tools/serve at once.

  release_servers.py -- COMMAND...

Publishes build/demo-release into a scratch site whose addresses point at nginx, starts nginx (the README's
server block) and tools/serve on free ports of 127.0.0.1, runs COMMAND with TONVEXA_RELEASE_SITE (the site's
Unix path), TONVEXA_NGINX_PORT, TONVEXA_SERVE_PORT and TONVEXA_SERVE_LOG in its environment, stops both
servers and exits with COMMAND's exit code."""

import os
import subprocess
import sys
import tempfile

import release_fixtures as fixtures


def main(argv):
    if "--" not in argv or argv.index("--") == len(argv) - 1:
        print(__doc__, file=sys.stderr)
        return 2
    command = argv[argv.index("--") + 1:]
    build = os.environ.get("TONVEXA_BUILD_DIR") or os.path.join(fixtures.ROOT, "build")
    demo = os.path.join(build, "demo-release")
    with tempfile.TemporaryDirectory(prefix="tonvexa-release-") as scratch:
        site = os.path.join(scratch, "site")
        log = os.path.join(scratch, "serve-requests.jsonl")
        port = fixtures.free_port()
        result = fixtures.run_tool(
            "publish", os.path.join(demo, "product"), site, "--base-url", f"http://127.0.0.1:{port}",
            "--part-size", "1m", "--run-file", "TonvexaAI.exe", "--shortcut", "TonvexaAI",
            "--licence", os.path.join(demo, "licence.txt"),
            "--start-image", os.path.join(demo, "pictures", "slide-1.png"))
        if result.returncode != 0:
            print(result.stderr, file=sys.stderr)
            return 1
        with fixtures.nginx(site, port) as nginx_port, fixtures.served(site, log) as (_, serve_port):
            environment = dict(os.environ, TONVEXA_RELEASE_SITE=site, TONVEXA_NGINX_PORT=str(nginx_port),
                               TONVEXA_SERVE_PORT=str(serve_port), TONVEXA_SERVE_LOG=log)
            return subprocess.run(command, env=environment).returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

"""tools/serve: what it answers, its JSON request log, and that it never outlives its owner."""

import http.client
import json
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import release_fixtures as fixtures


def get(port, method, target, headers=None):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    try:
        connection.request(method, target, headers=headers or {})
        response = connection.getresponse()
        return response.status, response.getheader("Content-Type"), response.read()
    finally:
        connection.close()


def process_gone(pid):
    try:
        with open(f"/proc/{pid}/stat") as stream:
            return stream.read().split(")")[-1].split()[0] in ("Z", "X")  # zombie: ended, not yet reaped
    except FileNotFoundError:
        return True


def wait_until_gone(pid, seconds=10):
    deadline = time.monotonic() + seconds
    while not process_gone(pid):
        if time.monotonic() > deadline:
            return False
        time.sleep(0.1)
    return True


class Serve(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.addCleanup(self.scratch.cleanup)
        self.site = os.path.join(self.scratch.name, "site")
        os.makedirs(os.path.join(self.site, "down", "t"))
        self.files = {"down/t.json": '{"名称": 1}\n'.encode("utf-8"),
                      "down/t/licence.txt": "许可\n".encode("utf-8"),
                      "down/t/product.z01": bytes(range(256)) * 4000, "down/t/start-1.png": fixtures.PNG}
        for path, data in self.files.items():
            with open(os.path.join(self.site, *path.split("/")), "wb") as stream:
                stream.write(data)
        with open(os.path.join(self.scratch.name, "secret.txt"), "w") as stream:
            stream.write("outside the site")

    def test_answers_the_site_files_and_logs_each_request_as_one_json_line(self):
        log = os.path.join(self.scratch.name, "requests.jsonl")
        with fixtures.served(self.site, log) as (_, port):
            for path, data in self.files.items():
                status, _, body = get(port, "GET", "/" + path)
                self.assertEqual((status, body), (200, data), path)
            self.assertEqual(get(port, "GET", "/down/t.json")[1], "application/json; charset=utf-8")
            self.assertEqual(get(port, "GET", "/down/t/licence.txt")[1], "text/plain; charset=utf-8")
            self.assertEqual(get(port, "GET", "/down/t/start-1.png")[1], "image/png")
            self.assertEqual(get(port, "HEAD", "/down/t/product.z01")[:2], (200, "application/octet-stream"))
            for target, status in (("/down/t/", 404), ("/down/missing.json", 404), ("/../secret.txt", 400),
                                   ("/down/%2e%2e/../secret.txt", 400)):
                self.assertEqual(get(port, "GET", target)[0], status, target)
        with open(log, encoding="utf-8") as stream:
            lines = [json.loads(line) for line in stream]
        self.assertEqual(lines[0], {"method": "GET", "path": "/down/t.json", "status": 200,
                                    "bytes": len(self.files["down/t.json"])})
        self.assertEqual(lines[2], {"method": "GET", "path": "/down/t/product.z01", "status": 200, "bytes": 1024000})
        self.assertEqual(lines[7], {"method": "HEAD", "path": "/down/t/product.z01", "status": 200, "bytes": 0})
        # A line is written once its answer has gone out, so the next request's line may come first.
        self.assertEqual(sorted((line["path"], line["status"]) for line in lines[8:]),
                         sorted([("/down/t/", 404), ("/down/missing.json", 404), ("/../secret.txt", 400),
                                 ("/down/%2e%2e/../secret.txt", 400)]))

    def test_ends_on_ctrl_c(self):
        with fixtures.served(self.site) as (process, port):
            self.assertEqual(get(port, "GET", "/down/t.json")[0], 200)
            process.send_signal(signal.SIGINT)
            self.assertEqual(process.wait(timeout=10), 0)

    def test_ends_when_its_parent_or_the_given_process_ends(self):
        port_file = os.path.join(self.scratch.name, "port")
        serve = os.path.join(fixtures.TOOLS, "serve")
        # A shell starts the server in the background, reports its process id and ends once it listens.
        shell = (f"'{sys.executable}' '{serve}' '{self.site}' --port 0 --port-file '{port_file}' "
                 f">/dev/null 2>&1 & while [ ! -f '{port_file}' ]; do sleep 0.05; done; echo $!")
        pid = int(subprocess.run(["sh", "-c", shell], stdout=subprocess.PIPE, text=True, timeout=60).stdout)
        self.assertTrue(wait_until_gone(pid), "the server outlived its parent")

        os.remove(port_file)
        owner = subprocess.Popen(["sleep", "60"])
        server = subprocess.Popen([sys.executable, serve, self.site, "--port", "0", "--port-file", port_file,
                                   "--parent-pid", str(owner.pid)], stdout=subprocess.DEVNULL)
        fixtures.wait_for_file(port_file)
        time.sleep(1)
        self.assertIsNone(server.poll())
        owner.kill()
        owner.wait()
        self.assertEqual(server.wait(timeout=10), 0)

    def test_a_busy_port_is_reported(self):
        with fixtures.served(self.site) as (_, port):
            result = fixtures.run_tool("serve", self.site, "--port", str(port))
        self.assertEqual(result.returncode, 1)
        self.assertIn(f"serve: cannot listen on 127.0.0.1:{port}", result.stderr)


if __name__ == "__main__":
    unittest.main()

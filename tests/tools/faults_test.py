"""tools/serve --faults: each kind of fault reaches the client as planned, only for the requests the plan
covers, and the request log names it."""

import http.client
import json
import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest

import release_fixtures as fixtures

PART = bytes(range(256)) * 400  # 100 KiB


def fetch(port, target, timeout=30):
    """(status, body, complete): complete is False when the connection ended before the announced length."""
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=timeout)
    try:
        connection.request("GET", target)
        response = connection.getresponse()
        try:
            return response.status, response.read(), True
        except http.client.IncompleteRead as cut:
            return response.status, cut.partial, False
    finally:
        connection.close()


class Faults(unittest.TestCase):
    def setUp(self):
        scratch = tempfile.TemporaryDirectory()
        self.addCleanup(scratch.cleanup)
        self.scratch = scratch.name
        self.site = os.path.join(self.scratch, "site")
        os.makedirs(os.path.join(self.site, "down", "t"))
        with open(os.path.join(self.site, "down", "t", "product.z01"), "wb") as stream:
            stream.write(PART)
        with open(os.path.join(self.site, "down", "t.json"), "w", encoding="utf-8") as stream:
            stream.write('{"下载线程限制": 2}')
        self.log = os.path.join(self.scratch, "requests.jsonl")

    def serve(self, plan):
        path = os.path.join(self.scratch, "plan.json")
        with open(path, "w", encoding="utf-8") as stream:
            json.dump(plan, stream, ensure_ascii=False)
        return fixtures.served(self.site, self.log, path)

    def logged(self, count):
        deadline = time.monotonic() + 10
        while True:
            lines = []
            if os.path.exists(self.log):
                with open(self.log, encoding="utf-8") as stream:
                    lines = [json.loads(line) for line in stream if line.strip()]
            if len(lines) >= count or time.monotonic() > deadline:
                return lines
            time.sleep(0.05)

    def test_each_fault_applies_to_the_requests_its_step_covers_then_the_file_is_served(self):
        part = "/down/t/product.z01"
        cases = [
            # (plan steps, what the first three requests see)
            ([{"fault": "status", "status": 404, "times": 2}], [(404, False), (404, False), (200, True)]),
            ([{"fault": "cut", "at": 0.25}], [(200, "cut"), (200, True), (200, True)]),
            ([{"fault": "corrupt"}], [(200, "corrupt"), (200, True), (200, True)]),
            ([{"fault": "none"}, {"fault": "status", "status": 500, "times": 0}],
             [(200, True), (500, False), (500, False)]),
        ]
        for steps, expected in cases:
            with self.subTest(steps=steps), self.serve({part: steps}) as (_, port):
                for status, outcome in expected:
                    got_status, body, complete = fetch(port, part)
                    self.assertEqual(got_status, status)
                    if outcome is True:
                        self.assertTrue(complete)
                        self.assertEqual(body, PART)
                    elif outcome == "cut":
                        self.assertFalse(complete)
                        self.assertEqual(body, PART[:len(PART) // 4])
                    elif outcome == "corrupt":
                        self.assertTrue(complete)
                        self.assertEqual(len(body), len(PART))
                        self.assertEqual([i for i in range(len(PART)) if body[i] != PART[i]], [len(PART) // 2])

    def test_a_replaced_body_and_the_log_naming_the_fault(self):
        with self.serve({"/down/t.json": [{"fault": "body", "body": "[1, 2]"}]}) as (_, port):
            self.assertEqual(fetch(port, "/down/t.json")[:2], (200, b"[1, 2]"))
            self.assertEqual(fetch(port, "/down/t.json")[:2], (200, '{"下载线程限制": 2}'.encode("utf-8")))
            lines = self.logged(2)
        self.assertEqual(lines[0], {"method": "GET", "path": "/down/t.json", "status": 200, "bytes": 6,
                                    "fault": "body"})
        self.assertNotIn("fault", lines[1])

    def test_a_stall_sends_part_of_the_body_then_nothing_until_the_client_gives_up(self):
        with self.serve({"/down/t/product.z01": [{"fault": "stall", "at": 0.5}]}) as (_, port):
            started = time.monotonic()
            with self.assertRaises(socket.timeout):
                connection = http.client.HTTPConnection("127.0.0.1", port, timeout=1.5)
                try:
                    connection.request("GET", "/down/t/product.z01")
                    response = connection.getresponse()
                    self.assertEqual(response.read(len(PART) // 2), PART[:len(PART) // 2])
                    response.read(1)
                finally:
                    connection.close()
            self.assertLess(time.monotonic() - started, 10)
            # The server noticed the client leaving and serves the next request normally.
            self.assertEqual(fetch(port, "/down/t/product.z01")[1], PART)
            lines = self.logged(2)
        self.assertEqual(lines[0]["fault"], "stall")
        self.assertEqual(lines[0]["bytes"], len(PART) // 2)

    def test_a_malformed_plan_is_refused_before_serving(self):
        path = os.path.join(self.scratch, "plan.json")
        for plan in ('{"/x": [{"fault": "explode"}]}', '{"x": []}', "not json"):
            with self.subTest(plan=plan):
                with open(path, "w") as stream:
                    stream.write(plan)
                result = subprocess.run([sys.executable, os.path.join(fixtures.TOOLS, "serve"), self.site, "--port",
                                         "0", "--faults", path], capture_output=True, text=True, timeout=30)
                self.assertEqual(result.returncode, 2)
                self.assertIn("fault plan", result.stderr)


if __name__ == "__main__":
    unittest.main()

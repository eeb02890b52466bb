"""The same release served by nginx with the README's server block answers every request the installer
makes exactly as tools/serve does (bodies after content decoding, status, media type)."""

import gzip
import http.client
import json
import os
import tempfile
import unittest
import urllib.parse
import zlib

import release_fixtures as fixtures
from release import document

# What the installer's fetches send (its HTTP client offers compression).
INSTALLER_HEADERS = {"Accept-Encoding": "gzip, deflate", "User-Agent": "Mozilla/4.0 (compatible; TonvexaSetup)"}


def fetch(port, target):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    try:
        connection.request("GET", target, headers=INSTALLER_HEADERS)
        response = connection.getresponse()
        body = response.read()
        encoding = response.getheader("Content-Encoding", "")
        if encoding == "gzip":
            body = gzip.decompress(body)
        elif encoding == "deflate":
            body = zlib.decompress(body)
        media_type = (response.getheader("Content-Type") or "").split(";")[0]
        return response.status, media_type, encoding, body
    finally:
        connection.close()


class NginxServesTheRelease(unittest.TestCase):
    def test_nginx_answers_as_tools_serve_does(self):
        with tempfile.TemporaryDirectory() as scratch:
            product = os.path.join(scratch, "product")
            fixtures.make_product(product)
            # A licence large enough for nginx to compress it.
            inputs = fixtures.make_inputs(scratch)
            with open(inputs[0], "a", encoding="utf-8") as stream:
                stream.write("本许可协议的条款。\n" * 200)
            site = os.path.join(scratch, "site")
            result = fixtures.publish_full(product, site, "http://127.0.0.1:8888", inputs)
            self.assertEqual(result.returncode, 0, result.stderr)
            with open(os.path.join(site, "down", "tonvexa.json"), encoding="utf-8") as stream:
                config = json.load(stream)
            pictures = config[document.PICTURES]
            targets = ["/down/tonvexa.json"] + [
                urllib.parse.urlsplit(url).path for url in
                [config[document.LICENCE_URL]] + pictures[document.START_PICTURES] +
                pictures[document.INSTALL_PICTURES] + [part[document.PART_URL] for part in config[document.PARTS]]]
            refused = [("/down/", 404), ("/down/tonvexa/", 404), ("/down/other.json", 404), ("/../etc/passwd", 400),
                       ("/down/%2e%2e/%2e%2e/etc/passwd", 400)]

            with fixtures.nginx(site) as nginx_port, fixtures.served(site) as (_, serve_port):
                for target in targets:
                    with self.subTest(target):
                        from_nginx = fetch(nginx_port, target)
                        from_serve = fetch(serve_port, target)
                        self.assertEqual(from_nginx[0], 200)
                        self.assertEqual(from_nginx[:2], from_serve[:2])
                        self.assertEqual(from_nginx[3], from_serve[3])
                        local = os.path.join(site, *urllib.parse.unquote(target).strip("/").split("/"))
                        with open(local, "rb") as stream:
                            self.assertEqual(from_nginx[3], stream.read())
                for target, status in refused:
                    with self.subTest(target):
                        self.assertEqual(fetch(nginx_port, target)[0], status)
                        self.assertEqual(fetch(serve_port, target)[0], status)
                # gzip is on for JSON and text, and the installer's client gets it.
                self.assertEqual(fetch(nginx_port, "/down/tonvexa.json")[:3], (200, "application/json", "gzip"))
                self.assertEqual(fetch(nginx_port, "/down/tonvexa/licence.txt")[:3], (200, "text/plain", "gzip"))


if __name__ == "__main__":
    unittest.main()

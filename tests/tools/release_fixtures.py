"""Shared pieces of the release tool tests: a small product, running tools/publish, and the two servers of a
published site (tools/serve and nginx with the README's server block), each stopped by its context manager."""

import contextlib
import os
import random
import re
import signal
import socket
import subprocess
import sys
import tempfile
import time

ROOT = os.environ.get("TONVEXA_SOURCE_DIR") or os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
TOOLS = os.path.join(ROOT, "tools")
sys.path.insert(0, TOOLS)

PRODUCT_FILES = {
    "App.exe": b"MZ" + bytes(range(256)) * 64,
    "readme.txt": "演示产品\nA demo product.\n".encode("utf-8"),
    "data/logs/启动日志.txt": b"".join(b"%06d tonvexa log line\n" % i for i in range(12000)),
    "data/models/模型.bin": random.Random(7).randbytes(180 * 1024),
    "data/deep/er/still/deeper.bin": random.Random(8).randbytes(40 * 1024),
}
EMPTY_FOLDERS = ("data/empty",)
PNG = b"\x89PNG\r\n\x1a\n" + b"\x00" * 64
JPEG = b"\xff\xd8\xff\xe0" + b"\x00" * 64


def make_product(folder):
    """Writes the small product (about 500 KiB, some of it compressible) into `folder`."""
    for path, data in PRODUCT_FILES.items():
        target = os.path.join(folder, *path.split("/"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as stream:
            stream.write(data)
    for path in EMPTY_FOLDERS:
        os.makedirs(os.path.join(folder, *path.split("/")), exist_ok=True)


def make_inputs(folder):
    """The licence and pictures beside a product: (licence, start picture, install pictures)."""
    files = {"licence.txt": "许可协议\nLicence text.\n".encode("utf-8"), "start.png": PNG, "one.jpg": JPEG,
             "two.png": PNG + b"2"}
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as stream:
            stream.write(data)
    return (os.path.join(folder, "licence.txt"), os.path.join(folder, "start.png"),
            [os.path.join(folder, "one.jpg"), os.path.join(folder, "two.png")])


def run_tool(name, *args):
    return subprocess.run([sys.executable, os.path.join(TOOLS, name), *args], stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True, timeout=300)


def publish_full(product, out, base_url, inputs, *extra):
    """tools/publish with every option of a typical release."""
    licence, start, install = inputs
    return run_tool("publish", product, out, "--base-url", base_url, "--part-size", "64k", "--threads", "2",
                    "--run-file", "App.exe", "--shortcut", "Tonvexa 演示", "--licence", licence,
                    "--start-image", start, "--install-image", *install, "--chinese-dir", *extra)


def wait_for_file(path, seconds=30):
    deadline = time.monotonic() + seconds
    while not os.path.exists(path):
        if time.monotonic() > deadline:
            raise TimeoutError(f"{path} did not appear")
        time.sleep(0.05)


@contextlib.contextmanager
def served(site, log=None, faults=None):
    """tools/serve on a free port for `site` (with the fault plan file `faults`); yields (process, port)."""
    with tempfile.TemporaryDirectory() as scratch:
        port_file = os.path.join(scratch, "port")
        args = [sys.executable, os.path.join(TOOLS, "serve"), site, "--port", "0", "--port-file", port_file]
        if log:
            args += ["--log", log]
        if faults:
            args += ["--faults", faults]
        process = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        try:
            wait_for_file(port_file)
            with open(port_file) as stream:
                yield process, int(stream.read())
        finally:
            process.send_signal(signal.SIGINT)
            process.wait(timeout=30)
            process.stderr.close()


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def readme_server_block():
    """The nginx server block the README gives publishers."""
    with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as stream:
        found = re.search(r"```nginx\n(.*?)```", stream.read(), re.S)
    if not found:
        raise AssertionError("README.md has no nginx server block")
    return "\n".join(line.strip() for line in found.group(1).splitlines())


@contextlib.contextmanager
def nginx(site, port=None):
    """nginx on 127.0.0.1 serving `site` with the README's server block, from a private prefix; yields the
    port (`port`, or a free one). Stopped (and its prefix removed) on leaving."""
    block = readme_server_block()
    with tempfile.TemporaryDirectory(prefix="tonvexa-nginx-") as prefix:
        wanted = port
        for attempt in range(1 if wanted else 5):
            port = wanted or free_port()
            server = re.sub(r"listen\s+8888;", f"listen 127.0.0.1:{port};", block)
            server = re.sub(r"root\s+[^;]+;", f"root {os.path.abspath(site)};", server)
            temp = "\n".join(f"{kind}_temp_path {prefix}/{kind};" for kind in
                             ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"))
            config = (("user root;\n" if os.geteuid() == 0 else "") +
                      f"daemon off;\nworker_processes 1;\npid {prefix}/nginx.pid;\nerror_log {prefix}/error.log;\n"
                      "events { worker_connections 64; }\n"
                      f"http {{\naccess_log {prefix}/access.log;\n{temp}\n{server}\n}}\n")
            with open(os.path.join(prefix, "nginx.conf"), "w") as stream:
                stream.write(config)
            process = subprocess.Popen(["nginx", "-p", prefix, "-c", os.path.join(prefix, "nginx.conf"),
                                        "-e", os.path.join(prefix, "error.log")],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            if _wait_for_port(port, process):
                break
            process.wait(timeout=10)
        else:
            raise RuntimeError("nginx did not start: " + process.stderr.read())
        try:
            yield port
        finally:
            process.send_signal(signal.SIGQUIT)  # graceful stop: workers finish and exit with the master
            try:
                process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
            process.stderr.close()


def _wait_for_port(port, process, seconds=15):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if process.poll() is not None:
            return False
        with socket.socket() as probe:
            if probe.connect_ex(("127.0.0.1", port)) == 0:
                return True
        time.sleep(0.05)
    return False

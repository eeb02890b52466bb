#!/usr/bin/env python3
"""Lays out the demo release input: the product folder, its licence text and slide pictures.

  make_demo_product.py --exe TonvexaAI.exe [--size 4m] OUT

OUT/product/    TonvexaAI.exe, a readme, and generated data files of about --size bytes in total: text that
                deflates well and random bytes that do not, in nested folders, some with Chinese names
OUT/licence.txt the licence text (UTF-8)
OUT/pictures/   slide-1.png, slide-2.png, slide-3.png (600 x 400)

Everything is generated from fixed seeds: the same size gives the same bytes, so publishing it again gives
the same parts and digests. Files are rewritten only when their content changes, which keeps their times."""

import argparse
import os
import random
import struct
import sys
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.realpath(__file__)), "..", "tools"))

from release.sizes import parse_size  # noqa: E402

LICENCE = """TonvexaAI 演示版 最终用户许可协议

本软件仅用于演示安装程序的发布与安装流程。您可以自由安装、运行和删除本演示版。
This demo product exists to show how a release is published and installed. You may install, run and remove it freely.
"""

README = """TonvexaAI (demo)

这是安装程序测试与演示所用的示例产品。data 文件夹中的文件由生成器写入，内容没有意义。
The files in the data folder are generated and carry no meaning.
"""

# (relative path, share of the data size, compressible)
DATA_FILES = [
    ("data/logs/启动日志.txt", 0.15, True),
    ("data/logs/archive/2026-12.log", 0.10, True),
    ("data/config/设置.json", 0.05, True),
    ("data/models/模型-基础.bin", 0.35, False),
    ("data/models/extra/权重-附加.bin", 0.20, False),
    ("data/media/intro.dat", 0.15, False),
]

WORDS = ("tonvexa", "安装", "模型", "token", "stream", "下载", "layer", "数据", "config", "release", "版本",
         "checksum")


def text_bytes(rng, size):
    lines = []
    total = 0
    number = 0
    while total < size:
        number += 1
        line = f"{number:08d} " + " ".join(rng.choice(WORDS) for _ in range(rng.randint(4, 12))) + "\n"
        encoded = line.encode("utf-8")
        lines.append(encoded)
        total += len(encoded)
    return b"".join(lines)[:size]


def png_bytes(width, height, pixel_row):
    raw = b"".join(b"\x00" + pixel_row(y) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def slide(index):
    # A diagonal gradient per slide with a light band, enough to tell the slides apart on screen.
    start = ((30, 60, 120), (20, 110, 90), (120, 50, 90))[index % 3]
    width, height = 600, 400

    def row(y):
        pixels = bytearray()
        for x in range(width):
            shade = (x + y) * 100 // (width + height)
            band = 60 if abs((x - 2 * y) % 300 - 150) < 12 else 0
            pixels += bytes(min(255, c + shade + band) for c in start)
        return bytes(pixels)

    return png_bytes(width, height, row)


def write_if_changed(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    if os.path.exists(path) and os.path.getsize(path) == len(data):
        with open(path, "rb") as stream:
            if stream.read() == data:
                return
    with open(path, "wb") as stream:
        stream.write(data)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--exe", required=True, help="the built TonvexaAI.exe")
    parser.add_argument("--size", default="4m", help="total size of the data files (k, m, g suffixes)")
    parser.add_argument("out")
    options = parser.parse_args(argv)
    size = parse_size(options.size)
    if size is None:
        parser.error(f"size {options.size!r} is not a byte count")

    product = os.path.join(options.out, "product")
    expected = {"TonvexaAI.exe", "readme.txt"} | {path for path, _, _ in DATA_FILES}
    if os.path.isdir(product):
        # Files of an earlier layout would end up in the release.
        for folder, _, files in os.walk(product):
            for name in files:
                relative = os.path.relpath(os.path.join(folder, name), product).replace(os.sep, "/")
                if relative not in expected:
                    os.remove(os.path.join(folder, name))
    with open(options.exe, "rb") as stream:
        write_if_changed(os.path.join(product, "TonvexaAI.exe"), stream.read())
    write_if_changed(os.path.join(product, "readme.txt"), README.encode("utf-8"))
    for index, (path, share, compressible) in enumerate(DATA_FILES):
        rng = random.Random(f"tonvexa-demo-{index}-{size}")
        length = int(size * share)
        data = text_bytes(rng, length) if compressible else rng.randbytes(length)
        write_if_changed(os.path.join(product, path), data)
    os.makedirs(os.path.join(product, "data", "cache"), exist_ok=True)  # an empty folder, installed too

    write_if_changed(os.path.join(options.out, "licence.txt"), LICENCE.encode("utf-8"))
    for index in range(3):
        write_if_changed(os.path.join(options.out, "pictures", f"slide-{index + 1}.png"), slide(index))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

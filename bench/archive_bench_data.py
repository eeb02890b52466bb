#!/usr/bin/env python3
"""Builds the archive-extraction benchmark's package: a ~150 MiB zip shaped like a product release.

    archive_bench_data.py OUT.zip

About 3000 small files (source-like text and small binaries in nested folders), large compressible
files (logs, data tables, an uncompressed resource pack) and large incompressible ones (media, already
compressed assets). Deterministic: the same bytes every time.
"""
import os
import random
import sys
import zipfile

out = sys.argv[1]
rng = random.Random(150)
words = [("".join(rng.choice("abcdefghijklmnopqrstuvwxyz_") for _ in range(rng.randint(2, 12))))
         for _ in range(4000)]


def text(size):
    lines = []
    total = 0
    while total < size:
        line = "    " * rng.randint(0, 4) + " ".join(rng.choice(words) for _ in range(rng.randint(3, 14))) + "\n"
        lines.append(line)
        total += len(line)
    return "".join(lines).encode()[:size]


def varied(block, size):
    """`size` bytes from repeats of `block`, each repeat slightly changed, so deflate finds matches but no
    endless run."""
    parts = []
    total = 0
    while total < size:
        piece = bytearray(block)
        for _ in range(len(piece) // 32):
            piece[rng.randrange(len(piece))] = rng.randrange(256)
        parts.append(bytes(piece))
        total += len(piece)
    return b"".join(parts)[:size]


tmp = out + ".tmp"
with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED, compresslevel=6) as z:
    # Small files: sources, configuration, icons, in nested folders.
    for i in range(3000):
        folder = f"product/modules/m{i % 37:02d}/part{i % 5}/"
        if i % 4 == 3:
            z.writestr(folder + f"icon{i}.png", rng.randbytes(rng.randint(500, 12_000)))
        else:
            z.writestr(folder + f"file{i}.txt", text(rng.randint(300, 40_000)))
    # Large compressible files.
    z.writestr("product/logs/install_history.log", varied(text(16 << 10), 40 << 20))
    z.writestr("product/data/tables.dat", varied(bytes(rng.randrange(64) for _ in range(4 << 10)), 30 << 20))
    z.writestr("product/resources/pack.bin", varied(rng.randbytes(16 << 10), 40 << 20))
    # Large incompressible files, stored and deflated (packagers do both).
    z.writestr("product/media/intro.mp4", rng.randbytes(45 << 20), compress_type=zipfile.ZIP_STORED)
    z.writestr("product/media/voices.pak", rng.randbytes(40 << 20))
    z.writestr("product/media/textures.pak", rng.randbytes(10 << 20))
    z.writestr("product/bin/engine.dll", rng.randbytes(6 << 20) + text(6 << 20))
os.replace(tmp, out)

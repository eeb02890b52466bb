#!/usr/bin/env python3
"""Builds the archives the archive-extraction tests read.

    archive_fixtures.py OUTDIR

OUTDIR/tree/...            the files packed into tree.zip (the expected extraction)
OUTDIR/tree.zip            nested folders, an empty folder, a zero-length file, a 20 MiB file
OUTDIR/cjk/..., cjk.zip    files and a folder with Chinese names
OUTDIR/spanned/...         the files packed into the spanned archive
OUTDIR/product.zip, .z01, .z02   the same, split into 1 MiB volumes by Info-ZIP
OUTDIR/crc.zip             a stored entry whose data no longer matches its CRC
OUTDIR/encrypted_aes.zip, encrypted_zipcrypto.zip   "secret.txt" under the password "Tonvexa-9"
OUTDIR/empty_items.zip     only a folder and a zero-length file (nothing to unpack)
OUTDIR/long_name.zip       one file whose path is longer than 40 characters
OUTDIR/slip_N.zip          "ok.txt" followed by one item whose path reaches outside (names in slip_names.txt)
OUTDIR/inner_dots.zip      "sub/../inside.txt", which stays inside
"""
import os
import random
import subprocess
import sys
import zipfile

out = sys.argv[1]
rng = random.Random(20260913)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def pack(archive, root, folders, deflate=True):
    method = zipfile.ZIP_DEFLATED if deflate else zipfile.ZIP_STORED
    with zipfile.ZipFile(archive, "w", method) as z:
        for folder in folders:
            z.writestr(zipfile.ZipInfo(folder + "/"), b"")
        for base, _, names in sorted(os.walk(root)):
            for name in sorted(names):
                full = os.path.join(base, name)
                z.write(full, os.path.relpath(full, root))


# The main tree.
tree = os.path.join(out, "tree")
files = {
    "readme.txt": b"TonvexaAI\r\n" * 100,
    "bin/app.exe": rng.randbytes(300_000),
    "bin/plugins/deep/x/y/z.dat": bytes(range(256)) * 64,
    "data/empty.bin": b"",
    # 20 MiB, half random and half long runs, so deflate has work of both kinds.
    "data/large.bin": b"".join(rng.randbytes(1 << 19) + bytes([i]) * (1 << 19) for i in range(20)),
}
for name, data in files.items():
    write(os.path.join(tree, name), data)
os.makedirs(os.path.join(tree, "empty_folder"), exist_ok=True)
pack(os.path.join(out, "tree.zip"), tree, ["bin", "empty_folder"])

cjk = os.path.join(out, "cjk")
write(os.path.join(cjk, "资料/说明文档.txt"), "中文内容\n".encode("utf-8") * 50)
write(os.path.join(cjk, "安装包.dat"), rng.randbytes(70_000))
pack(os.path.join(out, "cjk.zip"), cjk, ["资料"])

# A spanned archive of about 2.6 MiB in 1 MiB volumes: product.z01, product.z02, product.zip.
spanned = os.path.join(out, "spanned")
write(os.path.join(spanned, "payload.bin"), rng.randbytes(2_600_000))
write(os.path.join(spanned, "docs/notes.txt"), b"spanned archive\n" * 64)
subprocess.run(["zip", "-q", "-r", "-s", "1m", os.path.join(out, "product.zip"), "."], cwd=spanned, check=True)

# A corrupt entry: flip one byte inside a stored file's data.
crc = os.path.join(out, "crc.zip")
with zipfile.ZipFile(crc, "w", zipfile.ZIP_STORED) as z:
    z.writestr("good.txt", b"good\n" * 100)
    z.writestr("bad.txt", b"B" * 4096)
raw = bytearray(open(crc, "rb").read())
raw[raw.index(b"B" * 4096) + 2000] = ord("C")
open(crc, "wb").write(bytes(raw))

# Encrypted archives (the zip module cannot write them).
secret = os.path.join(out, "secret")
write(os.path.join(secret, "secret.txt"), b"the secret text\n" * 200)
for name, method in (("encrypted_aes.zip", ["-mem=AES256"]), ("encrypted_zipcrypto.zip", ["-mem=ZipCrypto"])):
    subprocess.run(["7zz", "a", "-bd", "-y", "-tzip", "-pTonvexa-9", *method, os.path.join(out, name), "secret.txt"],
                   cwd=secret, check=True, stdout=subprocess.DEVNULL)

# Nothing to unpack: a folder and an empty file.
with zipfile.ZipFile(os.path.join(out, "empty_items.zip"), "w") as z:
    z.writestr(zipfile.ZipInfo("folder/"), b"")
    z.writestr("folder/nothing.txt", b"")

with zipfile.ZipFile(os.path.join(out, "long_name.zip"), "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("a_folder_with_a_long_name/and_a_file_name_that_is_long_too.txt", rng.randbytes(200_000))

# Items whose paths reach outside the destination, each after a harmless one.
slip_names = ["../evil.txt", "/abs.txt", "C:\\x.txt", "a/../../b.txt", "..\\back.txt", "sub/../../../up.txt",
              "NUL.txt", "\\\\server\\share\\x.txt", "file.txt:stream"]
for i, name in enumerate(slip_names):
    with zipfile.ZipFile(os.path.join(out, f"slip_{i}.zip"), "w") as z:
        z.writestr("ok.txt", b"harmless\n")
        z.writestr(zipfile.ZipInfo(name), b"escaped\n")
with open(os.path.join(out, "slip_names.txt"), "w", encoding="utf-8") as f:
    f.write("\n".join(slip_names) + "\n")

with zipfile.ZipFile(os.path.join(out, "inner_dots.zip"), "w") as z:
    z.writestr(zipfile.ZipInfo("sub/../inside.txt"), b"inside\n")

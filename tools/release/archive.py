"""The product as one spanned zip: written entry by entry with fixed metadata, then split by Info-ZIP `zip`.

Python's zipfile writes the whole archive first, so every byte of it depends only on the product's files and
the one timestamp given (the UTF-8 flag is set for names with Chinese characters); `zip -s` then cuts it into
`<name>.z01`, `<name>.z02`, ... and `<name>.zip`, which the codec library opens from the `.zip` alone."""

import os
import shutil
import subprocess
import time
import zipfile
import zlib

# Info-ZIP refuses smaller volumes.
MIN_PART_SIZE = 64 * 1024

_CHUNK = 1024 * 1024
# A file whose first mebibyte deflates to more than this share of its size is stored: pictures, media and
# packed data gain nothing from deflate and would only cost the user extraction time.
_STORE_ABOVE_RATIO = 0.95
# Windows attributes of the entries (archive, directory): the product is installed on Windows.
_FILE_ATTRIBUTES = 0x20
_FOLDER_ATTRIBUTES = 0x10


def product_entries(product_dir):
    """(relative path with '/', is_folder) of everything below `product_dir`, sorted, folders included so
    that empty ones are installed too."""
    entries = []
    for folder, subfolders, files in os.walk(product_dir):
        subfolders.sort()
        relative = os.path.relpath(folder, product_dir).replace(os.sep, "/")
        prefix = "" if relative == "." else relative + "/"
        entries.extend((prefix + name, True) for name in subfolders)
        entries.extend((prefix + name, False) for name in files)
    return sorted(entries)


def newest_mtime(product_dir, entries):
    """The latest modification time among the product's files, the archive's one timestamp unless the
    environment fixes one (SOURCE_DATE_EPOCH), so an unchanged product gives the same bytes again."""
    fixed = os.environ.get("SOURCE_DATE_EPOCH")
    if fixed and fixed.isdigit():
        return int(fixed)
    times = [os.stat(os.path.join(product_dir, path)).st_mtime for path, folder in entries if not folder]
    return int(max(times)) if times else 315532800


def _zip_time(epoch):
    # Zip timestamps start in 1980 and count in steps of two seconds.
    stamp = time.gmtime(max(epoch, 315532800))
    return stamp[:5] + (stamp[5] // 2 * 2,)


def _compress_type(path):
    with open(path, "rb") as stream:
        head = stream.read(_CHUNK)
    if not head or len(zlib.compress(head, 6)) > _STORE_ABOVE_RATIO * len(head):
        return zipfile.ZIP_STORED
    return zipfile.ZIP_DEFLATED


def write_whole_archive(product_dir, entries, target, epoch):
    """Writes the product into the single zip `target`."""
    date_time = _zip_time(epoch)
    with zipfile.ZipFile(target, "w", allowZip64=True) as archive:
        for path, folder in entries:
            info = zipfile.ZipInfo(path + "/" if folder else path, date_time)
            info.create_system = 0
            if folder:
                info.external_attr = _FOLDER_ATTRIBUTES
                archive.writestr(info, b"")
                continue
            source = os.path.join(product_dir, path)
            info.external_attr = _FILE_ATTRIBUTES
            info.compress_type = _compress_type(source)
            info.file_size = os.path.getsize(source)
            with open(source, "rb") as stream, archive.open(info, "w") as sink:
                shutil.copyfileobj(stream, sink, _CHUNK)


def split_archive(whole, folder, base_name, part_size):
    """Cuts `whole` into volumes of `part_size` bytes named `base_name`.z01 ... and `base_name`.zip in
    `folder`. Returns the volume file names in download order (the .zip last)."""
    result = subprocess.run(
        ["zip", "-q", "-s", str(part_size // 1024) + "k", whole, "--out", os.path.join(folder, base_name + ".zip")],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0:
        raise RuntimeError("zip could not split the archive: " + result.stdout.strip())
    number_at = len(base_name) + 2
    volumes = sorted((name for name in os.listdir(folder)
                      if name.startswith(base_name + ".z") and name[number_at:].isdigit()),
                     key=lambda name: int(name[number_at:]))
    return volumes + [base_name + ".zip"]


def spanned_entries(zip_path):
    """Tests the spanned archive whose last volume is `zip_path` (the others beside it) with 7-Zip, as the
    installer's codec library will open it, and lists it. Returns (entries, None) with (path using '/',
    is_folder) pairs, or (None, the reason it does not open). (Info-ZIP's own joining, `zip -s 0`, loses
    data of entries that span more than two volumes, so it is no judge.)"""
    seven = shutil.which("7zz") or shutil.which("7z")
    if seven is None:
        return None, "7-Zip (7zz) is not installed (tools/setup installs it)"
    tested = subprocess.run([seven, "t", "-bd", "-sccUTF-8", zip_path],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")
    if tested.returncode != 0:
        lines = [line.strip() for line in tested.stdout.splitlines() if "ERROR" in line.upper() or "error" in line]
        return None, "; ".join(lines[:3]) or f"7-Zip exit code {tested.returncode}"
    listed = subprocess.run([seven, "l", "-slt", "-ba", "-sccUTF-8", zip_path],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, errors="replace")
    entries = []
    path = None
    for line in listed.stdout.splitlines():
        if line.startswith("Path = "):
            path = line[len("Path = "):]
        elif line.startswith("Folder = ") and path is not None:
            entries.append((path, line.endswith("+")))
            path = None
    return entries, None

"""`tools/publish`: a product folder into a static release site.

The site under OUT_DIR:
  down/<token>.json              the installer's configuration document
  down/<token>/<part>.z01 ...    the spanned zip parts, the .zip last
  down/<token>/licence.txt       the licence text (when given)
  down/<token>/start-1.png ...   the background pictures (when given)
Every address in the document is the base URL followed by these paths."""

import argparse
import hashlib
import os
import shutil
import sys
import tempfile
import urllib.parse

from release import archive, document, lint, names, pictures, sizes


def _md5(path):
    digest = hashlib.md5()
    with open(path, "rb") as stream:
        for chunk in iter(lambda: stream.read(1024 * 1024), b""):
            digest.update(chunk)
    return digest.hexdigest().upper()


def _address(base_url, *segments):
    return base_url.rstrip("/") + "/" + "/".join(urllib.parse.quote(segment) for segment in segments)


def _write_site(options, entries, site):
    """Writes the whole site into the empty folder `site`; returns the document."""
    release_dir = os.path.join(site, "down", options.token)
    os.makedirs(release_dir)
    base = (options.base_url, "down", options.token)

    with tempfile.TemporaryDirectory(dir=site) as scratch:
        whole = os.path.join(scratch, "whole.zip")
        archive.write_whole_archive(options.product_dir, entries, whole,
                                    archive.newest_mtime(options.product_dir, entries))
        volumes = archive.split_archive(whole, release_dir, options.part_name, options.part_size)
    parts = [(name, _address(*base, name), _md5(os.path.join(release_dir, name))) for name in volumes]

    licence_url = ""
    if options.licence:
        shutil.copyfile(options.licence, os.path.join(release_dir, "licence.txt"))
        licence_url = _address(*base, "licence.txt")

    def copy_pictures(paths, prefix):
        urls = []
        for index, path in enumerate(paths, 1):
            name = f"{prefix}-{index}{pictures.file_picture_extension(path)}"
            shutil.copyfile(path, os.path.join(release_dir, name))
            urls.append(_address(*base, name))
        return urls

    config = document.make_document(
        licence_url, options.chinese_dir, options.threads, names.windows_path(options.run_file or ""),
        options.shortcut or "", copy_pictures(options.start_images, "start"),
        copy_pictures(options.install_images, "install"), parts)
    with open(os.path.join(site, document.config_path(options.token)), "wb") as stream:
        stream.write(document.document_bytes(config))
    return config


def _replace_folder(new, target):
    """Puts the finished site `new` at `target`, replacing an earlier site there."""
    if os.path.exists(target):
        old = tempfile.mkdtemp(prefix=".old-", dir=os.path.dirname(os.path.abspath(target)))
        os.rename(target, os.path.join(old, "site"))
        os.rename(new, target)
        shutil.rmtree(old)
    else:
        os.rename(new, target)


def _out_dir_problem(out_dir, product_dir):
    out = os.path.realpath(out_dir)
    product = os.path.realpath(product_dir)
    if out == product or out.startswith(product + os.sep) or product.startswith(out + os.sep):
        return f"output folder {out_dir} and product folder {product_dir} overlap"
    if os.path.exists(out_dir):
        if not os.path.isdir(out_dir):
            return f"output folder {out_dir} is a file"
        contents = set(os.listdir(out_dir))
        if contents and contents != {"down"}:
            # Never wipe a folder that is not an earlier release site.
            return f"output folder {out_dir} is not empty and not an earlier release site"
    return None


def add_publish_arguments(parser):
    parser.add_argument("product_dir", metavar="PRODUCT_DIR")
    parser.add_argument("out_dir", metavar="OUT_DIR")
    parser.add_argument("--base-url", required=True, metavar="URL",
                        help="address of OUT_DIR on the web server, e.g. http://127.0.0.1:8888")
    parser.add_argument("--token", default="tonvexa", help="the document is down/TOKEN.json (default tonvexa)")
    parser.add_argument("--part-size", dest="part_size_text", default="50m", metavar="SIZE",
                        help="bytes per part, with an optional k, m or g suffix (default 50m, at least 64k)")
    parser.add_argument("--part-name", default="product", metavar="NAME",
                        help="parts are NAME.z01, NAME.z02, ..., NAME.zip (default product)")
    parser.add_argument("--threads", type=int, default=3, metavar="N", help="most downloads at once (default 3)")
    parser.add_argument("--run-file", metavar="NAME",
                        help="program started after installation, relative to the product")
    parser.add_argument("--shortcut", metavar="NAME", help="desktop shortcut name, without .lnk")
    parser.add_argument("--licence", metavar="FILE", help="licence text (UTF-8)")
    parser.add_argument("--start-image", dest="start_images", nargs="+", action="extend", default=[], metavar="FILE",
                        help="background pictures before installation (PNG or JPEG)")
    parser.add_argument("--install-image", dest="install_images", nargs="+", action="extend", default=[],
                        metavar="FILE", help="background pictures during installation (PNG or JPEG)")
    parser.add_argument("--chinese-dir", action="store_true",
                        help="the product may be installed in folders with Chinese characters")


def publish(options):
    """Lints, then writes the site. Returns the exit code."""
    options.part_size = sizes.parse_size(options.part_size_text)
    entries = archive.product_entries(options.product_dir) if os.path.isdir(options.product_dir) else []
    problems = lint.lint(options, entries)
    out_problem = _out_dir_problem(options.out_dir, options.product_dir)
    if out_problem:
        problems.append(out_problem)
    if shutil.which("zip") is None:
        problems.append("Info-ZIP zip is not installed (tools/setup installs it)")
    if problems:
        for problem in problems:
            print(f"publish: {problem}", file=sys.stderr)
        return 2

    parent = os.path.dirname(os.path.abspath(options.out_dir))
    os.makedirs(parent, exist_ok=True)
    # The site is made beside OUT_DIR and moved into place only when complete: a failure leaves nothing behind.
    work = tempfile.mkdtemp(prefix=".publish-", dir=parent)
    try:
        config = _write_site(options, entries, work)
        _replace_folder(work, options.out_dir)
    except (OSError, RuntimeError) as error:
        shutil.rmtree(work, ignore_errors=True)
        print(f"publish: {error}", file=sys.stderr)
        return 1

    parts = config[document.PARTS]
    total = sum(os.path.getsize(os.path.join(options.out_dir, "down", options.token, part[document.PART_NAME]))
                for part in parts)
    print(f"publish: {sizes.count_of(len(parts), 'part')}, {sizes.describe_size(total)}, configuration "
          f"{_address(options.base_url, 'down', options.token + '.json')}")
    return 0


def main(argv):
    parser = argparse.ArgumentParser(prog="tools/publish", description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    add_publish_arguments(parser)
    return publish(parser.parse_args(argv))

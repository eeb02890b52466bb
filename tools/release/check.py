"""`tools/publish --check URL_OR_FILE`: whether a deployed (or about to be deployed) release will install.

The configuration is read as the installer reads it: fetched without following redirects, UTF-8 JSON with an
object at its root. Then every address it names is fetched: the licence and pictures as the installer's
text and picture fetches do (no redirects), the parts as its downloads do, each part streamed to a scratch
file while its MD5 is computed. Finally the parts are joined and opened as one zip, whose entries are tested
and must contain the run file. Every problem is one line; the exit code is 0 only when there is none."""

import argparse
import hashlib
import json
import os
import re
import sys
import tempfile
import urllib.error
import urllib.parse
import urllib.request

from release import archive, document, names, pictures, sizes

_TIMEOUT = 30
_CHUNK = 1024 * 1024
_MD5 = re.compile(r"^[0-9A-F]{32}$")


class _NoRedirect(urllib.request.HTTPRedirectHandler):
    def redirect_request(self, *args, **kwargs):
        return None


_FETCH_OPENER = urllib.request.build_opener(_NoRedirect)
_DOWNLOAD_OPENER = urllib.request.build_opener()


class Findings:
    def __init__(self, out):
        self.out = out
        self.problems = 0
        self.warnings = 0

    def problem(self, subject, text):
        self.problems += 1
        print(f"problem: {subject}: {text}", file=self.out, flush=True)

    def warning(self, subject, text):
        self.warnings += 1
        print(f"warning: {subject}: {text}", file=self.out, flush=True)


def _is_web_address(text):
    return text.startswith(("http://", "https://"))


def _open(url, follow_redirects):
    """The open response, or the reason it cannot be had."""
    opener = _DOWNLOAD_OPENER if follow_redirects else _FETCH_OPENER
    try:
        return opener.open(urllib.request.Request(url, headers={"User-Agent": "tonvexa-release-check"}),
                           timeout=_TIMEOUT), None
    except urllib.error.HTTPError as error:
        if 300 <= error.code < 400:
            return None, f"answers {error.code} (a redirect, which the installer does not follow)"
        return None, f"answers {error.code} {error.reason}"
    except (urllib.error.URLError, OSError, ValueError) as error:
        return None, f"does not answer ({getattr(error, 'reason', error)})"


def _fetch(url, follow_redirects=False):
    response, why = _open(url, follow_redirects)
    if response is None:
        return None, why
    with response:
        return response.read(), None


def _read_configuration(source, findings):
    if _is_web_address(source):
        data, why = _fetch(source)
        if data is None:
            findings.problem("configuration", f"{source} {why}")
            return None
    else:
        try:
            with open(source, "rb") as stream:
                data = stream.read()
        except OSError as error:
            findings.problem("configuration", f"cannot read {source}: {error.strerror}")
            return None
    try:
        config = json.loads(data.decode("utf-8"))
    except (UnicodeDecodeError, ValueError) as error:
        findings.problem("configuration", f"is not UTF-8 JSON ({error})")
        return None
    if not isinstance(config, dict):
        findings.problem("configuration", "its root is not an object: the installer would find no parts")
        return None
    return config


def _text_member(config, name, findings):
    """The member's text, '' when missing; a problem (and None) when it is no string."""
    value = config.get(name, "")
    if not isinstance(value, str):
        findings.problem(name, f"is a JSON {type(value).__name__}, not a string")
        return None
    return value


def _check_url(subject, url, findings):
    if not isinstance(url, str) or not _is_web_address(url):
        findings.problem(subject, f"address {url!r} is not an http:// or https:// address")
        return False
    return True


def _check_members(config, findings):
    """Checks the single members; returns (run file, part list of (name, url, md5), picture URLs)."""
    licence = _text_member(config, document.LICENCE_URL, findings)
    if licence == "":
        findings.warning(document.LICENCE_URL, "no licence address: the licence window will be empty")
    elif licence and _check_url("licence", licence, findings):
        text, why = _fetch(licence)
        if text is None:
            findings.problem("licence", f"{licence} {why}")
        else:
            try:
                text.decode("utf-8")
            except UnicodeDecodeError:
                findings.problem("licence", f"{licence} is not UTF-8 text: the licence window would be empty")

    chinese = config.get(document.CHINESE_DIR, "")
    if not isinstance(chinese, str):
        findings.problem(document.CHINESE_DIR, f"is a JSON {type(chinese).__name__}; only the text "
                         f"\"{document.YES}\" allows Chinese folders")
    elif chinese not in (document.YES, document.NO, ""):
        findings.warning(document.CHINESE_DIR,
                         f"{chinese!r} is not \"{document.YES}\": Chinese folders are not allowed")

    limit = config.get(document.THREAD_LIMIT)
    if isinstance(limit, str) and limit.strip().isdigit():
        findings.warning(document.THREAD_LIMIT, f"is the text {limit!r}; the installer reads it, a number is clearer")
        limit = int(limit)
    if limit is None:
        findings.problem(document.THREAD_LIMIT, "is missing: the installer would never start a download")
    elif isinstance(limit, bool) or not isinstance(limit, int):
        findings.problem(document.THREAD_LIMIT, f"{limit!r} is not an integer")
    elif limit < 1 or limit >= 2**31:
        findings.problem(document.THREAD_LIMIT, f"{limit} is outside 1 to 2147483647: no download would start")

    run_file = _text_member(config, document.RUN_FILE, findings)
    if run_file == "":
        findings.warning(document.RUN_FILE, "is empty: the installer opens the install folder instead of a program")
    elif run_file:
        problem = names.relative_path_problem(run_file)
        if problem:
            findings.problem(document.RUN_FILE, f"{run_file!r} {problem}")
            run_file = None

    shortcut = _text_member(config, document.SHORTCUT, findings)
    if shortcut:
        problem = names.file_name_problem(shortcut)
        if problem:
            findings.problem(document.SHORTCUT, f"{shortcut!r} {problem}")

    picture_urls = []
    groups = config.get(document.PICTURES, {})
    if not isinstance(groups, dict):
        findings.problem(document.PICTURES, "is not an object")
        groups = {}
    for group in (document.START_PICTURES, document.INSTALL_PICTURES):
        urls = groups.get(group, [])
        if not isinstance(urls, list) or not all(isinstance(url, str) for url in urls):
            findings.problem(f"{document.PICTURES}/{group}", "is not an array of addresses")
            continue
        picture_urls.extend(url for url in urls if _check_url(f"{document.PICTURES}/{group}", url, findings))
    return run_file, _check_part_entries(config, findings), picture_urls


def _check_part_entries(config, findings):
    entries = config.get(document.PARTS)
    if not isinstance(entries, list) or not entries:
        findings.problem(document.PARTS, "is not a non-empty array of parts")
        return []
    parts = []
    for index, entry in enumerate(entries, 1):
        fields = [entry.get(member) if isinstance(entry, dict) else None
                  for member in (document.PART_NAME, document.PART_URL, document.PART_MD5)]
        name, url, md5 = fields
        subject = f"part {name}" if isinstance(name, str) and name else f"part {index}"
        if not all(isinstance(field, str) and field for field in fields):
            findings.problem(subject, f"needs the texts {document.PART_NAME}, {document.PART_URL} and "
                             f"{document.PART_MD5}")
            continue
        ok = _check_url(subject, url, findings)
        problem = names.file_name_problem(name)
        if problem:
            findings.problem(subject, f"name {name!r} {problem}")
            ok = False
        if not _MD5.match(md5):
            findings.problem(subject, f"MD5 {md5!r} is not 32 upper-case hexadecimal digits: "
                             "the installer compares it exactly and would never match")
            ok = False
        if any(name.lower() == other.lower() for other, _, _ in parts):
            findings.problem(subject, "is listed twice")
            ok = False
        if ok:
            parts.append((name, url, md5))
    zips = [entry.get(document.PART_NAME) for entry in entries
            if isinstance(entry, dict) and isinstance(entry.get(document.PART_NAME), str)
            and names.extension(entry[document.PART_NAME]) == "zip"]
    if len(zips) != 1:
        findings.problem(document.PARTS, f"{len(zips)} part names end in .zip ({', '.join(zips) or 'none'}); "
                         "the installer needs exactly one")
    return parts


def _check_pictures(urls, findings):
    for url in urls:
        data, why = _fetch(url)
        if data is None:
            findings.problem("picture", f"{url} {why}")
        elif not pictures.picture_extension(data):
            findings.problem("picture", f"{url} is not a PNG or JPEG picture")


def _download_part(name, url, md5, folder, findings):
    """Streams the part into `folder`, comparing its MD5. Returns its size, or None when it did not arrive."""
    response, why = _open(url, follow_redirects=True)
    if response is None:
        findings.problem(f"part {name}", f"{url} {why}")
        return None
    digest = hashlib.md5()
    size = 0
    with response, open(os.path.join(folder, name), "wb") as sink:
        try:
            for chunk in iter(lambda: response.read(_CHUNK), b""):
                digest.update(chunk)
                sink.write(chunk)
                size += len(chunk)
        except (OSError, ValueError) as error:
            findings.problem(f"part {name}", f"{url} broke off after {size} bytes ({error})")
            return None
    if digest.hexdigest().upper() != md5:
        findings.problem(f"part {name}", f"its MD5 is {digest.hexdigest().upper()}, the configuration says {md5}")
    return size


def _check_archive(parts, run_file, folder, findings):
    zip_name = next(name for name, _, _ in parts if names.extension(name) == "zip")
    entries, why = archive.spanned_entries(os.path.join(folder, zip_name))
    if entries is None:
        findings.problem("archive", f"the parts do not open as one zip archive: {why}")
        return
    part_names = {name.lower() for name, _, _ in parts}
    for entry, _ in entries:
        problem = names.relative_path_problem(entry)
        if problem:
            findings.problem("archive", f"entry {entry!r} {problem}")
        elif "/" not in entry and entry.lower() in part_names:
            findings.problem("archive", f"entry {entry!r} has a part's name: the installer deletes it after extraction")
    if run_file:
        wanted = run_file.replace("\\", "/").lower()
        if not any(entry.lower() == wanted and not folder for entry, folder in entries):
            findings.problem(document.RUN_FILE, f"{run_file!r} is not in the archive")


def check(source, out=sys.stdout):
    """Prints the findings and a summary; returns the exit code."""
    findings = Findings(out)
    config = _read_configuration(source, findings)
    total = 0
    parts = []
    if config is not None:
        run_file, parts, picture_urls = _check_members(config, findings)
        _check_pictures(picture_urls, findings)
        if parts:
            with tempfile.TemporaryDirectory(prefix="tonvexa-check-") as folder:
                sizes_seen = [_download_part(name, url, md5, folder, findings) for name, url, md5 in parts]
                total = sum(size for size in sizes_seen if size)
                zip_parts = [name for name, _, _ in parts if names.extension(name) == "zip"]
                if None not in sizes_seen and len(zip_parts) == 1:
                    _check_archive(parts, run_file, folder, findings)
    if findings.problems:
        print(f"check: {findings.problems} problem(s), {findings.warnings} warning(s): the release will not install",
              file=out)
        return 1
    print(f"check: the release will install ({sizes.count_of(len(parts), 'part')}, {sizes.describe_size(total)}, "
          f"{findings.warnings} warning(s))", file=out)
    return 0


def main(argv):
    parser = argparse.ArgumentParser(prog="tools/publish --check", description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--check", required=True, metavar="URL_OR_FILE",
                        help="the configuration: http(s) address or a local file")
    options = parser.parse_args(argv)
    return check(options.check)

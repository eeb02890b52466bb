"""Which names the installer can use safely on Windows.

Part names become files in the install folder, the shortcut name becomes "<name>.lnk" on the desktop, the
run file and every archive entry become paths below the install folder. A name that Windows refuses, or that
climbs out of its folder, breaks the installation on the user's machine, so both the publisher's lint and the
release check hold names to these rules."""

import re

_RESERVED_DEVICES = {"con", "prn", "aux", "nul"} | {f"com{i}" for i in range(1, 10)} | {f"lpt{i}" for i in range(1, 10)}
_FORBIDDEN = re.compile(r'[<>:"/\\|?*\x00-\x1f]')


def file_name_problem(name):
    """Why `name` is not a plain Windows file name, or None when it is one."""
    if not name:
        return "is empty"
    if name in (".", ".."):
        return "is not a file name"
    found = _FORBIDDEN.search(name)
    if found:
        char = found.group(0)
        if char in "/\\":
            return "contains a folder separator"
        return f"contains the character {char!r}, which Windows does not allow in file names"
    if name[-1] in ". ":
        return "ends with a full stop or a space, which Windows drops"
    if name.split(".")[0].strip().lower() in _RESERVED_DEVICES:
        return "is a Windows device name"
    if len(name) > 255:
        return "is longer than 255 characters"
    return None


def relative_path_problem(path):
    """Why `path` (separated by / or \\) is not a safe relative path below a folder, or None."""
    if not path:
        return "is empty"
    if path.startswith(("/", "\\")) or re.match(r"^[A-Za-z]:", path):
        return "is not relative to the install folder"
    for segment in re.split(r"[/\\]", path):
        problem = file_name_problem(segment)
        if problem:
            return f"has a segment {segment!r} that {problem}"
    return None


def windows_path(path):
    """`path` with backslashes, as the installer joins it to the install folder."""
    return path.replace("/", "\\")


def extension(name):
    """The installer's view of a part's extension: after the last full stop of the last segment, with ASCII
    capitals made lower case."""
    last = name.rsplit("\\", 1)[-1]
    suffix = last.rsplit(".", 1)[1] if "." in last else ""
    return "".join(c.lower() if "A" <= c <= "Z" else c for c in suffix)

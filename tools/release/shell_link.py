#!/usr/bin/env python3
"""Reads a Windows shortcut (.lnk): its target path and working directory.

  shell_link.py FILE.lnk    prints "TARGET (in WORKING_DIRECTORY)"

Enough of the shell link format for the shortcuts the installer writes: the target from the link info's
local base path (Unicode when present, else the ANSI code page 936 the installer runs under) and the working
directory from the string data."""

import struct
import sys

_HAS_ID_LIST, _HAS_LINK_INFO, _HAS_NAME, _HAS_RELATIVE_PATH, _HAS_WORKING_DIR = 0x1, 0x2, 0x4, 0x8, 0x10
_IS_UNICODE = 0x80


def _c_string(data, offset, wide):
    if wide:
        end = offset
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[offset:end].decode("utf-16-le")
    end = data.index(b"\0", offset)
    return data[offset:end].decode("gbk", errors="replace")


def read(path):
    """(target, working directory) of the shortcut; empty texts for what it does not hold."""
    data = open(path, "rb").read()
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 76
    if flags & _HAS_ID_LIST:
        at += 2 + struct.unpack_from("<H", data, at)[0]
    target = ""
    if flags & _HAS_LINK_INFO:
        size, header_size, info_flags, _, base, _, suffix = struct.unpack_from("<7I", data, at)
        if info_flags & 1:
            if header_size >= 0x24:
                base_wide, suffix_wide = struct.unpack_from("<2I", data, at + 28)
                target = _c_string(data, at + base_wide, True) + _c_string(data, at + suffix_wide, True)
            else:
                target = _c_string(data, at + base, False) + _c_string(data, at + suffix, False)
        at += size
    strings = {}
    for flag in (_HAS_NAME, _HAS_RELATIVE_PATH, _HAS_WORKING_DIR):
        if flags & flag:
            count = struct.unpack_from("<H", data, at)[0]
            width = 2 if flags & _IS_UNICODE else 1
            raw = data[at + 2:at + 2 + count * width]
            strings[flag] = raw.decode("utf-16-le" if width == 2 else "gbk", errors="replace").rstrip("\0")
            at += 2 + count * width
    return target, strings.get(_HAS_WORKING_DIR, "")


if __name__ == "__main__":
    target, directory = read(sys.argv[1])
    print(f"{target or '?'} (in {directory or '?'})")

"""Byte counts written with an optional binary suffix: 100, 64k, 50m, 2g."""

_UNITS = {"": 1, "k": 1024, "m": 1024**2, "g": 1024**3}


def parse_size(text):
    """The byte count of `text`, or None when it is not a count with an optional k, m or g suffix."""
    text = text.strip().lower()
    suffix = text[-1:] if text[-1:] in ("k", "m", "g") else ""
    digits = text[: len(text) - len(suffix)]
    if not digits.isdigit() or not digits.isascii():
        return None
    return int(digits) * _UNITS[suffix]


def describe_size(count):
    """A short human reading of a byte count: "512 B", "3.2 MiB"."""
    value = float(count)
    for unit in ("B", "KiB", "MiB", "GiB"):
        if value < 1024 or unit == "GiB":
            return f"{count} B" if unit == "B" else f"{value:.1f} {unit}"
        value /= 1024
    return f"{count} B"


def count_of(count, noun):
    """"1 part", "4 parts"."""
    return f"{count} {noun}" if count == 1 else f"{count} {noun}s"

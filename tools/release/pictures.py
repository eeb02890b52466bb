"""Picture formats the installer's slide show decodes."""

_SIGNATURES = ((b"\x89PNG\r\n\x1a\n", ".png"), (b"\xff\xd8\xff", ".jpg"))


def picture_extension(head):
    """".png" or ".jpg" for bytes that start a PNG or JPEG file, else None."""
    for signature, extension in _SIGNATURES:
        if head.startswith(signature):
            return extension
    return None


def file_picture_extension(path):
    with open(path, "rb") as stream:
        return picture_extension(stream.read(8))

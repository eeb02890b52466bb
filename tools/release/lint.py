"""Everything `tools/publish` refuses before it writes anything. Each refusal is one line naming the problem."""

import os
import urllib.parse

from release import archive, names, pictures


def _licence_problem(path):
    if not os.path.isfile(path):
        return f"licence file {path} does not exist"
    with open(path, "rb") as stream:
        data = stream.read()
    try:
        data.decode("utf-8")
    except UnicodeDecodeError:
        # The installer decodes the licence as UTF-8 and shows nothing for anything else.
        return f"licence file {path} is not UTF-8 text"
    return None


def lint(options, entries):
    """The refusals for the parsed command line `options` and the product's `entries`
    (see archive.product_entries), in the order a publisher would fix them."""
    problems = []
    url = urllib.parse.urlsplit(options.base_url)
    if url.scheme not in ("http", "https") or not url.hostname:
        problems.append(f"base URL {options.base_url!r} is not an http:// or https:// address")
    elif url.query or url.fragment:
        problems.append(f"base URL {options.base_url!r} has a query or fragment; give the site's folder address")

    token_problem = names.file_name_problem(options.token)
    if token_problem:
        problems.append(f"token {options.token!r} {token_problem}")

    if not os.path.isdir(options.product_dir):
        problems.append(f"product folder {options.product_dir} does not exist")
    elif not any(not folder for _, folder in entries):
        problems.append(f"product folder {options.product_dir} has no files")
    seen = {}
    for path, _ in entries:
        if path.lower() in seen:
            problems.append(f"product paths {seen[path.lower()]!r} and {path!r} differ only in case: "
                            "Windows keeps one of them")
        seen.setdefault(path.lower(), path)
        for segment in path.split("/"):
            problem = names.file_name_problem(segment)
            if problem:
                problems.append(f"product path {path!r} cannot be installed on Windows: {segment!r} {problem}")
                break

    if options.part_size is None:
        problems.append(f"part size {options.part_size_text!r} is not a byte count with an optional k, m or g suffix")
    elif options.part_size < archive.MIN_PART_SIZE:
        problems.append(f"part size {options.part_size_text} is below zip's minimum of 64k")
    elif options.part_size % 1024:
        problems.append(f"part size {options.part_size_text} is not a whole number of KiB, which zip needs")

    if options.threads < 1:
        problems.append(f"thread limit {options.threads} is below 1: the installer would never start a download")
    elif options.threads > 2**31 - 1:
        # The installer keeps the low 32 bits of the number.
        problems.append(f"thread limit {options.threads} is above 2147483647")

    part_problem = names.file_name_problem(options.part_name + ".zip")
    if part_problem:
        problems.append(f"part name {options.part_name!r} is not a plain file name: {part_problem}")
    else:
        top_level = {path.lower() for path, _ in entries if "/" not in path}
        for part in (options.part_name + ".zip", options.part_name + ".z01"):
            if part.lower() in top_level:
                # The installer deletes its part files after extraction, by name.
                problems.append(f"product has a top-level file {part!r}, which the installer would delete "
                                "with its part files; choose another --part-name")
                break
    top_zips = [path for path, folder in entries if "/" not in path and not folder and names.extension(path) == "zip"]
    if top_zips:
        # An install over an earlier one would find two .zip files in the install folder and stop.
        problems.append(f"product has a .zip file at its top level ({top_zips[0]}); move it into a subfolder")

    if options.shortcut:
        problem = names.file_name_problem(options.shortcut)
        if problem:
            problems.append(f"shortcut name {options.shortcut!r} is not a plain file name: it {problem}")

    if options.run_file:
        problem = names.relative_path_problem(options.run_file)
        if problem:
            problems.append(f"run file {options.run_file!r} {problem}")
        elif os.path.isdir(options.product_dir):
            wanted = options.run_file.replace("\\", "/").lower()
            if not any(not folder and path.lower() == wanted for path, folder in entries):
                problems.append(f"run file {options.run_file!r} is not in the product")

    if options.licence:
        problem = _licence_problem(options.licence)
        if problem:
            problems.append(problem)

    for path in options.start_images + options.install_images:
        if not os.path.isfile(path):
            problems.append(f"picture {path} does not exist")
        elif not pictures.file_picture_extension(path):
            problems.append(f"picture {path} is not a PNG or JPEG file")
    return problems

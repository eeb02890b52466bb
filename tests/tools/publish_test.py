"""tools/publish: the site it writes, the same parts for the same input, and the lint table."""

import hashlib
import json
import os
import shutil
import subprocess
import tempfile
import unittest
import urllib.parse

import release_fixtures as fixtures
from release import archive, document, sizes

BASE = "http://127.0.0.1:8888"


def site_file(site, url):
    """The file of `site` that a document address names."""
    path = urllib.parse.unquote(urllib.parse.urlsplit(url).path)
    return os.path.join(site, *path.strip("/").split("/"))


def md5(path):
    with open(path, "rb") as stream:
        return hashlib.md5(stream.read()).hexdigest().upper()


class PublishedSite(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory()
        cls.product = os.path.join(cls.scratch.name, "product")
        fixtures.make_product(cls.product)
        cls.inputs = fixtures.make_inputs(cls.scratch.name)
        cls.site = os.path.join(cls.scratch.name, "site")
        result = fixtures.publish_full(cls.product, cls.site, BASE + "/", cls.inputs, "--token", "t-1")
        if result.returncode != 0:
            raise AssertionError(result.stderr)
        with open(os.path.join(cls.site, "down", "t-1.json"), "rb") as stream:
            cls.raw = stream.read()
        cls.config = json.loads(cls.raw.decode("utf-8"))

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def test_document_has_the_installer_members_with_chinese_names_unescaped(self):
        self.assertIn("用户许可文件地址".encode("utf-8"), self.raw)
        self.assertEqual(list(self.config), [document.LICENCE_URL, document.CHINESE_DIR, document.THREAD_LIMIT,
                                             document.RUN_FILE, document.SHORTCUT, document.PICTURES, document.PARTS])
        self.assertEqual(self.config[document.CHINESE_DIR], "是")
        self.assertEqual(self.config[document.THREAD_LIMIT], 2)
        self.assertEqual(self.config[document.RUN_FILE], "App.exe")
        self.assertEqual(self.config[document.SHORTCUT], "Tonvexa 演示")

    def test_every_address_starts_with_the_base_url_and_names_a_published_file(self):
        pictures = self.config[document.PICTURES]
        urls = ([self.config[document.LICENCE_URL]] + pictures[document.START_PICTURES] +
                pictures[document.INSTALL_PICTURES] + [p[document.PART_URL] for p in self.config[document.PARTS]])
        self.assertEqual(len(pictures[document.START_PICTURES]), 1)
        self.assertEqual(len(pictures[document.INSTALL_PICTURES]), 2)
        for url in urls:
            self.assertTrue(url.startswith(BASE + "/down/t-1/"), url)
            self.assertTrue(os.path.isfile(site_file(self.site, url)), url)
        with open(site_file(self.site, pictures[document.INSTALL_PICTURES][0]), "rb") as stream:
            self.assertEqual(stream.read(), fixtures.JPEG)
        with open(site_file(self.site, self.config[document.LICENCE_URL]), "rb") as stream:
            with open(self.inputs[0], "rb") as original:
                self.assertEqual(stream.read(), original.read())

    def test_parts_are_a_spanned_zip_whose_digests_match_and_that_unpacks_to_the_product(self):
        parts = self.config[document.PARTS]
        names = [p[document.PART_NAME] for p in parts]
        self.assertGreater(len(parts), 3)
        self.assertEqual(names, [f"product.z{i:02d}" for i in range(1, len(parts))] + ["product.zip"])
        for part in parts:
            path = site_file(self.site, part[document.PART_URL])
            self.assertEqual(os.path.basename(path), part[document.PART_NAME])
            self.assertEqual(part[document.PART_MD5], md5(path))
            if not path.endswith(".zip"):
                self.assertEqual(os.path.getsize(path), 64 * 1024)

        zip_path = site_file(self.site, parts[-1][document.PART_URL])
        entries, why = archive.spanned_entries(zip_path)
        self.assertIsNone(why)
        # Chinese names come out as written: the entries carry the UTF-8 flag.
        self.assertEqual({path for path, folder in entries if not folder}, set(fixtures.PRODUCT_FILES))
        self.assertIn(("data/empty", True), entries)
        with tempfile.TemporaryDirectory() as unpacked:
            subprocess.run(["7zz", "x", "-bd", "-y", f"-o{unpacked}", zip_path], check=True,
                           stdout=subprocess.DEVNULL)
            for path, data in fixtures.PRODUCT_FILES.items():
                with open(os.path.join(unpacked, *path.split("/")), "rb") as stream:
                    self.assertEqual(stream.read(), data, path)


class Republishing(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.addCleanup(self.scratch.cleanup)
        self.product = os.path.join(self.scratch.name, "product")
        fixtures.make_product(self.product)
        self.inputs = fixtures.make_inputs(self.scratch.name)

    def site_bytes(self, site):
        found = {}
        for folder, _, files in os.walk(site):
            for name in files:
                with open(os.path.join(folder, name), "rb") as stream:
                    found[os.path.relpath(os.path.join(folder, name), site)] = stream.read()
        return found

    def test_the_same_input_gives_the_same_parts_and_digests(self):
        first, second = (os.path.join(self.scratch.name, name) for name in ("first", "second"))
        for site in (first, second):
            self.assertEqual(fixtures.publish_full(self.product, site, BASE, self.inputs).returncode, 0)
        self.assertEqual(self.site_bytes(first), self.site_bytes(second))

    def test_a_new_release_replaces_the_earlier_site_without_leftovers(self):
        site = os.path.join(self.scratch.name, "site")
        self.assertEqual(fixtures.publish_full(self.product, site, BASE, self.inputs).returncode, 0)
        result = fixtures.run_tool("publish", self.product, site, "--base-url", BASE, "--part-size", "1m")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(sorted(self.site_bytes(site)),
                         sorted([os.path.join("down", "tonvexa.json"), os.path.join("down", "tonvexa", "product.zip")]))
        self.assertEqual(sorted(os.listdir(self.scratch.name)), sorted(["product", "site", "licence.txt",
                                                                        "start.png", "one.jpg", "two.png"]))


class Lint(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.addCleanup(self.scratch.cleanup)
        self.product = os.path.join(self.scratch.name, "product")
        fixtures.make_product(self.product)
        self.empty = os.path.join(self.scratch.name, "empty")
        os.makedirs(os.path.join(self.empty, "only-a-folder"))
        self.text = os.path.join(self.scratch.name, "notes.txt")
        with open(self.text, "w") as stream:
            stream.write("not a picture")
        self.latin1 = os.path.join(self.scratch.name, "latin1.txt")
        with open(self.latin1, "wb") as stream:
            stream.write("Lizenz für".encode("latin-1"))

    def test_each_bad_input_is_refused_with_one_line_and_nothing_written(self):
        good = ["--base-url", BASE, "--run-file", "App.exe"]
        table = [
            ("no product files", [self.empty, "OUT"] + good[:2], "has no files"),
            ("run file missing", [self.product, "OUT", "--base-url", BASE, "--run-file", "Missing.exe"],
             "run file 'Missing.exe' is not in the product"),
            ("run file climbing out", [self.product, "OUT", "--base-url", BASE, "--run-file", "../App.exe"],
             "run file '../App.exe' has a segment '..'"),
            ("part name with a folder", [self.product, "OUT", "--part-name", "parts/product"] + good,
             "part name 'parts/product' is not a plain file name"),
            ("shortcut with a separator", [self.product, "OUT", "--shortcut", "Tonvexa\\AI"] + good,
             "shortcut name 'Tonvexa\\\\AI' is not a plain file name"),
            ("shortcut with a reserved character", [self.product, "OUT", "--shortcut", "AI?"] + good,
             "shortcut name 'AI?' is not a plain file name"),
            ("thread limit 0", [self.product, "OUT", "--threads", "0"] + good, "thread limit 0 is below 1"),
            ("thread limit beyond 32 bits", [self.product, "OUT", "--threads", "4294967299"] + good,
             "thread limit 4294967299 is above 2147483647"),
            ("part size below zip's minimum", [self.product, "OUT", "--part-size", "63k"] + good,
             "part size 63k is below zip's minimum of 64k"),
            ("part size not a size", [self.product, "OUT", "--part-size", "1.5m"] + good,
             "part size '1.5m' is not a byte count"),
            ("picture not PNG or JPEG", [self.product, "OUT", "--start-image", self.text] + good,
             f"picture {self.text} is not a PNG or JPEG file"),
            ("install picture not PNG or JPEG", [self.product, "OUT", "--install-image", self.text] + good,
             f"picture {self.text} is not a PNG or JPEG file"),
            ("base URL not http", [self.product, "OUT", "--base-url", "ftp://127.0.0.1/", "--run-file", "App.exe"],
             "base URL 'ftp://127.0.0.1/' is not an http:// or https:// address"),
            ("base URL without scheme", [self.product, "OUT", "--base-url", "127.0.0.1:8888"],
             "is not an http:// or https:// address"),
            ("licence not UTF-8", [self.product, "OUT", "--licence", self.latin1] + good, "is not UTF-8 text"),
        ]
        for description, args, message in table:
            with self.subTest(description):
                out = os.path.join(self.scratch.name, "out")
                result = fixtures.run_tool("publish", *[out if arg == "OUT" else arg for arg in args])
                self.assertNotEqual(result.returncode, 0)
                lines = result.stderr.splitlines()
                self.assertEqual(len(lines), 1, result.stderr)
                self.assertIn(message, lines[0])
                self.assertTrue(lines[0].startswith("publish: "))
                self.assertFalse(os.path.exists(out))
                self.assertEqual(sorted(os.listdir(self.scratch.name)),
                                 sorted(["product", "empty", "notes.txt", "latin1.txt"]))

    def test_product_files_that_would_break_an_install_are_refused(self):
        table = [
            ("a top-level zip", "old.zip", "product has a .zip file at its top level (old.zip)"),
            ("a part's name", "product.z01", "product has a top-level file 'product.z01'"),
            ("a name Windows refuses", "data/a:b.txt", "product path 'data/a:b.txt' cannot be installed on Windows"),
            ("a device name", "data/CON.txt", "'CON.txt' is a Windows device name"),
            ("names differing in case", "APP.EXE", "differ only in case"),
        ]
        for description, extra, message in table:
            with self.subTest(description):
                product = os.path.join(self.scratch.name, "bad")
                shutil.copytree(self.product, product)
                self.addCleanup(shutil.rmtree, product, True)
                with open(os.path.join(product, *extra.split("/")), "w") as stream:
                    stream.write("x")
                out = os.path.join(self.scratch.name, "out")
                result = fixtures.run_tool("publish", product, out, "--base-url", BASE)
                self.assertEqual(result.returncode, 2)
                self.assertIn(message, result.stderr)
                self.assertFalse(os.path.exists(out))
                shutil.rmtree(product)

    def test_a_folder_that_is_no_earlier_site_is_never_replaced(self):
        out = os.path.join(self.scratch.name, "documents")
        os.makedirs(out)
        with open(os.path.join(out, "keep.txt"), "w") as stream:
            stream.write("mine")
        result = fixtures.run_tool("publish", self.product, out, "--base-url", BASE)
        self.assertEqual(result.returncode, 2)
        self.assertIn("is not empty and not an earlier release site", result.stderr)
        self.assertEqual(os.listdir(out), ["keep.txt"])


class Sizes(unittest.TestCase):
    def test_sizes_with_binary_suffixes(self):
        for text, expected in [("100", 100), ("64k", 65536), ("64K", 65536), ("50m", 50 * 1024**2),
                               ("2g", 2 * 1024**3), ("", None), ("k", None), ("1.5m", None), ("-1", None),
                               ("10 mb", None), ("１０k", None)]:
            with self.subTest(text):
                self.assertEqual(sizes.parse_size(text), expected)


if __name__ == "__main__":
    unittest.main()

"""tools/publish --check against a release served by tools/serve: a clean release passes, each fault is
reported by name and fails the check."""

import json
import os
import shutil
import tempfile
import unittest

import release_fixtures as fixtures
from release import document


class CheckServedRelease(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.TemporaryDirectory()
        product = os.path.join(cls.scratch.name, "product")
        fixtures.make_product(product)
        inputs = fixtures.make_inputs(cls.scratch.name)
        cls.site = os.path.join(cls.scratch.name, "site")
        cls.pristine = os.path.join(cls.scratch.name, "pristine")
        os.makedirs(cls.site)
        cls.server = fixtures.served(cls.site)
        _, port = cls.server.__enter__()
        cls.config_url = f"http://127.0.0.1:{port}/down/tonvexa.json"
        result = fixtures.publish_full(product, cls.pristine, f"http://127.0.0.1:{port}", inputs)
        if result.returncode != 0:
            raise AssertionError(result.stderr)

    @classmethod
    def tearDownClass(cls):
        cls.server.__exit__(None, None, None)
        cls.scratch.cleanup()

    def setUp(self):
        # The server reads its folder on every request: each case starts from the release as published.
        shutil.rmtree(self.site)
        shutil.copytree(self.pristine, self.site)

    def part_path(self, name):
        return os.path.join(self.site, "down", "tonvexa", name)

    def edit_document(self, change):
        path = os.path.join(self.site, "down", "tonvexa.json")
        with open(path, encoding="utf-8") as stream:
            config = json.load(stream)
        change(config)
        with open(path, "w", encoding="utf-8") as stream:
            json.dump(config, stream, ensure_ascii=False)

    def check(self, source=None):
        result = fixtures.run_tool("publish", "--check", source or self.config_url)
        return result.returncode, result.stdout

    def test_a_clean_release_will_install(self):
        code, out = self.check()
        self.assertEqual(code, 0, out)
        self.assertRegex(out, r"^check: the release will install \(4 parts, 251\.\d KiB, 0 warning\(s\)\)\n$")

    def test_a_local_copy_of_the_document_is_checked_the_same(self):
        code, out = self.check(os.path.join(self.site, "down", "tonvexa.json"))
        self.assertEqual(code, 0, out)

    def test_each_fault_is_reported_by_name(self):
        def change_part_bytes():
            with open(self.part_path("product.z02"), "r+b") as stream:
                stream.seek(1000)
                byte = stream.read(1)
                stream.seek(1000)
                stream.write(bytes([byte[0] ^ 0xFF]))

        def lower_case_digest():
            self.edit_document(lambda c: c[document.PARTS][0].update(
                {document.PART_MD5: c[document.PARTS][0][document.PART_MD5].lower()}))

        def two_zip_parts():
            self.edit_document(lambda c: c[document.PARTS][0].update({document.PART_NAME: "extra.zip"}))

        def run_file_not_in_archive():
            self.edit_document(lambda c: c.update({document.RUN_FILE: "bin\\Missing.exe"}))

        def unsafe_part_name():
            self.edit_document(lambda c: c[document.PARTS][1].update({document.PART_NAME: "..\\product.z02"}))

        def missing_picture():
            os.remove(os.path.join(self.site, "down", "tonvexa", "install-2.png"))

        def thread_limit_zero():
            self.edit_document(lambda c: c.update({document.THREAD_LIMIT: 0}))

        def chinese_as_boolean():
            self.edit_document(lambda c: c.update({document.CHINESE_DIR: True}))

        table = [
            ("part changed after publishing", change_part_bytes,
             ["problem: part product.z02: its MD5 is ", "problem: archive: the parts do not open as one zip archive"]),
            ("lower-case digest", lower_case_digest,
             ["problem: part product.z01: MD5 '", "is not 32 upper-case hexadecimal digits"]),
            ("missing part", lambda: os.remove(self.part_path("product.z03")),
             ["problem: part product.z03: http://", "product.z03 answers 404"]),
            ("two zip parts", two_zip_parts, ["2 part names end in .zip (extra.zip, product.zip)"]),
            ("run file not in the archive", run_file_not_in_archive,
             ["problem: 解压完成运行文件名: 'bin\\\\Missing.exe' is not in the archive"]),
            ("part name leaving the install folder", unsafe_part_name,
             ["problem: part ..\\product.z02: name '..\\\\product.z02' contains a folder separator"]),
            ("missing picture", missing_picture, ["problem: picture: http://", "install-2.png answers 404"]),
            ("thread limit 0", thread_limit_zero, ["problem: 下载线程限制: 0 is outside 1 to 2147483647"]),
            ("Chinese folders as a JSON true", chinese_as_boolean,
             ["problem: 路径是否支持中文: is a JSON bool"]),
        ]
        for description, fault, messages in table:
            with self.subTest(description):
                self.setUp()
                fault()
                code, out = self.check()
                self.assertEqual(code, 1, out)
                for message in messages:
                    self.assertIn(message, out)
                self.assertTrue(out.splitlines()[-1].endswith("the release will not install"), out)

    def test_a_document_that_does_not_parse_or_answer(self):
        with open(os.path.join(self.site, "down", "tonvexa.json"), "wb") as stream:
            stream.write(b'{"\xe8": 1')
        code, out = self.check()
        self.assertEqual(code, 1)
        self.assertIn("problem: configuration: is not UTF-8 JSON", out)
        code, out = self.check(self.config_url.replace("tonvexa.json", "other.json"))
        self.assertEqual(code, 1)
        self.assertIn("other.json answers 404", out)


if __name__ == "__main__":
    unittest.main()

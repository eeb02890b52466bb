"""The installer's configuration document: its member names and how a release fills them."""

import json

LICENCE_URL = "用户许可文件地址"
CHINESE_DIR = "路径是否支持中文"
THREAD_LIMIT = "下载线程限制"
RUN_FILE = "解压完成运行文件名"
SHORTCUT = "桌面快捷方式名称"
PICTURES = "背景图片"
START_PICTURES = "初始界面"
INSTALL_PICTURES = "安装界面"
PARTS = "软件下载"
PART_NAME = "名称"
PART_URL = "地址"
PART_MD5 = "MD5"

# The one text the installer takes as "Chinese folders allowed"; anything else means not allowed.
YES = "是"
NO = "否"


def config_path(token):
    """Where the document lies in the site, relative to its root (the installer's fixed URL path)."""
    return f"down/{token}.json"


def make_document(licence_url, chinese_dir, thread_limit, run_file, shortcut, start_urls, install_urls, parts):
    """The document as a dict in the member order the installer's table gives; `parts` holds
    (name, url, md5) triples."""
    return {
        LICENCE_URL: licence_url,
        CHINESE_DIR: YES if chinese_dir else NO,
        THREAD_LIMIT: thread_limit,
        RUN_FILE: run_file,
        SHORTCUT: shortcut,
        PICTURES: {START_PICTURES: list(start_urls), INSTALL_PICTURES: list(install_urls)},
        PARTS: [{PART_NAME: name, PART_URL: url, PART_MD5: md5} for name, url, md5 in parts],
    }


def document_bytes(document):
    """UTF-8 JSON with the Chinese member names written as they are, not escaped."""
    return (json.dumps(document, ensure_ascii=False, indent=2) + "\n").encode("utf-8")

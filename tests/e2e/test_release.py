"""The release package as a Windows user gets it: what the ZIP of the architecture under test holds, and
the program started from an unpacked copy in a folder whose path has spaces and Chinese characters."""

import glob
import os
import struct
import unittest
import zipfile

import harness as h

ZIPS = glob.glob(os.path.join(os.environ.get("QW_DIST_DIR", "/nonexistent"), "QwClicker-*-%s.zip" % h.ARCH))


@unittest.skipUnless(ZIPS, "QW_DIST_DIR holds the packages (scripts/test.sh builds them)")
class ReleaseTest(unittest.TestCase):
    def test_the_package_holds_a_small_program_and_its_texts_and_starts_from_a_chinese_path(self):
        target = os.path.join(h.PREFIX, "drive_c", "新建 文件夹 (2)", "我的 工具")
        with zipfile.ZipFile(ZIPS[0]) as z:
            self.assertEqual(sorted(z.namelist()), ["QwClicker-0.0.0.2/" + n for n in ("QwClicker.exe", "使用帮助.txt",
                                                                                    "常见问题.txt", "说明.txt")])
            z.extractall(target)
        app = h.App("release")
        app.folder = os.path.join(target, "QwClicker-0.0.0.2")
        app.exe, app.ini = os.path.join(app.folder, "QwClicker.exe"), os.path.join(app.folder, "配置文件.ini")
        with open(app.exe, "rb") as f:
            exe = f.read()
        self.assertLess(len(exe), 1 << 20)
        machine = struct.unpack_from("<H", exe, struct.unpack_from("<I", exe, 0x3C)[0] + 4)[0]
        self.assertEqual(machine, {"x86": 0x14C, "x64": 0x8664}[h.ARCH], "built for the package's architecture")
        fixed = exe.index(struct.pack("<I", 0xFEEF04BD))  # the version block's fixed part
        self.assertEqual(struct.unpack_from("<4H", exe, fixed + 8), (0, 0, 2, 0), "file version 0.0.0.2")
        self.addCleanup(app.stop)
        app.start().command(1007)
        h.message_box("保存成功")
        self.assertTrue(os.path.exists(app.ini), "the settings beside the program")
        app.command(2)
        self.assertEqual(app.wait_exit(), 0)

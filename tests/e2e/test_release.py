"""The release package as a Windows user gets it: what the ZIP holds, and the program started
from an unpacked copy in a folder whose path has spaces and Chinese characters."""

import hashlib
import os
import shutil
import struct
import unittest
import zipfile

import harness as h

ZIP = os.environ.get("QW_RELEASE_ZIP", "")


@unittest.skipUnless(ZIP, "QW_RELEASE_ZIP names the package (scripts/test.sh builds it)")
class ReleaseTest(unittest.TestCase):
    def test_the_package_holds_a_small_gui_program_its_texts_and_a_matching_checksum(self):
        folder = "QwClicker-0.0.0.2/"
        with zipfile.ZipFile(ZIP) as z:
            self.assertEqual(sorted(z.namelist()), [folder + n for n in ("QwClicker.exe", "使用帮助.txt", "常见问题.txt",
                                                                         "说明.txt")])
            exe = z.read(folder + "QwClicker.exe")
            for text in ("使用帮助.txt", "常见问题.txt", "说明.txt"):
                self.assertTrue(z.read(folder + text).decode("utf-8").startswith("\ufeff"), text)
        with open(ZIP, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        with open(ZIP + ".sha256") as f:
            self.assertEqual(f.read(), "%s  %s\n" % (digest, os.path.basename(ZIP)))
        pe = struct.unpack_from("<I", exe, 0x3C)[0]
        self.assertEqual(struct.unpack_from("<4sH", exe, pe) + struct.unpack_from("<H", exe, pe + 92),
                         (b"PE\0\0", 0x14C, 2), "i386, GUI")
        self.assertLess(len(exe), 1 << 20)
        fixed = exe.index(struct.pack("<I", 0xFEEF04BD))  # the version block's fixed part
        self.assertEqual(struct.unpack_from("<4H", exe, fixed + 8), (0, 0, 2, 0), "file version 0.0.0.2")
        self.assertIn("青梧鼠标连点器\0".encode("utf-16-le"), exe)

    def test_an_unpacked_copy_in_a_chinese_path_with_spaces_starts_and_saves_beside_itself(self):
        target = os.path.join(h.PREFIX, "drive_c", "新建 文件夹 (2)", "我的 工具")
        shutil.rmtree(target, ignore_errors=True)
        with zipfile.ZipFile(ZIP) as z:
            z.extractall(target)
        app = h.App("release")
        app.folder, app.exe = os.path.join(target, "QwClicker-0.0.0.2"), os.path.join(target, "QwClicker-0.0.0.2",
                                                                                     "QwClicker.exe")
        app.ini = os.path.join(app.folder, "配置文件.ini")
        self.addCleanup(app.stop)
        app.start().command(1007)
        h.message_box("保存成功")
        self.assertTrue(os.path.exists(app.ini))
        app.command(2)
        self.assertEqual(app.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()

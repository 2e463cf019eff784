"""The release package as a Windows user gets it: what the ZIP holds, and the program
started from an unpacked copy in a folder whose path has spaces and Chinese characters."""

import hashlib
import os
import shutil
import struct
import subprocess
import unittest
import zipfile

import harness as h

ZIP = os.environ.get("QW_RELEASE_ZIP", "")
FILES = {"QwClicker.exe", "使用帮助.txt", "常见问题.txt", "说明.txt"}


def pe_header(data):
    """(machine, optional-header magic, subsystem) of a PE image."""
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[offset:offset + 4] == b"PE\0\0"
    machine = struct.unpack_from("<H", data, offset + 4)[0]
    optional = offset + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    subsystem = struct.unpack_from("<H", data, optional + 68)[0]
    return machine, magic, subsystem


@unittest.skipUnless(ZIP, "QW_RELEASE_ZIP names the package to check (scripts/test.sh builds it)")
class ReleasePackageTest(unittest.TestCase):
    def test_zip_holds_the_program_its_help_files_and_the_read_me_with_a_matching_checksum(self):
        name = os.path.basename(ZIP)
        self.assertEqual(name, "QwClicker-0.0.0.2.zip")
        with zipfile.ZipFile(ZIP) as zf:
            names = zf.namelist()
            self.assertEqual({n.split("/", 1)[1] for n in names}, FILES)
            self.assertEqual({n.split("/", 1)[0] for n in names}, {"QwClicker-0.0.0.2"})
            exe = zf.read("QwClicker-0.0.0.2/QwClicker.exe")
            for text in ("使用帮助.txt", "常见问题.txt", "说明.txt"):
                body = zf.read("QwClicker-0.0.0.2/" + text)
                self.assertTrue(body.startswith(b"\xef\xbb\xbf"), text)  # Notepad reads it as UTF-8
                body.decode("utf-8")
        with open(ZIP, "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        with open(ZIP + ".sha256") as f:
            self.assertEqual(f.read(), "%s  %s\n" % (digest, name))

        machine, magic, subsystem = pe_header(exe)
        self.assertEqual((machine, magic, subsystem), (0x14C, 0x10B, 2))  # i386, PE32, GUI
        self.assertLess(len(exe), 1024 * 1024)

    def test_unpacked_copy_in_a_path_with_spaces_and_chinese_starts_and_saves_beside_itself(self):
        target = os.path.join(h.PREFIX, "drive_c", "新建 文件夹 (2)", "我的 工具")
        shutil.rmtree(target, ignore_errors=True)
        os.makedirs(target)
        with zipfile.ZipFile(ZIP) as zf:
            zf.extractall(target)
        folder = os.path.join(target, "QwClicker-0.0.0.2")
        exe = os.path.join(folder, "QwClicker.exe")

        _, version = h.driver("version", h.to_windows_path(exe))
        self.assertEqual(version, {"file": "0.0.0.2", "product": "0.0.0.2",
                                   "description": "青梧鼠标连点器", "name": "青梧鼠标连点器"})

        process = subprocess.Popen(["wine", h.to_windows_path(exe)], cwd=h.PREFIX,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            hwnd = h.find_window(h.TITLE, 20, "#32770")
            self.assertTrue(hwnd)
            ini = os.path.join(folder, h.INI_NAME)
            self.assertFalse(os.path.exists(ini))
            h.driver("press", hwnd, 1007)
            h.wait_message_box("保存成功").answer()
            self.assertTrue(os.path.exists(ini))
            h.post(hwnd, h.WM_COMMAND, 2, 0)
            self.assertEqual(process.wait(timeout=15), 0)
        finally:
            if process.poll() is None:
                process.kill()
                process.wait(timeout=10)


if __name__ == "__main__":
    unittest.main()

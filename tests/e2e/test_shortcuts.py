"""Shortcuts as a user finds them: "添加到桌面" and "添加到程序组" leave "<exe base name>.lnk"
in the folder, which the shell-link object resolves back to the program and its folder."""

import os
import subprocess
import unittest

import harness as h
from test_tray import TIMEOUT, settle

DESKTOP, PROGRAMS = 16, 2  # CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS
COMMANDS = {"添加到桌面": (40026, DESKTOP), "添加到程序组": (40027, PROGRAMS)}


def special_folder(csidl):
    """A shell folder of the prefix's user: its Windows path and the same on this side."""
    code, data = h.driver("special-folder", csidl)
    if code != 0:
        raise AssertionError("no special folder %d" % csidl)
    unix = subprocess.run(["winepath", "-u", data["path"]], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          check=True, timeout=60).stdout.decode("utf-8").strip()
    # Never the host's own folders: Wine links some shell folders to $HOME by default.
    if not os.path.realpath(unix).startswith(os.path.realpath(h.PREFIX) + os.sep):
        raise AssertionError("%s lies outside the prefix" % unix)
    return data["path"], unix


def resolve(link_windows_path):
    code, data = h.driver("resolve-link", link_windows_path)
    if code != 0:
        raise AssertionError("cannot resolve %s (%d)" % (link_windows_path, code))
    return data


def links_in(folder):
    return sorted(name for name in os.listdir(folder) if name.lower().endswith(".lnk"))


class ShortcutsTest(unittest.TestCase):
    def setUp(self):
        self.apps = []
        self.made = []

    def tearDown(self):
        for app in self.apps:
            app.stop()
        for path in self.made:
            if os.path.exists(path):
                os.remove(path)

    def start(self, name, exe_name):
        app = h.App(name, exe_name=exe_name)
        self.apps.append(app)
        return settle(app)

    def test_each_command_writes_a_link_to_the_program_started_in_its_folder_and_replaces_it(self):
        for menu_text, (command, csidl) in COMMANDS.items():
            with self.subTest(command=menu_text):
                folder, folder_unix = special_folder(csidl)
                link_unix = os.path.join(folder_unix, "tool.lnk")
                self.made.append(link_unix)
                if os.path.exists(link_unix):
                    os.remove(link_unix)

                # Two copies named alike in two folders: the second's link replaces the first's.
                for copy in ("first", "second"):
                    app = self.start("links-%d-%s" % (csidl, copy), "tool.exe")
                    try:
                        before = os.path.getmtime(link_unix) if os.path.exists(link_unix) else None
                        app.command(command)
                        h.wait_until(lambda: os.path.exists(link_unix) and os.path.getmtime(link_unix) != before,
                                     TIMEOUT, what="%s written" % link_unix)
                        link = resolve(folder + "\\tool.lnk")
                        self.assertEqual(link["target"], h.to_windows_path(app.exe))
                        self.assertEqual(link["workdir"], h.to_windows_path(app.folder) + "\\")
                        self.assertEqual((link["arguments"], link["description"]), ("", ""))
                        self.assertTrue(app.running())
                        self.assertEqual(h.find_window(h.TITLE, 1, "#32770"), app.hwnd, "no message")
                        app.command(2)
                        self.assertEqual(app.wait_exit(TIMEOUT), 0)
                    finally:
                        app.stop()  # the next copy must not meet this one
                self.assertIn("tool.lnk", links_in(folder_unix))

    def test_a_base_name_of_fifty_characters_makes_no_link_and_forty_nine_do(self):
        folder, desktop = special_folder(DESKTOP)
        before = links_in(desktop)
        for length, made in ((50, False), (49, True)):
            with self.subTest(length=length):
                name = "n" * length
                self.made.append(os.path.join(desktop, name + ".lnk"))
                app = self.start("links-%d" % length, name + ".exe")
                try:
                    app.command(40026)
                    app.command(2)  # carried out after the shortcut command
                    self.assertEqual(app.wait_exit(TIMEOUT), 0)
                finally:
                    app.stop()
                if made:
                    self.assertEqual(links_in(desktop), sorted(before + [name + ".lnk"]))
                    self.assertEqual(resolve(folder + "\\" + name + ".lnk")["target"], h.to_windows_path(app.exe))
                else:
                    self.assertEqual(links_in(desktop), before, "no link, not even under a shortened name")


if __name__ == "__main__":
    unittest.main()

"""The main dialog and its commands as a user meets them: what it shows, the help dialogs,
the tray, shortcuts, what the shell is asked to open, and every way out."""

import getpass
import glob
import os
import re

import harness as h

with open(os.path.join(h.BUILD, "CMakeCache.txt")) as f:
    WEBSITE = re.search(r"^QW_WEBSITE_URL:STRING=(.*)$", f.read(), re.M).group(1)
LBUTTONDOWN, RBUTTONDOWN = 0x201, 0x204
HELP = [("使用帮助", "使用方法"), ("设置要求", "设置要求"), ("无法注册热键", "无法注册热键"), ("无法写入配置", "无法写入配置"),
        ("联系作者", "联系作者")]  # menu item, dialog caption


def item(d, label):
    """The command id of the menu-bar item with this label."""
    ids = [i["id"] for popup in d["menu"] for i in popup["items"] if i["text"] == label]
    assert len(ids) == 1, "menu item " + label
    return ids[0]


def tray_icons():
    """How many icons in Wine's tray carry the program's tip."""
    tray = h.find("Wine System Tray", 0, None)
    return [t for _, t in h.probe(tray)["tips"]].count(h.TITLE) if tray else 0


def temporary_files():  # everything in the user's temporary folder, as Wine names it
    def named():  # an answer that is no path (cmd's output was seen garbled once) is asked again
        text = h.wine("cmd", "/c", "echo %TEMP%").stdout.decode(errors="replace").strip()
        return text[1:3] == ":\\" and text
    folder = h.wait(named, 30, "the temporary folder's name")[3:].split("\\")
    return sorted(glob.glob(os.path.join(h.PREFIX, "drive_c", *folder, "**"), recursive=True))


def wait_tray(app, hidden):
    h.wait(lambda: app.probe()["visible"] != hidden and tray_icons() == hidden, 30, "hidden=%s" % hidden)


class DialogTest(h.Case):
    def test_the_dialog_shows_the_stored_settings_and_explains_each_control(self):
        app = self.start("shows", "[Other]\nLeftKey=0\n[Config]\nStartKey=3\nRightKey=2\nLeftInterval=250\n")
        d = app.probe()
        c = {x["id"]: x for x in d["controls"]}
        self.assertEqual(d["caption"], h.TITLE)
        self.assertEqual([c[i]["items"][c[i]["selection"]] for i in (1001, 1002, 1003, 1004)],
                         ["F4", "F11", "单击", "双击"])
        self.assertEqual((c[1001]["items"], c[1003]["items"]), (c[1002]["items"], c[1004]["items"]))
        self.assertEqual(c[1002]["items"] + c[1004]["items"], ["F%d" % i for i in range(1, 12)] + ["不启用", "单击", "双击"])
        self.assertEqual((c[1005]["text"], c[1006]["text"]), ("250", "1000"))
        self.assertEqual(dict(d["tips"]), {
            1001: "设置开始连点热键，不可与结束热键一致。", 1002: "设置结束连点热键，不可与开始热键一致。",
            1003: "设置左键连点方法，左、右键至少需要启用一个。", 1004: "设置右键连点方法，左、右键至少需要启用一个。",
            1005: "设置左键连点的间隔毫秒数，启用左键时必须大于0。", 1006: "设置右键连点的间隔毫秒数，启用右键时必须大于0。",
            1007: "保存当前设置。", 3: "将程序放至托盘。", 2: "退出程序。"})
        c = self.start("shows").controls()  # the folder made anew: no settings file
        self.assertEqual([c[i]["selection"] for i in (1001, 1002, 1003, 1004)] + [c[1005]["text"], c[1006]["text"]],
                         [8, 10, 1, 0, "1000", "1000"])
        self.assertFalse(os.path.exists(app.ini), "no file before a save")

    def test_a_second_copy_explains_and_leaves_the_first_running(self):
        first = self.start("first")
        second = h.App("second").start(wait_dialog=False)
        self.assertEqual(h.message_box("已有程序在运行"), {
            "caption": "已有程序在运行", "text": "青梧鼠标连点器只能打开一个程序。\n多次打开会造成热键因已被注册而无法使用。",
            "icon": "warning", "owner": 0})
        self.assertEqual(second.wait_exit(), 0)
        self.assertEqual(h.find(h.TITLE, 1), first.hwnd)

    def test_every_way_out_ends_the_program_with_code_zero_and_leaves_no_temporary_file(self):
        ways = {"killed": lambda app: (app.probe(), app.process.kill()),  # once the dialog is made: not with code 0
                "Escape": lambda app: (h.focus(h.TITLE), h.key("Escape")),
                "Alt+F4": lambda app: (h.focus(h.TITLE), h.key("alt+F4")),
                "close box": lambda app: h.post(app.hwnd, h.WM_SYSCOMMAND, 0xF060),
                "button": lambda app: h.click_at(self.control_rect(app, 2)),
                "menu": lambda app: app.command(item(app.probe(), "退出"))}
        for way, leave in ways.items():
            with self.subTest(way):
                before = temporary_files()
                app = self.start("exit")
                leave(app)
                self.assertEqual(app.wait_exit(), -9 if way == "killed" else 0)
                h.wait(lambda: temporary_files() == before, 10, "the temporary folder as it was")

    def control_rect(self, app, control):
        return h.screen_rect(app.probe(), control)

    def test_minimise_and_the_three_ways_into_the_tray_and_back(self):
        app = self.start("tray")
        d = app.probe()
        app.command(item(d, "最小化"))
        h.wait(lambda: app.probe()["iconic"], 30, "minimised")
        self.assertEqual(tray_icons(), 0)
        h.post(app.hwnd, h.WM_SYSCOMMAND, 0xF120)  # SC_RESTORE
        ways = {"button": lambda: h.click_at(self.control_rect(app, 3)), "menu": lambda: app.command(item(d, "托盘")),
                "Enter in an edit": lambda: (h.click_at(self.control_rect(app, 1005)), h.key("Return"))}
        for way, hide in ways.items():
            with self.subTest(way):
                h.wait(lambda: not app.probe()["iconic"], 30, "restored")
                hide()
                wait_tray(app, True)
                h.post(app.hwnd, h.WM_TRAYICON, 1, LBUTTONDOWN)  # a press alone restores
                wait_tray(app, False)

        # A restarting shell forgets the icon and tells every window: back only while hidden.
        app.command(3)
        wait_tray(app, True)
        self.assertEqual(h.driver("untray", app.hwnd, 1)[0], 0)
        h.wait(lambda: tray_icons() == 0, 30, "the icon gone")
        h.send(app.hwnd, "TaskbarCreated")
        wait_tray(app, True)

        h.xdo("mousemove", 500, 400)
        h.post(app.hwnd, h.WM_TRAYICON, 1, RBUTTONDOWN)
        menu = h.probe(h.find("", 30, "#32768"))
        self.assertEqual([i["text"] for i in menu["popup"]], ["显示程序界面", "退出程序"])
        self.assertEqual((menu["rect"][0], menu["rect"][1] + menu["rect"][3]), (500, 400), "above the cursor")
        h.click_at(menu["popup"][0]["rect"])
        wait_tray(app, False)
        h.send(app.hwnd, "TaskbarCreated")
        self.assertEqual(tray_icons(), 0, "no icon beside a shown dialog")

        app.command(3)
        wait_tray(app, True)
        h.post(app.hwnd, h.WM_TRAYICON, 1, RBUTTONDOWN)
        h.click_at(h.probe(h.find("", 30, "#32768"))["popup"][1]["rect"])
        self.assertEqual(app.wait_exit(), 0)
        h.wait(lambda: tray_icons() == 0, 30, "the icon removed at exit")

    def test_help_dialogs_open_without_owner_and_close_three_ways(self):
        app = self.start("help")
        d = app.probe()
        closes = [lambda w: h.post(w, h.WM_COMMAND, 2), lambda w: (h.focus(caption), h.key("Escape")),
                  lambda w: h.post(w, h.WM_SYSCOMMAND, 0xF060)]
        for n, (label, caption) in enumerate(HELP):
            with self.subTest(caption):
                app.command(item(d, label))
                help_dialog = h.probe(h.find(caption))
                texts = [c["text"] for c in help_dialog["controls"]]
                self.assertEqual((help_dialog["owner"], "退出" in texts), (0, True), "the main dialog stays usable")
                if caption == "联系作者":
                    self.assertIn(WEBSITE, texts)
                    self.assertIn("support@" + re.sub(r"^\w+://(www\.)?([^/:]+).*", r"\2", WEBSITE), texts)
                closes[n % 3](h.find(caption))
                h.wait(lambda: not h.find(caption, 0.2), 30, caption + " closed")
        self.assertTrue(app.probe()["visible"])

    def test_help_files_and_the_website_open_through_the_shell(self):
        h.wine("reg", "add", "HKCR\\.txt", "/ve", "/d", "txtfile", "/f")
        opened = h.open_log("http", "https", "txtfile")
        app = self.start("shell")
        folder = h.winpath(app.folder)
        for command in (40013, 40014, item(app.probe(), "访问青梧网站")):
            app.command(command)
        self.assertEqual(opened(3), [folder + "\\常见问题.txt", folder + "\\使用帮助.txt", WEBSITE])
        os.remove(os.path.join(app.folder, "使用帮助.txt"))
        for command in (40014, 45000, 45100, 12345, 40013):  # nothing, then a marker
            app.command(command)
        self.assertEqual(opened(4)[3:], [folder + "\\常见问题.txt"])
        self.assertTrue(app.probe()["visible"])

    def test_shortcuts_lead_to_the_program_and_its_folder(self):
        home = os.path.join(h.PREFIX, "drive_c", "users", getpass.getuser())
        folders = {"添加到桌面": "Desktop", "添加到程序组": "AppData/Roaming/Microsoft/Windows/Start Menu/Programs"}
        for name in ("n" * 50, "tool"):  # a base name of 50 characters or more makes none
            app = self.start(name, exe=name + ".exe")
            d = app.probe()
            for label in folders:
                app.command(item(d, label))
            app.command(2)  # handled after the shortcuts
            self.assertEqual(app.wait_exit(), 0)
            for label, folder in folders.items():
                with self.subTest(label, name=name):
                    link = os.path.join(home, folder, name + ".lnk")
                    self.assertEqual(os.path.exists(link), name == "tool")
                    if name == "tool":
                        with open(link, "rb") as f:
                            data = f.read()
                        # The shell link keeps the target in the ANSI code page, the working directory in UTF-16.
                        self.assertIn(h.winpath(app.exe).encode("gbk"), data)
                        self.assertIn((h.winpath(app.folder) + "\\").encode("utf-16-le"), data)

"""Every command of the main dialog and its effect: minimise, tray, the help dialogs
and what they say, the help files and the website opened through the shell, and the
online-menu range. The exits are in test_main_dialog, the tray menu in test_tray."""

import os
import re
import subprocess
import unittest
import uuid

import harness as h
from test_tray import TIMEOUT, probe_or_none, settle, tray_tips, wait_visible, WM_LBUTTONDOWN

WS_POPUP, WS_CAPTION, WS_SYSMENU = 0x80000000, 0x00C00000, 0x00080000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_THICKFRAME = 0x00020000, 0x00010000, 0x00040000
DS_MODALFRAME, DS_SETFONT, DS_FIXEDSYS, DS_CENTER = 0x80, 0x40, 0x8, 0x800
SS_TYPEMASK, SS_LEFT = 0x1F, 0x0
FONT_8_POINTS = -11  # at 96 dpi, as the prefix has it
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def maker_setting(name):
    """A value the maker supplies, as the build under test was configured with it."""
    with open(os.path.join(h.BUILD, "generated", "app", "maker_config.h"), encoding="utf-8") as f:
        match = re.search(r'#define %s "([^"]*)"' % name, f.read())
    return match.group(1)


WEBSITE = maker_setting("QW_WEBSITE_URL_A")
CONTACT = maker_setting("QW_RC_CONTACT_EMAIL")

# Command, caption, size, then every control in template order: text and rectangle in
# dialog units. The button with id 2 is "退出"; every other control is a static text.
HELP_DIALOGS = [
    (40035, "使用方法", (188, 126), [
        ("青梧鼠标连点器可以实现左、右键任意组合连点。", (10, 10, 177, 8)),
        ("具体使用方法如下：", (10, 34, 73, 8)),
        ("1、按自己要求设置相关参数。", (27, 50, 109, 8)),
        ("2、将鼠标放置到指定的坐标。", (27, 62, 109, 8)),
        ("3、按下开始连点热键开始连点。", (27, 74, 117, 8)),
        ("4、需要停止时，按下停止连点热键。", (27, 86, 133, 8)),
        ("（设置参数的基本要求请参见“设置要求”）", (9, 22, 165, 8)),
        ("退出", (65, 106, 50, 14)),
    ]),
    (40034, "设置要求", (174, 87), [
        ("退出", (62, 67, 50, 14)),
        ("青梧鼠标连点器设置的基本要求如下：", (10, 10, 137, 8)),
        ("1、开始连点、结束连点热键不能相同。", (27, 25, 141, 8)),
        ("2、左、右键至少有一个键启用。", (27, 37, 117, 8)),
        ("3、启用的键连点间隔必须大于0。", (27, 49, 121, 8)),
    ]),
    (40033, "无法注册热键", (199, 92), [
        ("退出", (74, 71, 50, 14)),
        ("无法注册快捷键的情况很少出现，", (11, 11, 121, 8)),
        ("通常是由于当前运行的程序已注册了该热键造成的。", (11, 23, 185, 8)),
        ("您可以关闭冲突软件，", (11, 40, 81, 8)),
        ("或者重新设置青梧鼠标连点器的开始与结束热键。", (11, 51, 177, 8)),
    ]),
    (40032, "无法写入配置", (309, 130), [
        ("退出", (131, 111, 50, 14)),
        ("当用户点击保存设置并验证数据成功后，会将这些设置写入配置文件。", (11, 11, 249, 8)),
        ("如果出现配置文件写入错误，通常是由于用户没有该文件的写入权限造成的。", (11, 24, 273, 8)),
        ("您只要赋予当前用户对于“配置文件.ini”的写权限，通常都能解决问题，步骤如下：", (11, 36, 288, 8)),
        ("1、右键“配置文件.ini”->属性->安全。", (28, 52, 132, 8)),
        ("2、给当前用户或用户组添加写权限。", (28, 64, 133, 8)),
        ("备注：如果您机器上的“配置文件.ini”没有安全选项，", (12, 81, 184, 8)),
        ("请打开任意文件夹->工具->文件夹选项->查看，取消“使用简单文件共享”选项。", (12, 94, 278, 8)),
    ]),
    (40012, "联系作者", (133, 125), [
        ("感谢您使用青梧鼠标连点器！", (10, 10, 113, 8)),
        ("官方网站：", (10, 26, 113, 8)),
        (WEBSITE, (16, 38, 111, 8)),
        ("联系邮箱：", (10, 54, 113, 8)),
        (CONTACT, (16, 66, 111, 8)),
        ("欢迎反馈程序错误和建议。", (10, 82, 113, 8)),
        ("退出", (43, 101, 50, 14)),
    ]),
]


def to_pixels(rect, unit_x, unit_y):
    # The dialog manager scales position and size separately, rounding as MulDiv does.
    def mul_div(a, b, c):
        return (a * b + c // 2) // c
    x, y, w, hgt = rect
    return [mul_div(x, unit_x, 4), mul_div(y, unit_y, 8), mul_div(w, unit_x, 4), mul_div(hgt, unit_y, 8)]


def control_center(d, control_id):
    """A control's centre on the screen, from a probe of its dialog."""
    x, y, w, hgt = d["windowRect"]
    client_w, client_h = d["client"][2], d["client"][3]
    border = (w - client_w) // 2
    origin = (x + border, y + hgt - border - client_h)
    rect = next(c["rect"] for c in d["controls"] if c["id"] == control_id)
    return origin[0] + rect[0] + rect[2] // 2, origin[1] + rect[1] + rect[3] // 2


def dialogs_of(app):
    """The captions of the program's shown windows other than tooltips."""
    _, windows = h.driver("topwindows", h.driver("find", h.TITLE, 1000)[1]["pid"])
    return [w["caption"] for w in windows if w["class"] != "tooltips_class32"]


def install_text_and_web_logger():
    """Routes the .txt files and the web addresses the shell opens to the open logger."""
    log = h.install_open_logger("qw_commands_%s.txt" % uuid.uuid4().hex[:8])
    logger = h.to_windows_path(os.path.join(os.path.dirname(log.path), "qw_open_logger.exe"))
    command = '"%s" "%s" "%%1"' % (logger, h.to_windows_path(log.path))
    # A fresh prefix has no class for .txt at all.
    h.wine(["reg", "add", "HKCR\\.txt", "/ve", "/d", "txtfile", "/f"], check=True)
    h.wine(["reg", "add", "HKCR\\txtfile\\shell\\open\\command", "/ve", "/d", command, "/f"], check=True)
    return log


class CommandsTest(unittest.TestCase):
    def setUp(self):
        self.apps = []

    def tearDown(self):
        for app in self.apps:
            if app.running() and not (probe_or_none(app.hwnd) or {}).get("visible", True):
                h.post(app.hwnd, h.WM_TRAYICON, 1, WM_LBUTTONDOWN)
            app.stop()

    def start(self, name):
        app = h.App(name)
        self.apps.append(app)
        return settle(app)

    def open_help(self, app, command, caption):
        app.command(command)
        hwnd = h.find_window(caption, TIMEOUT, "#32770")
        self.assertTrue(hwnd, "help dialog %s" % caption)
        return hwnd

    def test_minimise_goes_to_the_taskbar_without_a_tray_icon(self):
        app = self.start("minimise")
        app.command(40018)
        h.wait_until(lambda: (probe_or_none(app.hwnd) or {}).get("iconic"), TIMEOUT, what="the dialog minimised")
        self.assertTrue(app.probe()["visible"])
        self.assertEqual(tray_tips().count(h.TITLE), 0)
        self.assertTrue(app.running())

    def test_tray_button_menu_item_and_enter_in_an_edit_hide_into_the_tray(self):
        def by_enter_in_edit(app):
            d = app.probe()
            h.focus_window(h.TITLE)
            h.xdotool("mousemove", *control_center(d, 1005))
            h.xdotool("click", 1)
            h.press_key("Return")

        ways = {
            "button": lambda app: h.driver("press", app.hwnd, 3),
            "menu": lambda app: app.command(40019),
            "enter": by_enter_in_edit,
        }
        app = self.start("tray-ways")
        for name, hide in ways.items():
            with self.subTest(way=name):
                hide(app)
                wait_visible(app, False)
                h.wait_until(lambda: tray_tips().count(h.TITLE) == 1, TIMEOUT, what="the tray icon")
                self.assertTrue(app.running())
                h.post(app.hwnd, h.WM_TRAYICON, 1, WM_LBUTTONDOWN)
                wait_visible(app, True)
                h.wait_until(lambda: tray_tips().count(h.TITLE) == 0, TIMEOUT, what="the icon removed")

    def test_help_dialogs_show_their_texts_in_template_order_and_close_three_ways(self):
        app = self.start("help")
        closes = {
            "button": lambda hwnd: h.driver("press", hwnd, 2),
            "escape": lambda hwnd, caption: (h.focus_window(caption), h.press_key("Escape")),
            "close-box": lambda hwnd: h.post(hwnd, h.WM_SYSCOMMAND, h.SC_CLOSE, 0),
        }
        for command, caption, size, controls in HELP_DIALOGS:
            with self.subTest(dialog=caption):
                hwnd = self.open_help(app, command, caption)
                d = h.probe(hwnd)
                self.assertEqual(d["caption"], caption)
                for bit in (WS_POPUP, WS_CAPTION, WS_SYSMENU, DS_MODALFRAME, DS_SETFONT, DS_FIXEDSYS, DS_CENTER):
                    self.assertTrue(d["style"] & bit, hex(bit))
                for bit in (WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_THICKFRAME):
                    self.assertFalse(d["style"] & bit, hex(bit))
                self.assertEqual(d["owner"], 0, "no owner: the main dialog stays usable")
                self.assertEqual((d["fontFace"], d["fontHeight"], d["fontWeight"]),
                                 ("MS Shell Dlg", FONT_8_POINTS, 400))
                self.assertEqual(d["client"][2:], to_pixels((0, 0) + size, d["unitX"], d["unitY"])[2:])

                got = [(c["text"], c["class"], c["id"], c["rect"]) for c in d["controls"]]
                want = [(text, "Button" if text == "退出" else "Static", 2 if text == "退出" else -1,
                         to_pixels(rect, d["unitX"], d["unitY"])) for text, rect in controls]
                self.assertEqual(got, want)
                for c in d["controls"]:
                    if c["class"] == "Static":
                        self.assertEqual(c["style"] & SS_TYPEMASK, SS_LEFT, c["text"])
                rect = d["windowRect"]
                h.screenshot("help_%d" % command, (rect[2] + 20, rect[3] + 20, rect[0] - 10, rect[1] - 10))

                for way, close in closes.items():
                    if way != "button":  # the first opening is still showing
                        hwnd = self.open_help(app, command, caption)
                    if way == "escape":
                        close(hwnd, caption)
                    else:
                        close(hwnd)
                    self.assertEqual(h.driver("gone", hwnd, int(TIMEOUT * 1000))[0], 0, "%s closes %s" % (way, caption))
                    self.assertTrue(app.running())
                    self.assertTrue(app.probe()["visible"])

    def test_main_dialog_tray_and_hot_keys_keep_working_behind_a_help_dialog(self):
        app = self.start("behind-help")
        help_hwnd = self.open_help(app, 40034, "设置要求")

        # Two help dialogs stack, and each closes by itself.
        second = self.open_help(app, 40033, "无法注册热键")
        h.driver("press", second, 2)
        self.assertEqual(h.driver("gone", second, int(TIMEOUT * 1000))[0], 0)
        self.assertEqual(h.find_window("设置要求", 1, "#32770"), help_hwnd)

        # A real click on the main dialog's "托盘" button, then back through the icon.
        d = app.probe()
        h.xdotool("mousemove", *control_center(d, 3))
        h.xdotool("click", 1)
        wait_visible(app, False)
        h.wait_until(lambda: tray_tips().count(h.TITLE) == 1, TIMEOUT, what="the tray icon")
        h.post(app.hwnd, h.WM_TRAYICON, 1, WM_LBUTTONDOWN)
        wait_visible(app, True)

        # The default hot-keys start and stop clicking while the help dialog's loop runs.
        log = os.path.join(h.PREFIX, "drive_c", "qw_clicks_%s.txt" % uuid.uuid4().hex[:8])
        target = subprocess.Popen(["wine", os.path.join(h.TOOLS, "qw_click_target.exe"), h.to_windows_path(log)],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            h.wait_until(lambda: os.path.exists(log) and "ready" in open(log).read(), TIMEOUT, what="the click target")
            h.xdotool("mousemove", 5, 5)
            h.focus_window("QwClickTarget")
            h.press_key("F9")
            h.wait_until(lambda: " LD" in open(log).read(), TIMEOUT, what="a click after the start key")
            h.press_key("F11")
        finally:
            target.kill()
            target.wait(timeout=10)
        self.assertTrue(h.find_window("设置要求", 1, "#32770"), "the help dialog is still open")

        # The exit command ends the program from under the open help dialog.
        h.driver("press", app.hwnd, 2)
        self.assertEqual(app.wait_exit(TIMEOUT), 0)

    def test_help_files_and_website_open_with_the_shell(self):
        for name in h.HELP_FILES:
            with open(os.path.join(h.BUILD, name), "rb") as built, \
                    open(os.path.join(ROOT, "res", "help", name), "rb") as source:
                text = built.read()
                self.assertEqual(text, source.read(), "%s beside the built program" % name)
            # Notepad of every Windows version reads UTF-8 with its mark and CRLF line ends.
            self.assertTrue(text.startswith(b"\xef\xbb\xbf"), name)
            self.assertNotIn(b"\n", text.replace(b"\r\n", b""), name)
        with open(os.path.join(h.BUILD, "常见问题.txt"), encoding="utf-8-sig") as f:
            faq = f.read()
        # Every message that sends the user to the FAQ, by its caption.
        for caption in ("配置错误", "注册热键错误", "写入配置出错", "已有程序在运行"):
            self.assertIn("【“%s”】" % caption, faq)

        log = install_text_and_web_logger()
        app = self.start("help-files")
        folder = h.to_windows_path(app.folder)
        app.command(40013)
        self.assertEqual(log.wait_count(1), [folder + "\\常见问题.txt"])
        app.command(40014)
        self.assertEqual(log.wait_count(2)[1], folder + "\\使用帮助.txt")
        app.command(40011)
        self.assertEqual(log.wait_count(3)[2], WEBSITE)

        # Without the file, the command does nothing visible: no program, no message.
        os.remove(os.path.join(app.folder, "使用帮助.txt"))
        app.command(40014)
        app.command(40013)  # handled after the one before it
        self.assertEqual(log.wait_count(4)[3:], [folder + "\\常见问题.txt"])
        self.assertEqual(len(log.opened()), 4)
        self.assertEqual(dialogs_of(app), [h.TITLE])

    def test_online_range_bounds_and_unknown_commands_do_nothing(self):
        app = self.start("online-range")
        before = app.probe()
        for command in (45000, 45001, 45099, 45100, 40015, 1026, 12345):
            with self.subTest(command=command):
                self.assertIsNotNone(h.send(app.hwnd, h.WM_COMMAND, command, 0))
                d = app.probe()
                self.assertTrue(app.running())
                self.assertEqual((d["visible"], d["iconic"]), (True, False))
                self.assertEqual(d["menu"], before["menu"])
        self.assertEqual(dialogs_of(app), [h.TITLE])
        self.assertEqual(tray_tips().count(h.TITLE), 0)


if __name__ == "__main__":
    unittest.main()

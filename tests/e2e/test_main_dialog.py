"""The main dialog as a user meets it: layout, settings shown, single instance, exits."""

import os
import unittest

import harness as h

# Template order (which is the tab order): id, class, text, rectangle in dialog units.
CONTROLS = [
    (1007, "Button", "保存设置", (12, 139, 46, 14)),
    (2, "Button", "退出", (95, 139, 27, 14)),
    (3, "Button", "托盘", (63, 139, 27, 14)),
    (1015, "Static", "", (0, 21, 135, 1)),
    (-1, "Static", "开始连点：", (12, 33, 35, 8)),
    (-1, "Static", "结束连点：", (12, 50, 35, 8)),
    (-1, "Static", "左键设置：", (12, 67, 35, 8)),
    (-1, "Static", "右键设置：", (12, 84, 35, 8)),
    (-1, "Static", "左键间隔：", (12, 101, 35, 8)),
    (-1, "Static", "右键间隔：", (12, 118, 35, 8)),
    (1001, "ComboBox", None, (52, 32, 62, 30)),
    (1002, "ComboBox", None, (52, 49, 62, 30)),
    (1003, "ComboBox", None, (52, 66, 62, 30)),
    (1004, "ComboBox", None, (52, 83, 62, 30)),
    (1005, "Edit", None, (52, 100, 49, 12)),
    (1006, "Edit", None, (52, 117, 49, 12)),
    (-1, "Static", "毫秒", (107, 102, 15, 8)),
    (-1, "Static", "毫秒", (107, 119, 15, 8)),
    (1014, "Static", "", (0, 0, 135, 1)),
    (1008, "Button", "", (0, 1, 135, 20)),
]

MENU = [
    ("操作(&C)", [(40026, "添加到桌面"), (40027, "添加到程序组"), (0, None), (40017, "保存设置"),
                (40018, "最小化"), (40019, "托盘"), (40020, "退出")]),
    ("帮助(&H)", [(40035, "使用帮助"), (40034, "设置要求"), (40033, "无法注册热键"), (40032, "无法写入配置"),
                (0, None), (40011, "访问青梧网站"), (40012, "联系作者")]),
]

TOOLTIPS = [
    (1001, "设置开始连点热键，不可与结束热键一致。"),
    (1002, "设置结束连点热键，不可与开始热键一致。"),
    (1003, "设置左键连点方法，左、右键至少需要启用一个。"),
    (1004, "设置右键连点方法，左、右键至少需要启用一个。"),
    (1005, "设置左键连点的间隔毫秒数，启用左键时必须大于0。"),
    (1006, "设置右键连点的间隔毫秒数，启用右键时必须大于0。"),
    (1007, "保存当前设置。"),
    (3, "将程序放至托盘。"),
    (2, "退出程序。"),
]

KEYS = ["F%d" % i for i in range(1, 12)]
METHODS = ["不启用", "单击", "双击"]

WS_VISIBLE, WS_TABSTOP, WS_GROUP, WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_THICKFRAME = (
    0x10000000, 0x00010000, 0x00020000, 0x00020000, 0x00010000, 0x00040000)
WS_CAPTION, WS_SYSMENU, WS_POPUP, WS_EX_APPWINDOW = 0x00C00000, 0x00080000, 0x80000000, 0x00040000
WS_CLIPSIBLINGS, WS_CLIPCHILDREN = 0x04000000, 0x02000000
DS_MODALFRAME, DS_SETFONT, DS_FIXEDSYS, DS_CENTER = 0x80, 0x40, 0x8, 0x800
BS_DEFPUSHBUTTON, CBS_DROPDOWNLIST, SS_ETCHEDFRAME, ES_AUTOHSCROLL = 0x1, 0x3, 0x12, 0x80


def to_pixels(rect, unit_x, unit_y):
    # The dialog manager scales position and size separately, rounding as MulDiv does.
    def mul_div(a, b, c):
        return (a * b + c // 2) // c
    x, y, w, hgt = rect
    return [mul_div(x, unit_x, 4), mul_div(y, unit_y, 8), mul_div(w, unit_x, 4), mul_div(hgt, unit_y, 8)]


class MainDialogTest(unittest.TestCase):
    def tearDown(self):
        for app in getattr(self, "apps", []):
            app.stop()

    def start(self, name, ini=None):
        app = h.App(name, ini=ini)
        self.apps = getattr(self, "apps", []) + [app]
        return app.start()

    def test_dialog_shows_the_layout_menus_tooltips_and_default_settings(self):
        app = self.start("layout")
        d = app.probe()
        self.assertEqual(d["caption"], h.TITLE)
        self.assertEqual(d["class"], "#32770")
        style = d["style"]
        for bit in (WS_POPUP, WS_VISIBLE, WS_CAPTION, WS_SYSMENU, WS_MINIMIZEBOX, WS_CLIPSIBLINGS, WS_CLIPCHILDREN,
                    DS_MODALFRAME, DS_SETFONT, DS_FIXEDSYS, DS_CENTER):
            self.assertTrue(style & bit, hex(bit))
        self.assertFalse(style & WS_MAXIMIZEBOX)
        self.assertFalse(style & WS_THICKFRAME)
        self.assertTrue(d["exStyle"] & WS_EX_APPWINDOW)
        self.assertEqual((d["fontFace"], d["fontHeight"]), ("MS Shell Dlg", -12))  # 9 points at 96 dpi
        self.assertTrue(d["smallIcon"] and d["bigIconSame"])

        # Windows without an id belong to the banner strip (its browser, its link): test_banner.py.
        controls = [c for c in d["controls"] if c["id"] != 0]
        self.assertEqual(len(controls), len(CONTROLS))
        for got, (cid, cls, text, rect) in zip(controls, CONTROLS):
            self.assertEqual(got["id"] if got["id"] != 0xFFFF else -1, cid)
            self.assertEqual(got["class"], cls)
            if text is not None:
                self.assertEqual(got["text"], text)
            if cid == 1015:
                continue  # the banner strip places it for the desktop's look: test_banner.py
            expected = to_pixels(rect, d["unitX"], d["unitY"])
            if cls == "ComboBox":
                # A drop-down list is as high as its closed box; the template height is the list's.
                expected, got_rect = expected[:3], got["rect"][:3]
            else:
                got_rect = got["rect"]
            self.assertEqual(got_rect, expected, cid)
        by_id = {c["id"]: c for c in controls}
        self.assertFalse(by_id[1008]["visible"])
        self.assertTrue(by_id[3]["style"] & BS_DEFPUSHBUTTON)
        for cid in (1001, 1002, 1003, 1004):
            self.assertEqual(by_id[cid]["style"] & 0x3, CBS_DROPDOWNLIST)
            # WS_VSCROLL goes to the drop-down list, not the box, so it cannot be read back here.
            self.assertTrue(by_id[cid]["style"] & WS_TABSTOP)
        for cid in (1005, 1006):
            self.assertTrue(by_id[cid]["style"] & ES_AUTOHSCROLL)
            self.assertTrue(by_id[cid]["style"] & WS_TABSTOP)
        for cid in (1014, 1015):
            self.assertEqual(by_id[cid]["style"] & 0x1F, SS_ETCHEDFRAME)
        for label in (c for c in controls if c["id"] == 0xFFFF):
            self.assertTrue(label["style"] & WS_GROUP)

        menu = [(m["text"], [(i["id"], None if i["separator"] else i["text"]) for i in m["items"]])
                for m in d["menu"]]
        self.assertEqual(menu, MENU)

        self.assertEqual(by_id[1001]["items"], KEYS)
        self.assertEqual(by_id[1002]["items"], KEYS)
        self.assertEqual(by_id[1003]["items"], METHODS)
        self.assertEqual(by_id[1004]["items"], METHODS)
        self.assertEqual([by_id[i]["selection"] for i in (1001, 1002, 1003, 1004)], [8, 10, 1, 0])
        self.assertEqual((by_id[1005]["text"], by_id[1006]["text"]), ("1000", "1000"))

        # One tooltip window per control; the windows' order on screen says nothing.
        self.assertEqual(sorted((t["control"], t["text"]) for t in d["tooltips"]), sorted(TOOLTIPS))
        TTF_SUBCLASS, WS_EX_TOPMOST = 0x10, 0x8
        for tip in d["tooltips"]:
            self.assertTrue(tip["flags"] & TTF_SUBCLASS and tip["tipExStyle"] & WS_EX_TOPMOST)
        self.assertFalse(os.path.exists(app.ini_path), "no settings file before a save")

        rect = d["windowRect"]
        h.xdotool("mousemove", 1, 1)  # no tooltip in the picture
        h.screenshot("main_dialog", (rect[2] + 40, rect[3] + 40, max(rect[0] - 20, 0), max(rect[1] - 20, 0)))

    def test_hand_edited_file_shows_stored_values_and_defaults_for_missing_keys(self):
        ini = ("[Other]\nLeftKey=0\nRightInterval=5\n"
               "[Config]\nStartKey=3\nRightKey=2\nLeftInterval=250\n")
        app = self.start("handedit", ini=ini)
        by_id = {c["id"]: c for c in app.probe()["controls"]}
        self.assertEqual(by_id[1001]["items"][by_id[1001]["selection"]], "F4")
        self.assertEqual([by_id[i]["selection"] for i in (1001, 1002, 1003, 1004)], [3, 10, 1, 2])
        self.assertEqual((by_id[1005]["text"], by_id[1006]["text"]), ("250", "1000"))

    def test_a_second_copy_explains_and_leaves_the_first_untouched(self):
        first = self.start("single")
        second = h.App("single-second")
        self.apps.append(second)
        second.start(wait_dialog=False)
        box = h.wait_message_box("已有程序在运行")
        self.assertEqual(box.text, "青梧鼠标连点器只能打开一个程序。\n多次打开会造成热键因已被注册而无法使用。")
        self.assertEqual(box.icon, "warning")
        self.assertEqual(box.owner, 0)
        box.answer()
        self.assertEqual(second.wait_exit(), 0)
        self.assertTrue(first.running())
        self.assertEqual(h.find_window(h.TITLE, 2, "#32770"), first.hwnd)

    def test_every_exit_path_ends_the_program_with_code_zero(self):
        def by_escape(app):
            h.focus_window(h.TITLE)
            h.press_key("Escape")

        def by_alt_f4(app):
            h.focus_window(h.TITLE)
            h.press_key("alt+F4")

        paths = {
            "escape": by_escape,
            "alt-f4": by_alt_f4,
            "close-box": lambda app: h.post(app.hwnd, h.WM_SYSCOMMAND, h.SC_CLOSE, 0),
            "button": lambda app: h.driver("press", app.hwnd, 2),
            "menu": lambda app: app.command(40020),
        }
        for name, close in paths.items():
            with self.subTest(path=name):
                app = self.start("exit-" + name)
                try:
                    close(app)
                    self.assertEqual(app.wait_exit(), 0)
                finally:
                    app.stop()


if __name__ == "__main__":
    unittest.main()

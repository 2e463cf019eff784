"""Saving and the start-up check as a user meets them: every outcome's message box,
read and answered, the file written or not, and which hot-keys are held afterwards."""

import os
import unittest

import clicks as c
import harness as h
from clicks import enter, ini_text, saved

IDC_START, IDC_END, IDC_LEFT, IDC_RIGHT, IDC_LEFT_INTERVAL, IDC_RIGHT_INTERVAL = 1001, 1002, 1003, 1004, 1005, 1006
IDC_SAVE, IDM_SAVE = 1007, 40017

RULE_TEXT = ("您的设置不符合基本要求，请重新设置并保存。\n\n1、开始与结束热键不能相同。\n2、左、右键至少有一个启用。\n"
             "3、启用的键间隔时间必须大于0。\n\n详情参见常见问题。")
SAVE_HOTKEY_TEXT = ("配置项已经保存成功，但注册开始与结束热键失败，连点操作将无法启动。\n"
                    "此问题是因为已运行的软件已注册了此热键。请重设热键并保存解决此问题。\n详情参见常见问题。")
STARTUP_CHECK_TEXT = ("配置文件不正确，连点操作将无法启动。\n此问题可能是由于手工修改配置文件造成的。"
                      "请重新设置配置项并保存配置。\n详情参见常见问题。")
STARTUP_HOTKEY_TEXT = ("注册开始与结束热键失败，连点操作将无法启动。\n"
                       "此问题是因为已运行的软件已注册了此热键。请重设热键并保存解决此问题。\n详情参见常见问题。")
WRITE_FAILURE_CAPTION = "写入配置出错"


def probe_when_answering(app):
    """The dialog as the probe reads it. Under Wine the program's window thread now and
    then stays busy for some seconds right after it appears, and a probe gives up after
    ten; the next one gets through."""
    def attempt():
        try:
            return app.probe()
        except AssertionError:
            return None
    return h.wait_until(attempt, 45, interval=0.5, what="the dialog to answer the probe")


def controls(app):
    by_id = {ctl["id"]: ctl for ctl in probe_when_answering(app)["controls"]}
    return ([by_id[i]["selection"] for i in (IDC_START, IDC_END, IDC_LEFT, IDC_RIGHT)],
            (by_id[IDC_LEFT_INTERVAL]["text"], by_id[IDC_RIGHT_INTERVAL]["text"]))


class SaveFlowTest(unittest.TestCase):
    def start(self, name, ini=None, wait_dialog=True):
        app = h.App("clk-save-" + name, ini=ini)
        self.addCleanup(app.stop)
        return app.start(wait_dialog=wait_dialog)

    def answer(self, app, caption, text, icon="warning"):
        box = h.wait_message_box(caption)
        self.assertEqual(box.text, text)
        self.assertEqual(box.icon, icon)
        self.assertEqual(box.owner, app.hwnd)
        box.answer()
        h.wait_until(lambda: not h.find_window(caption, 0.2, "#32770"), 10, what="the box to close")
        return box

    def test_settings_that_break_a_rule_show_the_rule_message_and_change_nothing(self):
        app = self.start("rules")
        cases = [
            ("both buttons disabled", dict(left=0, right=0, left_interval="500", right_interval="500")),
            ("left single with interval 0", dict(left=1, right=0, left_interval="0", right_interval="500")),
            ("start and stop both F5", dict(start=4, end=4, left=1, left_interval="500")),
            ("letters read as 0", dict(start=8, end=10, left=2, left_interval="abc")),
            ("nothing read as 0", dict(left=1, left_interval="")),
            ("a minus sign is not a number", dict(left=1, left_interval="-5")),
            ("interval above 2147483647", dict(left=1, left_interval="2147483648")),
            ("too large on a disabled button", dict(left=1, left_interval="100", right=0,
                                                    right_interval="4294967295")),
        ]
        for name, entered in cases:
            with self.subTest(name):
                enter(app, **entered)
                shown = controls(app)
                app.command(IDC_SAVE)
                self.answer(app, "配置错误", RULE_TEXT)
                self.assertFalse(os.path.exists(app.ini_path), "a refused save writes nothing")
                self.assertEqual(controls(app), shown, "the controls keep what the user entered")
        self.assertTrue(c.key_free(4), "a refused save registers nothing")
        self.assertFalse(c.key_free(8), "the keys from start-up stay registered")

    def test_an_empty_key_box_is_refused_rather_than_registered_as_some_other_key(self):
        app = self.start("empty-box", ini=ini_text(start=12), wait_dialog=False)
        box = h.wait_message_box("配置错误")
        box.answer()
        app.wait_dialog()
        self.assertEqual(controls(app)[0][0], -1)
        app.command(IDC_SAVE)
        self.answer(app, "配置错误", RULE_TEXT)
        self.assertIn("StartKey=12", app.read_ini())

    def test_a_valid_save_writes_all_six_keys_registers_them_and_congratulates(self):
        app = self.start("valid")
        enter(app, start=2, end=5, left=2, right=0, left_interval="500", right_interval="0")
        h.driver("press", app.hwnd, IDC_SAVE)
        self.answer(app, "保存成功", "恭喜，保存成功！", icon="information")
        self.assertEqual(app.read_ini(), saved(ini_text(2, 5, 2, 0, 500, 0)))
        self.assertFalse(c.key_free(2))
        self.assertFalse(c.key_free(5))
        self.assertTrue(c.key_free(8), "the earlier start key was released")
        self.assertTrue(c.key_free(10))

        enter(app, start=5, end=2, left_interval="2147483647")  # swapped keys, the largest interval
        app.command(IDM_SAVE)
        self.answer(app, "保存成功", "恭喜，保存成功！", icon="information")
        self.assertEqual(app.read_ini(), saved(ini_text(5, 2, 2, 0, 2147483647, 0)))

    def test_an_unwritable_file_shows_the_write_failure_and_keeps_the_earlier_keys(self):
        app = self.start("unwritable")
        os.mkdir(app.ini_path)  # where the file should be: no write can succeed
        self.addCleanup(os.rmdir, app.ini_path)
        enter(app, start=4, end=6, left=2, left_interval="300")
        app.command(IDC_SAVE)
        box = h.wait_message_box(WRITE_FAILURE_CAPTION)
        self.assertIn("配置文件.ini", box.text)
        self.assertIn("写入权限", box.text)
        self.assertNotIn("\n", box.text, "one line")
        self.assertEqual(box.icon, "warning")
        self.assertEqual(box.owner, app.hwnd)
        box.answer()
        self.assertTrue(os.path.isdir(app.ini_path))
        self.assertTrue(c.key_free(4), "no new keys after a failed write")
        self.assertFalse(c.key_free(8), "F9 and F11 are still the start and stop keys")
        self.assertFalse(c.key_free(10))

    def test_a_key_held_elsewhere_is_reported_after_the_file_was_written(self):
        app = self.start("conflict")
        c.hold_key(self, 4)
        enter(app, start=4, end=6, left=1, left_interval="200")
        app.command(IDC_SAVE)
        self.answer(app, "注册热键错误", SAVE_HOTKEY_TEXT)
        self.assertEqual(app.read_ini(), saved(ini_text(4, 6, 1, 0, 200, 1000)))
        self.assertTrue(c.key_free(6), "no stop key without a start key")
        self.assertTrue(c.key_free(8), "the earlier keys were released before the attempt")
        self.assertTrue(c.key_free(10))

    def test_a_file_that_fails_the_startup_check_is_reported_before_the_dialog(self):
        cases = [
            ("equal keys", ini_text(start=3, end=3)),
            ("left method 3", ini_text(left=3)),
            ("end key 11", ini_text(end=11)),
            ("enabled left with interval 0", ini_text(left=1, left_interval=0)),
            ("negative interval", ini_text(right=2, right_interval=-20)),
            ("negative key", ini_text(start=-1)),
        ]
        for name, ini in cases:
            with self.subTest(name):
                app = h.App("clk-save-startup-" + name.replace(" ", "-"), ini=ini)
                try:
                    app.start(wait_dialog=False)
                    box = h.wait_message_box("配置错误", timeout=30)
                    self.assertEqual(box.text, STARTUP_CHECK_TEXT)
                    self.assertEqual(box.icon, "warning")
                    self.assertEqual(h.find_window(h.TITLE, 0.5, "#32770"), 0, "the box comes before the dialog")
                    box.answer()
                    app.wait_dialog()
                    self.assertEqual(box.owner, app.hwnd)
                    self.assertTrue(c.key_free(8), "no hot-key after a failed check")
                    self.assertEqual(app.read_ini(), saved(ini), "the check changes nothing")
                finally:
                    app.stop()

    def test_a_start_key_held_elsewhere_is_reported_at_startup(self):
        c.hold_key(self, 8)
        app = self.start("startup-held", wait_dialog=False)
        box = h.wait_message_box("注册热键错误", timeout=30)
        self.assertEqual(box.text, STARTUP_HOTKEY_TEXT)
        self.assertEqual(box.icon, "warning")
        box.answer()
        app.wait_dialog()
        self.assertEqual(box.owner, app.hwnd)
        self.assertTrue(c.key_free(10), "the stop key is not registered without the start key")

    def test_no_file_means_no_message_and_the_default_keys(self):
        app = self.start("startup-none")
        self.assertEqual(h.find_window("配置错误", 1, "#32770"), 0)
        self.assertEqual(h.find_window("注册热键错误", 0.1, "#32770"), 0)
        self.assertFalse(c.key_free(8))
        self.assertFalse(c.key_free(10))
        self.assertFalse(os.path.exists(app.ini_path))


if __name__ == "__main__":
    unittest.main()

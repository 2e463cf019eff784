"""Saving, the start-up check and clicking as a user meets them: every message box read and
answered, the file and the hot-keys afterwards, and each press and release counted with its
time in a target window under the cursor, after real key presses."""

import os
import unittest

import harness as h

RULES = ("您的设置不符合基本要求，请重新设置并保存。\n\n1、开始与结束热键不能相同。\n2、左、右键至少有一个启用。\n"
         "3、启用的键间隔时间必须大于0。\n\n详情参见常见问题。")
HOTKEYS = ("注册开始与结束热键失败，连点操作将无法启动。\n此问题是因为已运行的软件已注册了此热键。"
           "请重设热键并保存解决此问题。\n详情参见常见问题。")
CHECK = ("配置文件不正确，连点操作将无法启动。\n此问题可能是由于手工修改配置文件造成的。请重新设置配置项并保存配置。\n"
         "详情参见常见问题。")


def cycles(pairs, gap_us):
    """Presses per cycle: a press more than gap_us after the one before begins a new cycle."""
    sizes = []
    for n, (press, _) in enumerate(pairs):
        if n == 0 or press - pairs[n - 1][0] > gap_us:
            sizes.append(0)
        sizes[-1] += 1
    return sizes


class ClickingTest(unittest.TestCase):
    def start(self, name, ini=None, wait_dialog=True):
        app = h.App(name, ini=ini)
        self.addCleanup(app.stop)
        return app.start(wait_dialog)

    def target(self):
        target = h.Target()
        self.addCleanup(target.stop)
        return target

    def save(self, app, caption="保存成功", text=None, icon="warning", *values):
        if values:
            app.enter(*values)
        app.command(1007)
        box = h.message_box(caption)
        self.assertEqual((box["icon"], box["owner"]), ("information" if caption == "保存成功" else icon, app.hwnd))
        if text:
            self.assertEqual(box["text"], text)
        return box

    def click(self, target, presses, since=None):
        """Presses the start key, then the stop key once `presses` presses came; the events after."""
        since = since or h.now_us()
        h.key("F9")
        target.wait_count(presses, since)
        h.key("F11")
        return target.quiet(since)

    def check(self, events, left, right, left_interval, right_interval):
        for button, method, interval in (("L", left, left_interval), ("R", right, right_interval)):
            pairs = h.pairs(events, button)
            self.assertEqual(bool(pairs), method > 0, button)
            if method:
                # Presses 100 ms apart within a double click; 50 ms + the interval between cycles.
                self.assertEqual(set(cycles(pairs, (150 + interval) * 500)), {method}, (button, method))

    def test_saves_that_break_a_rule_change_nothing(self):
        app = self.start("rules")
        for values in ((8, 10, 0, 0, "500", "500"), (8, 10, 1, 0, "0", "500"), (8, 10, 0, 2, "500", "0"),
                       (4, 4, 1, 0, "500", "500"), (8, 10, 2, 0, "abc", "500"), (8, 10, 1, 0, "", "500"),
                       (8, 10, 1, 0, "-5", "500"), (8, 10, 1, 0, "2147483648", "0"), (8, 10, 1, 0, "100", "4294967295")):
            with self.subTest(values):
                app.enter(*values)
                shown = app.controls()
                self.save(app, "配置错误", RULES)
                self.assertFalse(os.path.exists(app.ini))
                self.assertEqual(app.controls(), shown, "the controls keep what the user entered")
        self.assertEqual((h.key_free(4), h.key_free(8)), (True, False), "the keys from start-up stay")

    def test_a_valid_save_writes_all_six_keys_and_registers_them(self):
        app = self.start("valid")
        self.save(app, "保存成功", "恭喜，保存成功！", "", 2, 5, 2, 0, "500", "0")
        self.assertEqual(app.read_ini(), h.ini_text(2, 5, 2, 0, 500, 0).replace("\n", "\r\n"))
        self.assertEqual([h.key_free(i) for i in (2, 5, 8, 10)], [False, False, True, True])
        app.enter(5, 2, None, None, "2147483647")  # swapped keys, the largest interval
        self.save(app)
        self.assertEqual(app.read_ini(), h.ini_text(5, 2, 2, 0, 2147483647, 0).replace("\n", "\r\n"))

    def test_a_failed_write_keeps_the_earlier_keys_which_click_by_the_new_methods(self):
        app, target = self.start("unwritable"), self.target()
        os.mkdir(app.ini)  # where the file should be: no write can succeed
        self.addCleanup(os.rmdir, app.ini)
        box = self.save(app, "写入配置出错", None, "warning", 4, 6, 2, 0, "300", "1000")
        self.assertRegex(box["text"], "^[^\n]*“配置文件.ini”[^\n]*写入权限")
        self.assertTrue(h.key_free(4))
        self.check(self.click(target, 6), 2, 0, 300, 0)

    def test_a_key_held_elsewhere_is_reported_after_the_file_was_written_and_stops_clicking(self):
        app, target = self.start("held", h.ini_text(left_interval=200)), self.target()
        held = h.hold_key(4)
        self.addCleanup(held.kill)
        since = h.now_us()
        h.key("F9")
        target.wait_count(3, since)
        self.save(app, "注册热键错误", "配置项已经保存成功，但" + HOTKEYS, "warning", 4, 6, 1, 0, "200", "1000")
        self.assertEqual(app.read_ini(), h.ini_text(4, 6, 1, 0, 200, 1000).replace("\n", "\r\n"))
        h.pairs(target.quiet(since), "L")  # no stop key is left, so the clicking ended, released
        self.assertEqual([h.key_free(i) for i in (6, 8, 10)], [True, True, True])

    def test_a_file_that_fails_the_startup_check_is_reported_and_registers_nothing(self):
        for name, ini in (("equal keys", h.ini_text(3, 3)), ("method 3", h.ini_text(left=3)),
                          ("key 11", h.ini_text(end=11)), ("interval 0", h.ini_text(left_interval=0)),
                          ("negative interval", h.ini_text(right=2, right_interval=-20)),
                          ("negative key", h.ini_text(start=-1))):
            with self.subTest(name):
                app = self.start("check", ini, wait_dialog=False)
                box = h.message_box("配置错误")
                self.assertEqual((box["text"], box["icon"]), (CHECK, "warning"))
                self.assertEqual(box["owner"], app.wait_dialog().hwnd)
                self.assertTrue(h.key_free(8))
                self.assertEqual(app.read_ini(), ini.replace("\n", "\r\n"))
                app.stop()

    def test_a_start_key_held_elsewhere_is_reported_at_startup(self):
        held = h.hold_key(8)
        self.addCleanup(held.kill)
        app = self.start("startup-held", wait_dialog=False)
        self.assertEqual(h.message_box("注册热键错误")["text"], HOTKEYS)
        app.wait_dialog()
        self.assertTrue(h.key_free(10), "no stop key without the start key")

    def test_each_method_clicks_in_whole_cycles_and_a_save_takes_effect_while_clicking(self):
        app, target = self.start("methods"), self.target()
        for values in ((1, 0, 300, 0), (2, 0, 300, 500), (0, 1, 0, 300), (0, 2, 1000, 300), (1, 2, 300, 400)):
            with self.subTest(values):
                self.save(app, "保存成功", None, "", None, None, values[0], values[1], str(values[2]), str(values[3]))
                self.check(self.click(target, 6), *values)
        self.save(app, "保存成功", None, "", 8, 10, 1, 0, "300", "300")
        since = h.now_us()
        h.key("F9")
        target.wait_count(3, since)
        saved = h.now_us()
        self.save(app, "保存成功", None, "", None, None, 2, 1)
        target.wait_count(len(target.events(since)) + 8, since)
        h.key("F11")
        left = h.pairs(target.quiet(since), "L")
        self.assertEqual(set(cycles([p for p in left if p[0] < saved], 225000)), {1})
        self.assertEqual(set(cycles([p for p in left if p[0] > saved + 600000], 225000)), {2})
        self.assertGreater(h.pairs(target.events(since), "R")[0][0], saved, "the right button joins")

    def test_start_and_stop_keys_held_repeated_or_raced_keep_one_stream_per_button(self):
        self.start("keys", h.ini_text(left=1, right=2, left_interval=200, right_interval=200))
        target = self.target()
        h.key("F11")  # a stop while idle does nothing
        since = h.now_us()
        h.xdo("keydown", "F9")
        target.wait_count(12, since)
        h.key("F9", "F9")
        h.xdo("keyup", "F9")
        target.wait_count(len(target.events(since)) + 6, since)
        h.key("F11")
        self.assertGreaterEqual(target.events()[0][0], since, "nothing before the start key")
        self.check(target.quiet(since), 1, 2, 200, 200)
        since = h.now_us()
        h.xdo("key", "--delay", "3", *(["F9", "F11"] * 300))
        events = target.quiet(since)
        self.assertTrue(h.pairs(events, "L") and h.pairs(events, "R"))

    def test_leaving_the_program_while_it_clicks_leaves_no_button_pressed(self):
        target = self.target()
        for attempt in range(3):
            app = self.start("leave", h.ini_text(right=1, left_interval=10, right_interval=10))
            since = h.now_us()
            h.key("F9")
            target.wait_count(10, since)
            app.command(2)
            self.assertEqual(app.wait_exit(), 0)
            events = target.quiet(since)
            h.pairs(events, "L")
            h.pairs(events, "R")

    def test_a_save_after_a_failed_startup_check_makes_both_keys_work(self):
        app = self.start("after-check", h.ini_text(end=11, left_interval=200), wait_dialog=False)
        h.message_box("配置错误")
        target = self.target()
        app.wait_dialog()
        h.key("F9")
        self.save(app, "保存成功", None, "", None, 10)
        self.assertEqual(target.events(), [], "no start key before the save")
        self.check(self.click(target, 3), 1, 0, 200, 0)


if __name__ == "__main__":
    unittest.main()

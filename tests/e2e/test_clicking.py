"""Saving, the start-up check and clicking as a user meets them: every message box, the file and the hot-keys
afterwards, and each press and release timed in a target window under the cursor, after real key presses."""

import os

import harness as h

RULES = ("您的设置不符合基本要求，请重新设置并保存。\n\n1、开始与结束热键不能相同。\n2、左、右键至少有一个启用。\n"
         "3、启用的键间隔时间必须大于0。\n\n详情参见常见问题。")
HOTKEYS = ("注册开始与结束热键失败，连点操作将无法启动。\n此问题是因为已运行的软件已注册了此热键。"
           "请重设热键并保存解决此问题。\n详情参见常见问题。")
CHECK = ("配置文件不正确，连点操作将无法启动。\n此问题可能是由于手工修改配置文件造成的。请重新设置配置项并保存配置。\n"
         "详情参见常见问题。")


def cycles(pairs, gap_us):  # presses per cycle: a press more than gap_us after the one before begins one
    sizes = []
    for n, (press, _) in enumerate(pairs):
        sizes += [0] if n == 0 or press - pairs[n - 1][0] > gap_us else []
        sizes[-1] += 1
    return sizes


class ClickingTest(h.Case):
    def save(self, app, caption="保存成功", *values):
        """Saves what is entered (values as for App.enter); the message box, checked for its owner and icon."""
        app.enter(*values)
        app.command(1007)
        box = h.message_box(caption)
        self.assertEqual((box["icon"], box["owner"]), ("information" if caption == "保存成功" else "warning", app.hwnd))
        return box["text"]

    def check(self, events, left, right, left_interval, right_interval):
        for button, method, interval in (("L", left, left_interval), ("R", right, right_interval)):
            pairs = h.pairs(events, button)
            self.assertEqual(bool(pairs), method > 0, button)
            if method:  # presses 100 ms apart within a double click, 50 ms + the interval between cycles
                self.assertEqual(set(cycles(pairs, (150 + interval) * 500)), {method}, (button, method))

    def test_saves_that_break_a_rule_change_nothing(self):
        app = self.start("rules")
        for values in ((8, 10, 0, 0, "500", "500"), (8, 10, 1, 0, "0", "500"), (8, 10, 0, 2, "500", "0"),
                       (4, 4, 1, 0, "500", "500"), (8, 10, 2, 0, "abc", "500"), (8, 10, 1, 0, "", "500"),
                       (8, 10, 1, 0, "-5", "500"), (8, 10, 1, 0, "2147483648", "0"), (8, 10, 1, 0, "100", "4294967295")):
            with self.subTest(values):
                app.enter(*values)
                shown = app.controls()
                self.assertEqual(self.save(app, "配置错误"), RULES)
                self.assertFalse(os.path.exists(app.ini))
                self.assertEqual(app.controls(), shown, "the controls keep what the user entered")
        self.assertEqual((h.key_free(4), h.key_free(8)), (True, False), "the keys from start-up stay")

    def test_a_valid_save_writes_all_six_keys_and_registers_them(self):
        app = self.start("valid")
        self.assertEqual(self.save(app, "保存成功", 2, 5, 2, 0, "500", "0"), "恭喜，保存成功！")
        self.assertEqual(app.read_ini(), h.ini_text(2, 5, 2, 0, 500, 0))
        self.assertEqual([h.key_free(i) for i in (2, 5, 8, 10)], [False, False, True, True])
        self.save(app, "保存成功", 5, 2, None, None, "2147483647")  # swapped keys, the largest interval
        self.assertEqual(app.read_ini(), h.ini_text(5, 2, 2, 0, 2147483647, 0))

    def test_a_failed_write_keeps_the_earlier_keys_which_click_by_the_new_methods(self):
        app, target = self.start("unwritable"), self.target()
        os.mkdir(app.ini)  # where the file should be: no write can succeed
        self.addCleanup(os.rmdir, app.ini)
        self.assertRegex(self.save(app, "写入配置出错", 4, 6, 2, 0, "300"), "^[^\n]*“配置文件.ini”[^\n]*写入权限")
        self.assertTrue(h.key_free(4))
        self.check(target.click(6, cycle_ms=450)[1], 2, 0, 300, 0)

    def test_a_key_held_elsewhere_is_reported_after_the_file_was_written_and_stops_clicking(self):
        app, target = self.start("held", h.ini_text(left_interval=200)), self.target()
        self.addCleanup(h.hold_key(6).kill)  # the stop key to be
        since = h.now_us()
        h.key("F9")
        target.wait_count(3, since)
        self.assertEqual(self.save(app, "注册热键错误", 4, 6, 1, 0, "200"), "配置项已经保存成功，但" + HOTKEYS)
        self.assertEqual(app.read_ini(), h.ini_text(4, 6, 1, 0, 200, 1000))
        h.pairs(target.quiet(since, 250), "L")  # no stop key is left, so the clicking ended, released
        self.assertEqual([h.key_free(i) for i in (4, 8, 10)], [True, True, True], "the new start key given back")

    def test_a_file_that_fails_the_startup_check_is_reported_and_registers_nothing(self):
        for ini in (h.ini_text(3, 3), h.ini_text(left=3), h.ini_text(end=11), h.ini_text(left_interval=0),
                    h.ini_text(right=2, right_interval=-20), h.ini_text(start=-1)):
            with self.subTest(ini):
                app = self.start("check", ini, wait_dialog=False)
                box = h.message_box("配置错误")
                self.assertEqual((box["text"], box["icon"], box["owner"]), (CHECK, "warning", app.wait_dialog().hwnd))
                self.assertEqual((h.key_free(8, 5), app.read_ini()), (True, ini))

    def test_a_start_key_held_elsewhere_is_reported_at_startup(self):
        self.addCleanup(h.hold_key(8).kill)
        app = self.start("startup-held", wait_dialog=False)
        self.assertEqual(h.message_box("注册热键错误")["text"], HOTKEYS)
        app.wait_dialog()
        self.assertTrue(h.key_free(10), "no stop key without the start key")

    def test_each_method_clicks_in_whole_cycles_and_a_save_takes_effect_while_clicking(self):
        app, target = self.start("methods"), self.target()
        for values in ((1, 0, 300, 0), (2, 0, 300, 500), (0, 1, 0, 300), (0, 2, 1000, 300), (1, 2, 300, 400)):
            with self.subTest(values):
                self.save(app, "保存成功", None, None, *values[:2], str(values[2]), str(values[3]))
                self.check(target.click(6, cycle_ms=550)[1], *values)  # the longest cycle of these
        self.save(app, "保存成功", 8, 10, 1, 0, "300", "300")
        since = h.now_us()
        h.key("F9")
        before = target.wait_count(3, since) and h.now_us()
        self.save(app, "保存成功", None, None, 2, 1)
        shown = h.now_us()  # the box has been seen: the new methods are in force from the next cycle on
        target.wait_count(len(target.events(since)) + 16, since)
        h.key("F11")
        left = h.pairs(target.quiet(since, 450), "L")
        self.assertEqual(set(cycles([p for p in left if p[0] < before], 225000)), {1})
        self.assertEqual(set(cycles([p for p in left if p[0] > shown + 450000], 225000)[1:]), {2}, "whole cycles")
        self.assertGreater(h.pairs(target.events(since), "R")[0][0], before, "the right button joins")

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
        self.check(target.quiet(since, 350), 1, 2, 200, 200)
        since = h.now_us()
        h.xdo("key", "--delay", "3", *(["F9", "F11"] * 300))
        events = target.quiet(since, 350)
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
            events = target.quiet(since, 60)
            self.assertTrue(all(h.pairs(events, button) is not None for button in "LR"))

    def test_a_save_after_a_failed_startup_check_makes_both_keys_work(self):
        app = self.start("after-check", h.ini_text(end=11, left_interval=200), wait_dialog=False)
        h.message_box("配置错误")
        target = self.target()
        app.wait_dialog()
        h.key("F9")
        self.save(app, "保存成功", None, 10)
        self.assertEqual(target.events(), [], "no start key before the save")
        self.check(target.click(3, cycle_ms=250)[1], 1, 0, 200, 0)


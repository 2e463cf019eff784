"""The advanced click settings, hand-edited or through "高级设置...", measured in the target window: press
durations, clicks per start, varying pauses, a fixed point, and clicking only while the start key is held."""

import re
import subprocess

import harness as h
from test_dialog import item


def held_ms(target, since, button="L"):  # how long each press was held, by the times the events were queued
    with open(target.log) as f:
        events = [line.split() for line in f if line.split()[1][0] == button and int(line.split()[0]) >= since]
    return [int(up[2]) - int(down[2]) for down, up in zip(events[::2], events[1::2])]


def cursor():
    out = subprocess.run(["xdotool", "getmouselocation"], stdout=subprocess.PIPE, check=True).stdout.decode()
    return tuple(int(v) for v in re.findall(r"[xy]:(-?\d+)", out))


class AdvancedTest(h.Case):
    def begin(self, extra, wait_dialog=True, **values):
        app = self.start("advanced", h.ini_text(extra=extra, **values), wait_dialog=wait_dialog)
        self.clicks = self.target()
        return app

    def advanced(self, app):  # "高级设置" opened: its window, and what a control of it shows
        app.command(item(app.probe(), "高级设置..."))
        hwnd = h.find("高级设置")
        return hwnd, lambda control: next(c["text"] for c in h.probe(hwnd)["controls"] if c["id"] == control)

    def test_a_capture_begun_with_enter_or_with_ctrl_held_leaves_no_key_down(self):
        hwnd, shown = self.advanced(self.begin(""))
        field = h.probe(hwnd)
        h.send(hwnd, 0x28, next(c["hwnd"] for c in field["controls"] if c["id"] == 1221), 1)  # WM_NEXTDLGCTL
        for key, begin in (("Return", lambda: (h.focus("高级设置"), h.xdo("keydown", "Return"))),
                           ("ctrl", lambda: (h.xdo("keydown", "ctrl"), h.click_at(h.screen_rect(field, 1221))))):
            begin()
            h.wait(lambda: shown(1221) == "请按组合键或鼠标侧键", 30, "the field to listen")
            h.xdo("keyup", key)  # after the capture began
            h.key("Escape")
            h.wait(lambda: shown(1221) == "（无）", 30, "the capture cancelled")
            # As the session sees them: under Wine the next window to take the focus would
            # mend a key left down, so a check by typing elsewhere sees nothing.
            self.assertEqual(h.driver("keys", 0x0D, 0x11)[1], "0 0", "neither Enter nor Ctrl left down: " + key)

    def test_a_pick_ended_by_escape_a_right_click_or_the_time_limit_gives_both_windows_back(self):
        hwnd, shown = self.advanced(self.begin("LeftPoint=1,2\n"))
        for end in (lambda: (h.focus("QwClickTarget"), h.key("Escape")), lambda: h.xdo("click", 3), lambda: None):
            h.post(hwnd, h.WM_COMMAND, 1206)
            h.wait(lambda: not h.find("高级设置", 0.2) and not h.find(h.TITLE, 0.2), 30, "both windows to step aside")
            end()
            h.wait(lambda: h.find("高级设置", 0.2) and h.find(h.TITLE, 0.2), 45, "both windows back")
            self.assertEqual((shown(1204), shown(1205)), ("1", "2"))
        self.assertEqual(self.clicks.events(), [], "the right click went to no window")

    def test_triggers_work_while_two_quick_saves_show_their_boxes(self):
        app = self.begin("StartTrigger=XButton1\nStopTrigger=XButton1\n", left_interval=100)
        boxes = lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^保存成功$"],
                                       stdout=subprocess.PIPE).stdout.split()
        app.command(1007)
        app.command(1007)
        h.wait(lambda: len(boxes()) == 2, 30, "both boxes")
        since = h.now_us()
        h.xdo("click", 8)  # one press toggles once: one hook, registered before the boxes
        self.clicks.wait_count(3, since)
        h.xdo("click", 8)
        h.pairs(self.clicks.quiet(since, 150), "L")
        while hwnd := h.find("保存成功", 1):
            h.post(hwnd, h.WM_COMMAND, 1)
            h.wait(lambda: h.find("保存成功", 0.2) != hwnd, 20, "the box closed")

    def test_hand_edited_hold_count_jitter_and_point(self):
        self.begin("LeftHold=200\nLeftCount=3\nLeftPoint= 300 , 400\nRightJitter=50\n", left=2, right=1,
                   left_interval=100, right_interval=200)
        since, events = self.clicks.click(14, "RD")
        self.assertEqual(len(h.pairs(events, "L")), 6, "the left button stops by itself after 3 double clicks")
        self.assertTrue(all(100 <= ms < 400 for ms in held_ms(self.clicks, since)), held_ms(self.clicks, since))
        self.assertTrue(all(ms < 150 for ms in held_ms(self.clicks, since, "R")))
        right = [p for p, _ in h.pairs(events, "R")]
        periods = [b - a for a, b in zip(right, right[1:])]
        self.assertGreater(max(periods) - min(periods), 40000, "pauses drawn anew: %s" % periods)
        self.assertEqual(cursor(), (300, 400))
        since, events = self.clicks.click(14, "RD")
        self.assertEqual(len(h.pairs(events, "L")), 6, "a new start counts from zero")

    def test_hold_to_click_clicks_only_while_the_start_key_or_side_button_is_held(self):
        self.begin("HoldToClick=1\nStartTrigger=XButton1\n", left_interval=100)
        since = h.now_us()
        h.xdo("keydown", "F9")
        self.clicks.wait_count(3, since)
        h.xdo("keyup", "F9")
        count = len(self.clicks.quiet(since))  # the release stopped it
        h.xdo("keydown", "F9")
        self.clicks.wait_count(count // 2 + 2, since)
        h.key("F11")  # the stop key still stops, the key still held
        events = self.clicks.quiet(since)
        h.xdo("keyup", "F9")
        h.pairs(events, "L")
        since = h.now_us()
        h.xdo("mousedown", 8)
        self.clicks.wait_count(3, since)
        h.xdo("mouseup", 8)
        h.pairs(self.clicks.quiet(since), "L")  # the release stopped it
        h.xdo("click", 9)  # no trigger: the window gets it, and only it
        h.wait(lambda: [e for _, e in self.clicks.events() if e[0] == "X"] == ["XD", "XU"], 10, "button 9 alone")

    def test_a_held_start_key_is_not_taken_for_released_by_a_key_state_older_than_the_press(self):
        # With a keyboard hook in the session and the keyboard at the program's window (as after any dialog), the
        # key state read soon after the press may be older than it. No key repeats, which would start it again.
        subprocess.run(["xset", "r", "off"], check=True)
        self.addCleanup(subprocess.run, ["xset", "r", "on"])
        self.begin("HoldToClick=1\n", left_interval=100)
        self.addCleanup(h.hold_key(None).kill)
        since = h.now_us()
        h.key("F9")  # a tap: from now on the window's thread has a key state of its own
        self.clicks.quiet(since)
        h.focus(h.TITLE)
        since = h.now_us()
        h.xdo("keydown", "F9")
        self.clicks.wait_count(3, since)
        h.xdo("keyup", "F9")
        h.pairs(self.clicks.quiet(since), "L")

    def test_bad_values_are_named_at_startup_and_replaced_by_their_defaults(self):
        extra = ("LeftHold=0\nRightJitter=abc\nLeftPoint=1,2,3\nLeftCount=12abc\nHoldToClick=2\nRightPoint=5000,5000\n"
                 "StopTrigger=Alt+Ctrl+K\nStartTrigger=Ctrl+XButton1\nStopOnMouseMove=1001\n"
                 "[Sequence]\nEnabled=1\nStep1=Left * 0\nStep2=Left 1,2,3 0\n")  # with it the start key runs no step
        app = self.begin(extra, wait_dialog=False, right=1)
        box = h.message_box("高级设置错误")
        self.assertEqual(re.findall(r"\n(\w+)：应为", box["text"]), ["LeftHold", "LeftCount", "RightJitter", "LeftPoint",
                         "HoldToClick", "StartTrigger", "StopTrigger", "StopOnMouseMove"])
        self.assertRegex(h.message_box("序列设置错误")["text"], "\n\nStep2：应为 [^\n]+\n\n本次运行不使用序列")
        app.wait_dialog()
        self.assertEqual(app.read_ini(), h.ini_text(extra=extra, right=1))
        since = h.now_us()
        h.key("F9")
        self.assertIn("右键", h.message_box("固定位置错误")["text"], "a point on no monitor")
        self.clicks.wait_count(2, since)
        h.key("F11")
        self.assertEqual(h.pairs(self.clicks.quiet(since), "R"), [])
        self.assertTrue(all(ms < 150 for ms in held_ms(self.clicks, since)))

    def test_the_dialog_checks_writes_and_applies_every_value(self):
        app = self.begin("", left_interval=100)
        app.command(item(app.probe(), "高级设置..."))
        dialog = h.probe(h.find("高级设置"))
        edits = {c["id"]: c["hwnd"] for c in dialog["controls"]}
        tips = {i for i, _ in dialog["tips"]}
        self.assertEqual({1201, 1202, 1203, 1204, 1205, 1206, 1211, 1216, 1220, 1221, 1222, 1223, 1, 2} - tips, set())
        hwnd = h.find("高级设置")
        h.send(edits[1201], h.WM_SETTEXT, 0, "0")
        h.post(hwnd, h.WM_COMMAND, 1)
        self.assertTrue(h.message_box("高级设置错误")["text"].startswith("“左键按住时长”的值不正确。\n允许的值："))
        self.assertEqual(app.read_ini(), h.ini_text(left_interval=100), "nothing written")
        for control, text in ((1201, "150"), (1202, "2"), (1213, "10")):
            h.send(edits[control], h.WM_SETTEXT, 0, text)
        h.post(hwnd, h.WM_COMMAND, 1206)  # 拾取: the dialog steps aside, a left click gives the point
        h.wait(lambda: not h.find("高级设置", 0.2), 30, "the dialog to step aside")
        h.xdo("mousemove", 123, 234, "click", 1)
        h.wait(lambda: h.find("高级设置", 0.2), 30, "the dialog back")
        self.assertEqual([c["text"] for c in h.probe(hwnd)["controls"] if c["id"] in (1204, 1205)], ["123", "234"])
        h.post(hwnd, h.WM_COMMAND, 1)
        h.wait(lambda: not h.find("高级设置", 0.2), 30, "the dialog closed")
        self.assertIn("LeftHold=150\nRightHold=50\nLeftCount=2\nRightCount=0\nLeftJitter=0\nRightJitter=10\n"
                      "LeftPoint=123,234\nRightPoint=\nHoldToClick=0", app.read_ini())
        self.assertEqual(self.clicks.events(), [], "the pick's click went to no window")
        since, events = self.clicks.click(2)  # after its 2 clicks the only button had stopped by itself
        self.assertEqual((len(h.pairs(events, "L")), cursor()), (2, (123, 234)))
        self.assertTrue(all(140 <= ms < 300 for ms in held_ms(self.clicks, since)))


    def test_side_buttons_start_and_stop_beside_the_f_keys_and_never_reach_the_window(self):
        self.begin("StartTrigger=xbutton1\nStopTrigger=XBUTTON2\n", left_interval=100)
        press = {"8": lambda: h.xdo("click", 8), "9": lambda: h.xdo("click", 9), "F9": lambda: h.key("F9"),
                 "F11": lambda: h.key("F11")}
        for start, stop in (("8", "9"), ("F9", "9"), ("8", "F11")):
            since = h.now_us()
            press[start]()
            self.clicks.wait_count(3, since)
            press[stop]()
            h.pairs(self.clicks.quiet(since), "L")
        self.assertEqual([e for _, e in self.clicks.events() if e[0] == "X"], [])

    def test_the_dialog_takes_a_combination_for_both_which_then_starts_and_stops_in_turn(self):
        app = self.begin("StopTrigger=XButton2\n", left_interval=100)
        app.command(item(app.probe(), "高级设置..."))
        hwnd = h.find("高级设置")

        def take(field, *press):  # what the field shows after a click on it and that press
            shown = lambda: next(c["text"] for c in h.probe(hwnd)["controls"] if c["id"] == field)
            h.post(hwnd, h.WM_COMMAND, field)
            h.wait(lambda: shown() == "请按组合键或鼠标侧键", 30, "the field to listen")
            h.xdo(*press)
            return h.wait(lambda: shown() != "请按组合键或鼠标侧键" and shown(), 30, "the field to answer")
        self.assertEqual([take(1222, "key", "Escape"), take(1222, "key", "F9"), take(1222, "key", "BackSpace"),
                          take(1221, "click", "8"), take(1221, "key", "ctrl+shift+F5"),
                          take(1222, "key", "ctrl+shift+F5")],
                         ["XButton2", "F9", "（无）", "XButton1", "Ctrl+Shift+F5", "Ctrl+Shift+F5"])
        h.post(hwnd, h.WM_COMMAND, 1)
        h.wait(lambda: not h.find("高级设置", 0.2), 30, "the dialog closed")
        self.assertEqual(re.findall(r"^(\w+Trigger)=(.*)$", app.read_ini(), re.M),
                         [("StopTrigger", "Ctrl+Shift+F5"), ("StartTrigger", "Ctrl+Shift+F5")], "kept in their places")
        self.assertEqual(self.clicks.events(), [], "neither F9 nor a side button acted while a field listened")
        for _ in range(2):  # on, then off, and held past its repeats it stays off
            since = h.now_us()
            h.key("ctrl+shift+F5")
            self.clicks.wait_count(3, since)
            h.xdo("keydown", "ctrl+shift+F5")
            events = self.clicks.quiet(since, 1700)  # long enough for the key's repeats to begin
            h.xdo("keyup", "ctrl+shift+F5")
            h.pairs(events, "L")

    def test_a_combination_held_elsewhere_or_the_other_f_key_is_named_once_and_the_rest_works(self):
        self.addCleanup(h.hold_key(2, 2).kill)  # Ctrl+F3
        app = self.begin("StartTrigger=ctrl+f3\nStopTrigger=F9\n", wait_dialog=False, left_interval=100)
        self.assertEqual(h.message_box("注册热键错误")["text"],
                         "以下热键无法使用，其余热键照常可用：\n\nStartTrigger=Ctrl+F3：已被其他程序占用\n"
                         "StopTrigger=F9：与开始连点热键 F9 相同\n\n请在“操作”菜单的“高级设置...”中重新设置，或关闭占用热键的程序。")
        app.wait_dialog()
        self.assertFalse(h.find("注册热键错误", 2), "said once")
        h.pairs(self.clicks.click(3)[1], "L")

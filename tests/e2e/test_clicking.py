"""Clicking as a user gets it: real key presses, and every press and release counted
with its time in a target window under the cursor."""

import os
import time
import unittest

import clicks as c
import harness as h
from clicks import enter, ini_text

IDC_SAVE = 1007
SINGLE, DOUBLE = 1, 2


def now_us():
    """The clock of the target's timestamps (Wine's performance counter)."""
    return int(time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1e6)


def cycles(pairs, gap_us):
    """Groups (press, release) pairs into cycles: a press more than gap_us after the
    previous one begins a new cycle. Returns the number of presses of each cycle."""
    sizes = []
    last = None
    for press, _ in pairs:
        if last is None or press - last > gap_us:
            sizes.append(0)
        sizes[-1] += 1
        last = press
    return sizes


class ClickingTest(unittest.TestCase):
    def setUp(self):
        self.target = c.ClickTarget().start()
        self.addCleanup(self.target.stop)

    def start(self, name, ini=None, wait_dialog=True):
        app = h.App("clk-click-" + name, ini=ini)
        self.addCleanup(app.stop)
        return app.start(wait_dialog=wait_dialog)

    def save(self, app, caption="保存成功", **entered):
        enter(app, **entered)
        app.command(IDC_SAVE)
        box = h.wait_message_box(caption)
        box.answer()
        h.wait_until(lambda: not h.find_window(caption, 0.2, "#32770"), 10, what="the box to close")

    def click_until(self, presses, start_key="F9", stop_key="F11", kinds=("LD", "RD")):
        """Starts clicking, stops it once `presses` presses arrived, and returns the
        events from the start key on, after the clicking has ended."""
        begun = now_us()
        h.press_key(start_key)
        h.wait_until(lambda: len([1 for t, e in self.target.events() if t >= begun and e in kinds]) >= presses,
                     30, what="%d presses" % presses)
        h.press_key(stop_key)
        return [(t, e) for t, e in self.target.wait_quiet() if t >= begun]

    def check_button(self, events, button, method, interval_ms, name):
        """The button's events make whole clicks of its method, every press released.
        (How long each press is held is the benchmark's business: under load the target
        sees some events late.)"""
        pairs = c.streams(events, button)
        if method == 0:
            self.assertEqual(pairs, [], "%s: a disabled button clicks nothing" % name)
            return
        self.assertGreaterEqual(len(pairs), 2, name)
        # Within a double click the presses are 100 ms apart; from a cycle's last press
        # to the next cycle's first, 50 ms + the interval (intervals here are 200 ms or more).
        sizes = cycles(pairs, (100 + 50 + interval_ms) * 1000 // 2)
        self.assertEqual(set(sizes), {method}, "%s: presses per cycle %s" % (name, sizes))

    def test_each_method_clicks_at_the_cursor_in_whole_cycles(self):
        app = self.start("methods")
        cases = [
            ("left single", SINGLE, 0, 300, 0),
            ("left double", DOUBLE, 0, 300, 500),
            ("right single", 0, SINGLE, 0, 300),
            ("right double", 0, DOUBLE, 1000, 300),
            ("left single and right double", SINGLE, DOUBLE, 300, 400),
        ]
        for name, left, right, left_interval, right_interval in cases:
            with self.subTest(name):
                self.save(app, left=left, right=right, left_interval=str(left_interval),
                          right_interval=str(right_interval))
                events = self.click_until(6)
                self.check_button(events, "L", left, left_interval, name)
                self.check_button(events, "R", right, right_interval, name)

    def test_a_save_while_clicking_takes_effect_from_the_next_cycle(self):
        app = self.start("save-while", ini=ini_text(left=SINGLE, right=0, left_interval=300, right_interval=300))
        begun = now_us()
        h.press_key("F9")
        self.target.wait_events(6, kinds=("LD", "LU"))
        saved_at = now_us()
        self.save(app, left=DOUBLE, right=SINGLE)
        self.target.wait_events(len(self.target.events()) + 8)
        h.press_key("F11")
        events = [(t, e) for t, e in self.target.wait_quiet() if t >= begun]

        left = c.streams(events, "L")
        before = [p for p in left if p[0] < saved_at]
        after = [p for p in left if p[0] > saved_at + 600000]  # a whole cycle after the save
        self.assertEqual(set(cycles(before, 225000)), {1}, "single clicks before the save")
        self.assertEqual(set(cycles(after, 225000)), {2}, "double clicks after it")
        right = c.streams(events, "R")
        self.assertTrue(right, "the right button, enabled while clicking ran, clicks")
        self.assertGreater(right[0][0], saved_at)

    def test_holding_or_repeating_the_start_key_starts_nothing_more(self):
        self.start("hold", ini=ini_text(left=SINGLE, right=DOUBLE, left_interval=200, right_interval=200))
        begun = now_us()
        h.xdotool("keydown", "F9")
        try:
            self.target.wait_events(12)
            h.press_key("F9")
            h.press_key("F9")
        finally:
            h.xdotool("keyup", "F9")
        self.target.wait_events(len(self.target.events()) + 6)
        h.press_key("F11")
        events = [(t, e) for t, e in self.target.wait_quiet() if t >= begun]
        self.check_button(events, "L", SINGLE, 200, "held start key")
        self.check_button(events, "R", DOUBLE, 200, "held start key")

    def test_the_stop_key_while_idle_does_nothing(self):
        self.start("idle-stop", ini=ini_text(left=SINGLE, left_interval=200))
        h.press_key("F11")
        h.press_key("F11")
        events = self.click_until(3)
        self.assertEqual(self.target.events()[0], events[0], "nothing before the start key")
        self.check_button(events, "L", SINGLE, 200, "after idle stops")

    def test_rapid_starts_and_stops_never_put_two_streams_on_a_button(self):
        self.start("rapid", ini=ini_text(left=SINGLE, right=DOUBLE, left_interval=10, right_interval=10))
        begun = now_us()
        h.xdotool("key", "--delay", "3", *(["F9", "F11"] * 300))
        events = [(t, e) for t, e in self.target.wait_quiet(quiet=1.0, timeout=60) if t >= begun]
        # Each button's presses and releases alternate and end released: one stream
        # per button, and no stop left a button down.
        left, right = c.streams(events, "L"), c.streams(events, "R")
        self.assertTrue(left and right, "the starts clicked")

    def test_leaving_the_program_while_it_clicks_leaves_no_button_pressed(self):
        for attempt in range(3):
            with self.subTest(attempt=attempt):
                app = self.start("exit-%d" % attempt,
                                 ini=ini_text(left=SINGLE, right=SINGLE, left_interval=10, right_interval=10))
                begun = now_us()
                h.press_key("F9")
                h.wait_until(lambda: len([1 for t, _ in self.target.events() if t >= begun]) >= 10, 30,
                             what="clicks")
                app.command(2)
                self.assertEqual(app.wait_exit(), 0)
                events = [(t, e) for t, e in self.target.wait_quiet() if t >= begun]
                c.streams(events, "L")
                c.streams(events, "R")

    def test_a_save_after_a_failed_startup_check_makes_both_keys_work(self):
        app = self.start("after-check", ini=ini_text(end=11, left=SINGLE, left_interval=200), wait_dialog=False)
        h.wait_message_box("配置错误").answer()
        app.wait_dialog()
        begun = now_us()
        h.press_key("F9")
        self.save(app, end=10)
        self.assertTrue(all(t < begun for t, _ in self.target.events()), "no start key before the save")
        events = self.click_until(3)
        self.check_button(events, "L", SINGLE, 200, "after the save")

    def test_a_save_that_loses_the_hot_keys_stops_the_clicking_no_key_could_stop(self):
        app = self.start("lost-keys", ini=ini_text(left=SINGLE, left_interval=200))
        c.hold_key(self, 4)
        begun = now_us()
        h.press_key("F9")
        self.target.wait_events(4)
        self.save(app, caption="注册热键错误", start=4)
        events = [(t, e) for t, e in self.target.wait_quiet() if t >= begun]
        c.streams(events, "L")
        h.press_key("F9")
        h.press_key("F11")
        self.assertEqual(len(self.target.wait_quiet()), len(events), "no key starts clicking any more")

    def test_after_a_failed_write_the_earlier_keys_click_by_the_new_methods(self):
        app = self.start("write-failure")
        os.mkdir(app.ini_path)
        self.addCleanup(os.rmdir, app.ini_path)
        self.save(app, caption="写入配置出错", start=4, left=DOUBLE, left_interval="300")
        events = self.click_until(6, start_key="F9")
        self.check_button(events, "L", DOUBLE, 300, "after the failed write")


if __name__ == "__main__":
    unittest.main()

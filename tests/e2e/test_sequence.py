"""The sequence of section [Sequence] and the hand on the mouse, as a user meets them in the target window: steps in
order with their pauses and points, Repeat rounds, a spread, a stop in the middle, and a move of the mouse by hand."""

import harness as h

# A click at a point, the middle button at another, Home (an extended key) in the window in front, a right double click.
STEPS = "Step1=Left 100,120 300\nStep2=Middle 400,300 200\nStep3=Key:Home * 100\nStep4=RightDouble 200,500 250\n"
ROUND = [("LD", (100, 120)), ("LU", (100, 120)), ("MD", (400, 300)), ("MU", (400, 300)), ("KD", (36, 71, 1)),
         ("KU", (36, 71, 1))] + [("RD", (200, 500)), ("RU", (200, 500))] * 2


def sequence(steps=STEPS, extra="", **keys):  # the two buttons would click at the cursor every 100 ms
    return h.ini_text(right=1, left_interval=100, right_interval=100, extra=extra) + "[Sequence]\nEnabled=1\n" + "".join(
        "%s=%s\n" % item for item in keys.items()) + steps


def steps(target, since, cycle_ms):  # once they stopped: the events, without the keys of xdotool's (F9's release)
    target.quiet(since, cycle_ms)
    return [e for e in target.events(since, where=True) if e[1][0] != "K" or e[2][0] == 36]


class SequenceTest(h.Case):
    def test_the_steps_run_in_order_with_their_pauses_repeat_times_then_stop_by_themselves(self):
        self.start("sequence", sequence(Repeat=2))
        target, since = self.target(), h.now_us()
        h.key("F9")
        events = steps(target, since, 1000)
        self.assertEqual([(e, where) for _, e, where, _ in events], ROUND * 2)
        # The next step's press its pause after the last release; a release up to 25 ms late (a busy machine) is
        # made up in that pause, and the message times count whole milliseconds.
        queued = [q for _, _, _, q in events]
        self.assertTrue(all(queued[b] - queued[a] >= pause - 26 for a, b, pause in
                            ((1, 2, 300), (3, 4, 200), (5, 6, 100), (9, 10, 250), (11, 12, 300))), queued)

    def test_a_spread_stays_in_its_circle_and_a_stop_in_the_middle_releases_everything(self):
        self.start("spread", sequence("Step1=Left 300,300 0\nStep2=Key:Home * 0\nStep3=Middle 300,300 0\n", Spread=40))
        target = self.target()
        for _ in range(2):  # each start begins at step 1
            since = h.now_us()
            h.key("F9")
            target.wait_count(20, since, "LDMD")
            h.key("F11")
            events = steps(target, since, 200)
            self.assertEqual(events[0][1], "LD")
            for kind in "LMK":
                h.pairs([e[:2] for e in events], kind)
            points = [where for _, e, where, _ in events if e in ("LD", "MD")]
            self.assertTrue(all((x - 300) ** 2 + (y - 300) ** 2 <= 1600 for x, y in points), points)
            self.assertGreater(len(set(points)), len(points) // 2, "the presses wander")
        self.assertEqual(h.driver("keys", 0x24, 0x01, 0x04)[1], "0 0 0", "nothing left down")

    def test_a_hand_on_the_mouse_stops_everything_and_the_programs_own_moves_do_not(self):
        hand, injected = lambda x, y: h.xdo("mousemove", x, y), lambda x, y: h.driver("move", x, y)  # another program
        for ini, move in ((h.ini_text(left_interval=50, extra="StopOnMouseMove=30\nLeftPoint=300,300\n"), hand),
                          (sequence("Step1=Left 300,300 20\nStep2=Right 300,300 20\n", "StopOnMouseMove=30\n", Spread=5),
                           injected)):
            with self.subTest(ini):
                self.start("hand", ini)
                target, since = self.target(), h.now_us()
                h.key("F9")  # from the cursor 50,700: the first own move goes far
                target.wait_count(8, since)
                move(310, 310)  # less than 30 pixels from the last point
                target.wait_count(len(target.events(since)) // 2 + 8, since)
                move(400, 300)
                for button in "LR":
                    h.pairs(target.quiet(since, 150), button)

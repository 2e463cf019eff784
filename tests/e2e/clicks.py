"""What the clicking and save-flow tests and the click timing benchmark share: the
settings file and the dialog's controls, clicks as a target window under the cursor
receives them, and keys held by a helper process."""

import os
import select
import subprocess
import time
import uuid

import harness as h

IDC_START, IDC_END, IDC_LEFT, IDC_RIGHT, IDC_LEFT_INTERVAL, IDC_RIGHT_INTERVAL = 1001, 1002, 1003, 1004, 1005, 1006
# Away from the program's dialog, which sits in the middle of the screen.
POINTER = (50, 700)
VK_F1 = 0x70


def key_name(index):
    """The xdotool name of the HotKeyChoices entry at index (0 is F1)."""
    return "F%d" % (index + 1)


def ini_text(start=8, end=10, left=1, right=0, left_interval=1000, right_interval=1000):
    """A settings file's text with LF line ends; the harness writes CR LF, as a save does."""
    return ("[Config]\nStartKey=%d\nEndKey=%d\nLeftKey=%d\nRightKey=%d\nLeftInterval=%d\n"
            "RightInterval=%d\n" % (start, end, left, right, left_interval, right_interval))


def saved(text):
    """The text as it lies in the file."""
    return text.replace("\n", "\r\n")


def enter(app, start=None, end=None, left=None, right=None, left_interval=None, right_interval=None):
    """Sets the controls as a user would leave them; None leaves a control as it is."""
    for control, index in ((IDC_START, start), (IDC_END, end), (IDC_LEFT, left), (IDC_RIGHT, right)):
        if index is not None:
            h.driver("select", app.hwnd, control, index)
    for control, text in ((IDC_LEFT_INTERVAL, left_interval), (IDC_RIGHT_INTERVAL, right_interval)):
        if text is not None:
            h.driver("settext", app.hwnd, control, text)


class ClickTarget:
    """qw_click_target.exe covering the screen, logging "<microseconds> LD|LU|RD|RU <ms>"."""

    def __init__(self):
        self.log = os.path.join(h.PREFIX, "drive_c", "qw_clicks_%s.log" % uuid.uuid4().hex[:8])
        self.process = None

    def start(self):
        self.process = subprocess.Popen(
            ["wine", os.path.join(h.TOOLS, "qw_click_target.exe"), h.to_windows_path(self.log)],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        h.wait_until(lambda: any(e == "ready" for _, e in self.lines()), 30, what="the click target")
        h.xdotool("mousemove", *POINTER)
        return self

    def lines(self):
        """[(microseconds, event)] of every line so far, "ready" included."""
        return [(t, e) for t, e, _ in self.queued_lines()]

    def queued_lines(self):
        """[(microseconds, event, the message's own time in ms)]: when each event arrived,
        and when it was queued."""
        try:
            with open(self.log, encoding="ascii") as f:
                text = f.read()
        except FileNotFoundError:
            return []
        out = []
        for line in text.splitlines():
            parts = line.split()
            if len(parts) == 3:
                out.append((int(parts[0]), parts[1], int(parts[2])))
        return out

    def events(self):
        """[(microseconds, "LD" | "LU" | "RD" | "RU")] so far."""
        return [(t, e) for t, e in self.lines() if e != "ready"]

    def wait_events(self, count, timeout=20.0, kinds=("LD", "LU", "RD", "RU")):
        return h.wait_until(lambda: len([1 for _, e in self.events() if e in kinds]) >= count and self.events(),
                            timeout, what="%d click events" % count)

    def wait_quiet(self, quiet=0.6, timeout=20.0):
        """The events once none has come for `quiet` seconds: the clicking has ended."""
        state = {"count": -1, "since": 0.0}

        def settled():
            events = self.events()
            now = time.monotonic()
            if len(events) != state["count"]:
                state["count"], state["since"] = len(events), now
                return None
            return events if now - state["since"] >= quiet else None
        h.wait_until(settled, timeout, interval=0.05, what="the clicks to stop")
        return self.events()

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait(timeout=10)
        if os.path.exists(self.log):
            os.remove(self.log)


def streams(events, button):
    """Checks one button's events: presses and releases alternate, starting with a
    press; returns [(press time, release time)]. Raises AssertionError otherwise."""
    down, up = button + "D", button + "U"
    pairs = []
    pressed_at = None
    for t, e in events:
        if e == down:
            if pressed_at is not None:
                raise AssertionError("%s pressed again at %d while held since %d: two streams" % (button, t, pressed_at))
            pressed_at = t
        elif e == up:
            if pressed_at is None:
                raise AssertionError("%s released at %d without a press" % (button, t))
            pairs.append((pressed_at, t))
            pressed_at = None
    if pressed_at is not None:
        raise AssertionError("%s left pressed since %d" % (button, pressed_at))
    return pairs


class HeldKey:
    """A hot-key registered and kept by qw_driver.exe in a process of its own, when it
    was free: `held` says whether it was."""

    def __init__(self, index):
        self.process = subprocess.Popen(
            ["wine", os.path.join(h.TOOLS, "qw_driver.exe"), "hold-hotkey", str(VK_F1 + index), "600"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        ready, _, _ = select.select([self.process.stdout], [], [], 30)
        line = self.process.stdout.readline().decode("ascii", "replace") if ready else ""
        self.held = '"held":true' in line
        if not self.held:
            self.release()

    def release(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(timeout=10)
        self.process.stdout.close()


def hold_key(test, index):
    """Holds the key for the rest of the test; fails the test when it is taken."""
    key = HeldKey(index)
    test.assertTrue(key.held, "%s was already taken" % key_name(index))
    test.addCleanup(key.release)
    return key


def key_free(index):
    """Whether another process could register the key now."""
    key = HeldKey(index)
    if key.held:
        key.release()
    return key.held

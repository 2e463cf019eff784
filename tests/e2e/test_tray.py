"""The tray icon as a user meets it: hiding, the icon's tip, restoring, its menu, and
the icon coming back when the notification area is made anew.

The icon's mouse activity is driven by the WM_TRAYICON messages the shell sends; the
icon itself is read from Wine's stand-alone tray window, inside its own process."""

import unittest

import harness as h

WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK = 0x200, 0x201, 0x202, 0x203
WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_MBUTTONDOWN = 0x204, 0x205, 0x206, 0x207
TRAY_MENU = [(1025, "显示程序界面"), (1027, "退出程序")]
WINE_TRAY = "Wine System Tray"
# The program may be busy for seconds after it starts (its online extras), and the
# commands posted meanwhile wait in its queue: every wait allows for that.
TIMEOUT = 30.0


def tray_tips():
    """The tips of the icons in the notification area, in order; [] when it shows none."""
    tray = h.find_window(WINE_TRAY, 0)
    if not tray:
        return []
    return [t["text"] for t in h.probe(tray)["tooltips"]]


def wait_icons(count, timeout=TIMEOUT):
    """Waits until exactly count icons carry the program's tip."""
    h.wait_until(lambda: tray_tips().count(h.TITLE) == count, timeout,
                 what="%d tray icon(s) with the program's tip" % count)


def probe_or_none(hwnd):
    """A probe, or None while the program is too busy to answer one."""
    try:
        return h.probe(hwnd)
    except AssertionError:
        return None


def settle(app):
    """Starts the program and waits until it answers messages; returns it."""
    app.start()
    h.wait_until(lambda: h.send(app.hwnd, 0, 0, 0) is not None, TIMEOUT, what="the program answering")
    return app


def wait_visible(app, visible, timeout=TIMEOUT):
    h.wait_until(lambda: (probe_or_none(app.hwnd) or {}).get("visible") == visible, timeout,
                 what="the dialog %s" % ("shown" if visible else "hidden"))


def open_tray_menu(app, x=500, y=400):
    """Right button on the icon with the cursor at (x, y); the menu's window and probe."""
    h.xdotool("mousemove", x, y)
    h.post(app.hwnd, h.WM_TRAYICON, 1, WM_RBUTTONDOWN)
    menu = h.find_window("", TIMEOUT, "#32768")
    if not menu:
        raise AssertionError("no tray menu")
    return menu, h.probe(menu)


def click_at(rect):
    h.xdotool("mousemove", rect[0] + rect[2] // 2, rect[1] + rect[3] // 2)
    h.xdotool("click", 1)


def menu_gone(menu):
    return h.driver("gone", menu, int(TIMEOUT * 1000))[0] == 0


class TrayTest(unittest.TestCase):
    def setUp(self):
        self.app = settle(h.App("tray-" + self._testMethodName[5:30]))

    def tearDown(self):
        if self.app.running() and not (probe_or_none(self.app.hwnd) or {}).get("visible", True):
            h.post(self.app.hwnd, h.WM_TRAYICON, 1, WM_LBUTTONDOWN)
        self.app.stop()

    def hide(self):
        self.app.command(3)
        wait_visible(self.app, False)
        wait_icons(1)

    def test_tray_hides_the_dialog_behind_an_icon_that_a_left_press_turns_back(self):
        self.assertEqual(tray_tips().count(h.TITLE), 0, "no icon while the dialog is shown")
        self.hide()
        self.assertTrue(self.app.running())
        # The press alone restores: the shell sends no release here.
        h.post(self.app.hwnd, h.WM_TRAYICON, 1, WM_LBUTTONDOWN)
        wait_visible(self.app, True)
        wait_icons(0)
        d = self.app.probe()
        self.assertFalse(d["iconic"])

        # The same record serves again: hiding a second time shows one icon, not two.
        self.hide()
        h.post(self.app.hwnd, h.WM_TRAYICON, 1, WM_LBUTTONDOWN)
        wait_visible(self.app, True)
        wait_icons(0)

    def test_other_mouse_activity_on_the_icon_does_nothing(self):
        self.hide()
        for message in (WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_RBUTTONDBLCLK,
                        WM_MBUTTONDOWN):
            # Sent, not posted: each has had its effect when the call returns.
            self.assertIsNotNone(h.send(self.app.hwnd, h.WM_TRAYICON, 1, message))
        self.assertFalse(self.app.probe()["visible"])
        self.assertEqual(h.find_window("", 0, "#32768"), 0, "no menu")
        self.assertEqual(tray_tips().count(h.TITLE), 1)

    def test_right_press_opens_the_two_item_menu_above_the_cursor_and_show_restores(self):
        self.hide()
        menu, d = open_tray_menu(self.app, 500, 400)
        self.assertEqual([(i["id"], i["text"]) for i in d["popupItems"]], TRAY_MENU)
        left, top, width, height = d["windowRect"]
        self.assertEqual((left, top + height), (500, 400), "bottom-left corner at the cursor")
        h.screenshot("tray_menu", (360, 220, 360, 220))

        click_at(d["popupItems"][0]["rect"])
        self.assertTrue(menu_gone(menu))
        wait_visible(self.app, True)
        wait_icons(0)
        self.assertTrue(self.app.running())

    def test_exit_program_removes_the_icon_and_ends_with_code_zero(self):
        self.hide()
        _, d = open_tray_menu(self.app)
        click_at(d["popupItems"][1]["rect"])
        self.assertEqual(self.app.wait_exit(TIMEOUT), 0)
        wait_icons(0)

    def test_a_click_outside_closes_the_menu_without_a_command_and_it_opens_again(self):
        self.hide()
        menu, _ = open_tray_menu(self.app, 500, 400)
        h.xdotool("mousemove", 100, 600)
        h.xdotool("click", 1)
        self.assertTrue(menu_gone(menu))
        self.assertTrue(self.app.running())
        self.assertFalse(self.app.probe()["visible"])
        self.assertEqual(tray_tips().count(h.TITLE), 1)

        # A second menu stays open until chosen from, like the first.
        menu, d = open_tray_menu(self.app, 600, 500)
        self.assertEqual(h.find_window("", 1, "#32768"), menu)
        click_at(d["popupItems"][0]["rect"])
        wait_visible(self.app, True)

    def test_the_icon_comes_back_when_the_notification_area_is_made_anew_only_while_hidden(self):
        _, data = h.driver("register-message", "TaskbarCreated")
        taskbar_created = data["message"]
        self.hide()
        # A restarting shell forgets every icon, then tells every top-level window.
        self.assertEqual(h.driver("notify-delete", self.app.hwnd, 1)[0], 0)
        wait_icons(0)
        h.send(self.app.hwnd, taskbar_created, 0, 0)
        wait_icons(1)
        self.assertFalse(self.app.probe()["visible"])

        h.post(self.app.hwnd, h.WM_TRAYICON, 1, WM_LBUTTONDOWN)
        wait_visible(self.app, True)
        wait_icons(0)
        self.assertIsNotNone(h.send(self.app.hwnd, taskbar_created, 0, 0))
        self.assertEqual(tray_tips().count(h.TITLE), 0, "no icon beside a shown dialog")


if __name__ == "__main__":
    unittest.main()

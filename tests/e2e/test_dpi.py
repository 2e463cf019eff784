"""The program at the display scales users run: every text whole in the main dialog and the
help dialogs, and the banner strip scaled with its picture filling it, in both looks."""

import subprocess

import harness as h
from test_dialog import HELP, item
from test_online import NO_NAMES, THEME, strip, wait_link

DESKTOP = "HKCU\\Control Panel\\Desktop"


def pixel(x, y):  # the screen's colour there in hexadecimal, "#" first
    return subprocess.run(["convert", "x:root[1x1+%d+%d]" % (x, y), "-format", "#%[hex:p{0,0}]", "info:"],
                          stdout=subprocess.PIPE, check=True).stdout.decode()


class DpiTest(h.Case):
    def tearDown(self):
        h.wine("reg", "delete", DESKTOP, "/v", "LogPixels", "/f")
        h.wine("reg", "add", THEME, "/v", "ThemeActive", "/d", "1", "/f")

    def assert_texts_whole(self, d):
        for c in d["controls"]:
            if c["class"] in ("Static", "Button") and c["text"]:
                self.assertLessEqual(c["textWidth"], c["rect"][2], "%s cut in %s" % (c["text"], d["caption"]))

    def test_texts_are_whole_and_the_strip_scales_at_each_scale(self):
        for dpi in (96, 120, 144, 192):
            for look in ("1", "0"):
                with self.subTest(dpi=dpi, look=look):
                    h.wine("reg", "add", DESKTOP, "/v", "LogPixels", "/t", "REG_DWORD", "/d", dpi, "/f")
                    h.wine("reg", "add", THEME, "/v", "ThemeActive", "/d", look, "/f")
                    d, c, links, browsers = wait_link(app := self.start("dpi", wrapper=NO_NAMES), browser=False)
                    self.assertEqual((d["dpi"], d["font"][1]), (dpi, -((9 * dpi + 36) // 72)))
                    self.assertEqual(d["icons"], [16 * dpi // 96, 32 * dpi // 96], "small and big icon at the scale")
                    self.assert_texts_whole(d)
                    width, height = c[1008]["rect"][2:]
                    top = 0 if look == "1" else (2 * dpi + 48) // 96
                    self.assertEqual((links[0]["rect"], links[0]["style"], width),
                                     ([0, top, width, height], 0x5000000D, d["client"][2]))
                    self.assertEqual(c[1015]["rect"][1], top + height, "the line right under the strip")
                    # The picture fills the link to its last row and column: no white band.
                    x, y = d["client"][0] + width - 2, d["client"][1] + top + height - 2
                    h.xdo("mousemove", 1, 1)
                    self.assertNotEqual(set(pixel(x, y)[1:]), {"F"}, "white")
                    if look == "0":
                        for label, caption in HELP + [("序列...", "序列")]:
                            app.command(item(d, label))
                            self.assert_texts_whole(h.probe(h.find(caption)))
                            h.post(h.find(caption), h.WM_COMMAND, 2)
                            h.wait(lambda: not h.find(caption, 0.2), 30, caption + " closed")


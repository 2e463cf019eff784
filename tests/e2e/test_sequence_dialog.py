"""The dialog "序列": "确定" writes in section [Sequence] what it shows, and it shows that again."""

import harness as h
from test_dialog import item


class SequenceDialogTest(h.Case):
    def open(self, app):  # the dialog, its controls' windows, and what its list, Repeat, Spread and Enabled show
        app.command(item(app.probe(), "序列..."))
        hwnd = h.find("序列")
        c = {c["id"]: c["hwnd"] for c in h.probe(hwnd)["controls"]}
        shown = lambda *ids: [x["items"] or x["text"] for x in h.probe(hwnd)["controls"] if x["id"] in ids]
        return hwnd, c, shown, lambda: shown(1230, 1242, 1243) + [h.send(c[1244], 0xF0)]  # BM_GETCHECK

    def test_the_dialog_writes_what_it_shows_and_shows_it_again(self):
        app = self.start("sequence", h.ini_text())
        self.target()  # a window under the pick's click: Wine sees no click on the bare root window
        hwnd, c, shown, values = self.open(app)
        for action, x, y, pause in ((0, "100", "200", "500"), (4, None, None, "0"), (6, "", "", "250")):
            h.send(c[1231], 0x14E, action)  # CB_SETCURSEL, then CBN_SELCHANGE
            h.send(hwnd, h.WM_COMMAND, 1 << 16 | 1231, c[1231])
            for control, text in ((1233, x), (1234, y), (1236, pause)):
                if text is not None:
                    h.send(c[control], h.WM_SETTEXT, 0, text)
            if x is None:  # 拾取: the dialog steps aside, a left click gives the point
                h.post(hwnd, h.WM_COMMAND, 1235)
                h.wait(lambda: not h.find("序列", 0.2), 30, "the dialog to step aside")
                h.xdo("mousemove", 123, 234, "click", 1)
                h.wait(lambda: h.find("序列", 0.2), 30, "the dialog back")
            if action == 6:  # the key field takes the next key pressed
                h.post(hwnd, h.WM_COMMAND, 1232)
                h.wait(lambda: shown(1232) == ["请按键或组合键"], 30, "the key field to listen")
                h.key("ctrl+v")
                h.wait(lambda: shown(1232) == ["Ctrl+V"], 30, "the key taken")
            h.send(hwnd, h.WM_COMMAND, 1237)  # 添加
        for control, text in ((1242, "3"), (1243, "5")):
            h.send(c[control], h.WM_SETTEXT, 0, text)
        h.send(c[1244], 0xF1, 1)  # BM_SETCHECK
        before = values()
        self.assertEqual(before[0], ["1\t左键\t100, 200\t500 毫秒", "2\t右键双击\t123, 234\t0 毫秒",
                                     "3\t按键 Ctrl+V\t当前位置\t250 毫秒"])
        h.post(hwnd, h.WM_COMMAND, 1)
        h.wait(lambda: not h.find("序列", 0.2), 30, "the dialog closed")
        self.assertTrue(app.read_ini().endswith("[Sequence]\nEnabled=1\nRepeat=3\nSpread=5\nStep1=Left 100,200 500\n"
                                                "Step2=RightDouble 123,234 0\nStep3=Key:Ctrl+V * 250\n"), app.read_ini())
        self.assertEqual(self.open(app)[3](), before)

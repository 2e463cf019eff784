"""The online menu as a user meets it: the pop-up that the content server's document
adds, the addresses its entries open, and every answer that must leave no trace.

The tests' content server (content_server.py) answers for the content host inside
the test namespace; qw_open_logger.exe stands in for the browser and logs what the
shell was asked to open. Texts of the documents are in GBK, the ANSI code page of
the zh_CN locale the tests run in.
"""

import os
import random
import shutil
import subprocess
import unittest

import clicks
import content_server
import harness as h

MENU_PATH = "/menu.php"
USER_AGENT = "QW_ZururOvuvu"
CONTENT_HOST = os.environ.get("QW_TEST_CONTENT_HOST", "qw-content.test")
READ_SIZE = 1024
BASE_MENU = ["操作(&C)", "帮助(&H)"]
WS_MINIMIZE = 0x20000000
WM_NULL = 0

server = None
opened = None


def gbk(text):
    return text.encode("gbk")


def padded(document):
    """The document, a zero byte and filler past the read size: the program sees
    exactly the document, and since the answer is left unfinished the connection
    ends only when the program closes it, after the document has been handled."""
    body = document + b"\0"
    return body + b"#" * (READ_SIZE + 100 - len(body))


def item(item_id, name, url):
    return "<item id='%s' name='%s' url='%s'/>" % (item_id, name, url)


def menu_bar(app):
    return [(m["text"], [(i["id"], i["text"]) for i in m.get("items", [])]) for m in app.probe()["menu"]]


def wait_online_popup(app, timeout=30.0):
    """The third pop-up of the menu bar, once it is there."""
    bar = h.wait_until(lambda: (lambda b: b if len(b) > 2 else None)(menu_bar(app)), timeout,
                       interval=0.2, what="the online pop-up")
    return bar


def program_pid(app):
    _, data = h.driver("find", h.TITLE, 5000, "#32770")
    return (data or {}).get("pid", 0)


def dialog_captions(pid):
    """The captions of the process's visible dialogs and message boxes (a tooltip
    under the pointer may be visible too, and is no message)."""
    _, data = h.driver("topwindows", pid)
    return sorted(w.get("caption", "") for w in (data or []) if w.get("class") == "#32770")


def logger_processes_running():
    result = subprocess.run(["pgrep", "-f", "qw_open_logger|qw_victim"], stdout=subprocess.DEVNULL)
    return result.returncode == 0


def setUpModule():
    global server, opened
    server = content_server.start()
    opened = h.install_open_logger()


def tearDownModule():
    if server:
        server.stop()


class OnlineMenuTest(unittest.TestCase):
    def setUp(self):
        server.clear_routes()
        server.clear_requests()
        opened.clear()
        self.apps = []

    def tearDown(self):
        for app in self.apps:
            app.stop()

    def start(self, name, ini=None, **route):
        server.set_route(MENU_PATH, **route)
        app = h.App("menu-" + name, ini=ini)
        self.apps.append(app)
        app.start()
        return app

    def menu_request(self, timeout=30.0):
        return h.wait_until(lambda: server.requests_for(MENU_PATH), timeout, what="the menu request")[0]

    def opened_after_quiet(self):
        """What was opened, once no handler the shell started is still running: a
        launch that raced a later one has written its line by then."""
        h.wait_until(lambda: not logger_processes_running(), 30, what="the handlers to end")
        return opened.opened()

    def test_document_adds_a_third_popup_with_its_entries_in_document_order(self):
        document = gbk("<?xml version='1.0' encoding='GBK'?><!-- 在线菜单 --><menu name='推荐'>"
                       + item(45001, "软件主页", "http://www.example.com/")
                       + "<item id='45002' name='使用教程' url='http://www.example.com/help'>"
                       + item(45003, "子菜单", "http://www.example.com/sub") + "</item>"
                       + "</menu><other name='x'>" + item(45004, "不算", "http://www.example.com/no") + "</other>")
        app = self.start("example", body=document)
        bar = wait_online_popup(app)
        self.assertEqual([title for title, _ in bar], BASE_MENU + ["推荐(&A)"])
        self.assertEqual(bar[2][1], [(45001, "软件主页"), (45002, "使用教程")])

        request = self.menu_request()
        self.assertEqual(request.method, "GET")
        self.assertEqual(request.path, MENU_PATH)
        self.assertEqual(request.user_agent, USER_AGENT)
        self.assertEqual(request.headers.get("Host"), CONTENT_HOST)
        self.assertTrue(request.wait_closed(30), "the download lets go of the connection")
        rect = app.probe()["windowRect"]
        h.screenshot("online_menu", (rect[2] + 40, rect[3] + 40, max(rect[0] - 20, 0), max(rect[1] - 20, 0)))
        # Once per run: the download is over, and nothing asks again.
        self.assertEqual(len(server.requests_for(MENU_PATH)), 1)
        self.assertEqual(len(menu_bar(app)), 3)

    def test_choosing_entries_opens_their_web_addresses(self):
        document = gbk("<m name='网站'>"
                       + item(45001, "主页", "http://www.example.com/first")
                       + item(45002, "甲", "https://www.example.com/a")
                       + item(45002, "乙", "HTTP://WWW.EXAMPLE.COM/b?x=1&amp;y=%E4%B8%8B")
                       + item(45099, "末", "http://www.example.com/last")
                       + item(45100, "超出", "http://www.example.com/over")
                       + item(45000, "不足", "http://www.example.com/under")
                       + item("abc", "零", "http://www.example.com/zero")
                       + item(45003, "无地址", "").replace(" url=''", "")
                       + "</m>")
        app = self.start("choose", body=document)
        bar = wait_online_popup(app)
        self.assertEqual(bar[2], ("网站(&A)", [(45001, "主页"), (45002, "甲"), (45002, "乙"), (45099, "末"),
                                              (45100, "超出"), (45000, "不足"), (0, "零"), (45003, "无地址")]))

        # Through the menu itself: Alt+A opens the pop-up at its first entry.
        h.focus_window(h.TITLE)
        h.press_key("alt+a")
        h.press_key("Return")
        self.assertEqual(opened.wait_count(1), ["http://www.example.com/first"])

        # Entries sharing an id open every address, in document order; references expanded.
        app.command(45002)
        self.assertEqual(opened.wait_count(3)[1:], ["https://www.example.com/a",
                                                   "HTTP://WWW.EXAMPLE.COM/b?x=1&y=%E4%B8%8B"])
        app.command(45099)
        self.assertEqual(opened.wait_count(4)[3:], ["http://www.example.com/last"])

        # Outside the range, id 0 and an entry without an address: nothing. The last
        # command is a marker that is opened after anything these could have opened.
        for command in (45100, 45000, 0, 45003):
            app.command(command)
        app.command(45001)
        opened.wait_count(5)
        self.assertEqual(self.opened_after_quiet()[4:], ["http://www.example.com/first"])
        self.assertTrue(app.running())

    def test_unsafe_addresses_are_shown_but_never_launched(self):
        folder = os.path.dirname(opened.path)
        victim = os.path.join(folder, "qw_victim.exe")
        shutil.copy(os.path.join(h.TOOLS, "qw_open_logger.exe"), victim)
        victim_log = victim + ".log"
        if os.path.exists(victim_log):
            os.remove(victim_log)
        # A script address would reach this handler if it were ever handed to the shell.
        command = '"%s" "%s" "%%1"' % (h.to_windows_path(os.path.join(folder, "qw_open_logger.exe")),
                                       h.to_windows_path(opened.path))
        h.wine(["reg", "add", "HKCR\\javascript", "/v", "URL Protocol", "/d", "", "/f"], check=True)
        h.wine(["reg", "add", "HKCR\\javascript\\shell\\open\\command", "/ve", "/d", command, "/f"], check=True)

        victim_windows = h.to_windows_path(victim)
        unsafe = [
            victim_windows,
            "file:///" + victim_windows.replace("\\", "/"),
            "javascript:alert(1)",
            'http://www.example.com/&quot; --flag',
            "http://www.example.com/a b",
            " http://www.example.com/leading-space",
        ]
        document = gbk("<m name='危险'>"
                       + "".join(item(45001 + i, "项%d" % i, url) for i, url in enumerate(unsafe))
                       + item(45050, "标记", "http://www.example.com/marker")
                       + "</m>")
        app = self.start("unsafe", body=document)
        bar = wait_online_popup(app)
        self.assertEqual(bar[2][1], [(45001 + i, "项%d" % i) for i in range(len(unsafe))] + [(45050, "标记")])

        for i in range(len(unsafe)):
            app.command(45001 + i)
        app.command(45050)
        opened.wait_count(1)
        self.assertEqual((self.opened_after_quiet(), os.path.exists(victim_log)),
                         (["http://www.example.com/marker"], False), "(opened, a local program was started)")
        self.assertTrue(app.running())

    def test_failure_answers_add_nothing_and_show_nothing(self):
        document = gbk("<m name='推荐'>" + item(45001, "主页", "http://www.example.com/") + "</m>")
        garbage = bytes(b for b in random.Random(5).randbytes(3000) if b not in (0, ord("<")))[:READ_SIZE + 100]
        cases = [
            ("404 with a document", dict(status=404, body=document)),
            ("500 with a document", dict(status=500, body=document)),
            ("empty body", dict(body=b"")),
            ("zero bytes only", dict(body=padded(b""), unfinished=True)),
            ("root without items", dict(body=padded(gbk("<m name='推荐'>只有文字<!-- 注释 --></m>")), unfinished=True)),
            ("empty root", dict(body=padded(b"<m name='a'/>"), unfinished=True)),
            ("text without elements", dict(body=padded(gbk("你好，世界")), unfinished=True)),
            ("binary garbage", dict(body=garbage, unfinished=True)),
        ]
        for number, (name, route) in enumerate(cases):
            with self.subTest(name):
                server.clear_requests()
                app = self.start("fail%d" % number, **route)
                try:
                    request = self.menu_request()
                    # The download closes the connection only after the dialog has handled
                    # whatever it sent (for the complete answers: once it has read it all).
                    self.assertTrue(request.wait_closed(30), "the download ended")
                    self.assertEqual(h.send(app.hwnd, WM_NULL), 0, "the dialog answers")
                    self.assertEqual([title for title, _ in menu_bar(app)], BASE_MENU)
                    self.assertEqual(dialog_captions(program_pid(app)), [h.TITLE], "no message box")
                    self.assertTrue(app.running())
                finally:
                    # One copy at a time: a second would only say that one is running.
                    app.stop()
                    self.apps.remove(app)
        self.assertEqual(opened.opened(), [])

    def test_faulty_documents_keep_what_was_read_before_the_fault(self):
        long_items = "".join(item(45001 + i, "条目%02d" % i, "http://www.example.com/%02d" % i) for i in range(40))
        long_document = gbk("<m name='很长'>" + long_items + "</m>")
        self.assertGreater(len(long_document), 2 * READ_SIZE)
        # Entries that end inside the first 1024 bytes are complete.
        head = len(gbk("<m name='很长'>"))
        entry = len(gbk(item(45001, "条目00", "http://www.example.com/00")))
        complete = (READ_SIZE - head) // entry
        cases = [
            ("cut inside the second item",
             gbk("<m name='推荐'>" + item(45001, "主页", "http://www.example.com/") + "<item id='45002' na"),
             "推荐(&A)", [(45001, "主页"), (45002, "")], False),
            ("no end tag of the root",
             gbk("<m name='推荐'>" + item(45001, "主页", "http://www.example.com/") + item(45002, "帮助", "http://h/")),
             "推荐(&A)", [(45001, "主页"), (45002, "帮助")], True),
            ("more than 1024 bytes", long_document, "很长(&A)",
             [(45001 + i, "条目%02d" % i) for i in range(complete)], False),
            ("a name too long for the title", gbk("<m name='推荐下载'>" + item(45001, "主页", "http://x/") + "</m>"),
             "推荐(&A)", [(45001, "主页")], True),
            ("a root without name", gbk("<m>" + item(45001, "主页", "http://x/") + "</m>"), "(&A)",
             [(45001, "主页")], True),
            ("items without id or name",
             gbk("<m name='ab'><item name='无编号' url='http://x/'/><item id='45002' url='http://y/'/></m>"),
             "ab(&A)", [(0, "无编号"), (45002, "")], True),
        ]
        for number, (name, body, title, entries, exact) in enumerate(cases):
            with self.subTest(name):
                server.clear_requests()
                app = self.start("fault%d" % number, body=body)
                try:
                    bar = wait_online_popup(app)
                    self.assertEqual(bar[2][0], title)
                    got = bar[2][1]
                    if exact:
                        self.assertEqual(got, entries)
                    else:
                        # The entry the fault cut into may show with what was read of it.
                        self.assertEqual(got[:len(entries)], entries)
                        self.assertLessEqual(len(got), len(entries) + 1)
                finally:
                    app.stop()
                    self.apps.remove(app)

    def test_dialog_answers_clicks_and_exits_normally_while_the_server_never_answers(self):
        target = clicks.ClickTarget().start()
        self.addCleanup(target.stop)
        app = self.start("hang", ini="[Config]\nLeftInterval=100\n", hang=True)
        request = self.menu_request()
        self.assertEqual(h.send(app.hwnd, WM_NULL), 0, "the dialog answers")
        self.assertEqual([title for title, _ in menu_bar(app)], BASE_MENU)

        # The hot-keys of the loaded settings (F9, F11) and the clicks keep working.
        h.press_key("F9")
        target.wait_events(4, kinds=("LD", "LU"))
        h.press_key("F11")
        self.assertGreaterEqual(len(clicks.streams(target.wait_quiet(), "L")), 2)
        app.command(40018)  # 最小化
        h.wait_until(lambda: app.probe()["style"] & WS_MINIMIZE, 15, what="the dialog minimised")
        self.assertFalse(request.closed.is_set(), "the download is still waiting")
        app.command(2)
        self.assertEqual(app.wait_exit(), 0)


if __name__ == "__main__":
    unittest.main()

"""The online extras as a user meets them: the pop-up the content server's document adds (in GBK, the
tests' ANSI code page) and what its entries open; the banner strip, chosen by a look-up within a second."""

import os
import ssl
import time

import harness as h
from test_dialog import WEBSITE

THEME = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager"
NO_NAMES = h.resolver("127.0.0.1")  # nothing answers there: fails at once
HTTPS = os.path.join(os.path.dirname(h.BUILD), "https", os.path.basename(h.BUILD))  # the program built for https


def document(title, *items, tail="</m>"):
    return (("<m name='%s'>" % title if title else "<m>") + "".join("<item id='%s' name='%s' url='%s'/>" % i for i in items)
            + tail).encode("gbk")


def popups(app):
    return [(p["text"], [(i["id"], i["text"]) for i in p["items"]]) for p in app.probe()["menu"]]


def strip(app):  # the dialog, its controls by id, the fallback links and the browser windows
    d = app.probe()
    return (d, {c["id"]: c for c in d["controls"]}, [c for c in d["controls"] if c["id"] == 0 and c["class"] == "Static"],
            [c["rect"] for c in d["controls"] if c["class"] == "Shell Embedding"])


def wait_link(app, browser=True):  # once the link shows over the browser shrunk to nothing, or over none made
    return h.wait(lambda: (lambda s: s[2] and [r[2:] for r in s[3]] == [[0, 0]] * browser and s)(strip(app)), 30,
                  "the link")


class OnlineTest(h.Case):
    @classmethod
    def setUpClass(cls):
        cls.server = h.Server()
        cls.opened = staticmethod(h.open_log("http", "https"))

    @classmethod
    def tearDownClass(cls):
        h.wine("reg", "add", THEME, "/v", "ThemeActive", "/d", "1", "/f")

    def start(self, name, menu=(404, b""), bar=(404, b""), wrapper=(), build=h.BUILD):
        self.server.routes.update({"/menu.php": menu, "/bar.php": bar})
        self.server.requests.clear()
        return super().start(name, wrapper=wrapper, build=build)

    def test_the_document_adds_a_pop_up_whose_entries_open_only_web_addresses(self):
        app = self.start("menu", menu=(200, b"<?xml version='1.0' encoding='GBK'?><!-- x -->" + document(
            "推荐", (45001, "主页", "http://www.example.com/first"), (45002, "甲", "https://www.example.com/a"),
            (45002, "乙", "HTTP://WWW.EXAMPLE.COM/b?x=1&amp;y=%E4%B8%8B"), (45099, "末", "http://www.example.com/last"),
            (45100, "超出", "http://x/"), (45000, "不足", "http://x/"), ("abc", "零", "http://x/"),
            (45003, "脚本", "javascript:alert(1)"), (45004, "参数", "http://x/&quot; --flag"),
            (45005, "空格", "http://x/a b"), (45006, "程序", "C:\\windows\\notepad.exe"),
            tail="<item id='45007' name='子' url='http://x/'/></m><m name='又'/>")))
        before = len(self.opened())
        self.assertEqual(h.wait(lambda: popups(app)[2:], 30, "the pop-up"), [("推荐(&A)", [
            (45001, "主页"), (45002, "甲"), (45002, "乙"), (45099, "末"), (45100, "超出"), (45000, "不足"), (0, "零"),
            (45003, "脚本"), (45004, "参数"), (45005, "空格"), (45006, "程序"), (45007, "子")])])
        (path, headers, closed), = self.server.requested("/menu.php")
        self.assertEqual((headers["User-Agent"], headers["Host"]), ("QW_ZururOvuvu", h.CONTENT_HOST))
        self.assertTrue(closed.wait(30), "the download let go of the connection")
        h.focus(h.TITLE)
        h.key("alt+a", "Return")  # the first entry, through the menu itself
        self.assertEqual(self.opened(before + 1)[before:], ["http://www.example.com/first"])
        for command in (45002, 45099, 45100, 45000, 0, 45003, 45004, 45005, 45006, 45001):  # the last one a marker
            app.command(command)
        self.assertEqual(self.opened(before + 5)[before + 1:], [
            "https://www.example.com/a", "HTTP://WWW.EXAMPLE.COM/b?x=1&y=%E4%B8%8B", "http://www.example.com/last",
            "http://www.example.com/first"])
        self.assertEqual(len(self.server.requested("/menu.php")), 1, "asked once")

    def test_failed_or_faulty_answers_show_what_was_read_and_nothing_else(self):
        head, first = (45001, "主页", "http://x/"), [(45001 + i, "条目%02d" % i) for i in range(19)]

        def cut(at, kept):  # byte `at` closes the 20th entry's name, which TinyXML keeps only when some byte follows
            text = document("很长", *[(i, n, "http://x/") for i, n in first], tail="<item id='45020' name='")
            name = "x" * (at - 1 - len(text))
            return (200, text + name.encode() + b"'/></m>"), [("很长(&A)", first + [(45020, name * kept)])]
        cases = [((404, document("推荐", head)), []), ((500, document("推荐", head)), []), ((200, b""), []),
                 ((200, bytes(b for b in range(1, 256) if b != 0x3C) * 8), []), ((200, document("空", tail="文字</m>")), []),
                 ((200, document("推荐", head, tail="<item id='45002' na")), [("推荐(&A)", [(45001, "主页"), (45002, "")])]),
                 cut(1024, False), cut(1023, True),  # the 1,024 bytes read: not one more, not one less
                 ((200, document("推荐下载", head)), [("推荐(&A)", [(45001, "主页")])]),
                 ((200, document(None, head)), [("(&A)", [(45001, "主页")])])]
        for n, (answer, shown) in enumerate(cases):
            with self.subTest(n):
                app = self.start("answer", menu=answer)
                self.assertTrue(h.wait(lambda: self.server.requested("/menu.php"), 30, "the request")[0][2].wait(30))
                self.assertEqual(h.send(app.hwnd, 0), 0, "the dialog answers")
                self.assertEqual(popups(app)[2:], shown)
                self.assertFalse(app.probe()["style"] & 0x08000000, "no message box holds the dialog")

    def test_a_server_that_never_answers_leaves_the_dialog_and_clicking_working(self):
        target, app = self.target(), self.start("hang", menu=None)
        h.wait(lambda: self.server.requested("/menu.php"), 30, "the request")
        h.pairs(target.click(2)[1], "L")
        self.assertEqual(len(popups(app)), 2)
        app.command(2)
        self.assertEqual(app.wait_exit(), 0)

    def test_the_strip_shows_the_page_in_both_looks_or_the_link(self):
        for look, top in (("1", 0), ("0", 2)):
            with self.subTest(look):
                h.wine("reg", "add", THEME, "/v", "ThemeActive", "/d", look, "/f")
                app = self.start("page", bar=None)  # held open: the page outcome
                (path, headers, _), = h.wait(lambda: self.server.requested("/bar.php"), 30, "the page request")
                self.assertEqual(headers["Host"], h.CONTENT_HOST)
                d, c, links, browsers = strip(app)
                width, height = c[1008]["rect"][2:]
                self.assertEqual((links, browsers), ([], [[0, top, width, height]]))
                self.assertEqual((c[1014]["visible"], c[1015]["rect"][1] == height), (look == "0", look == "1"))
        wait_link(self.start("link", wrapper=NO_NAMES), browser=False)  # the link's place in both looks: test_dpi
        self.assertEqual(self.server.requested("/bar.php"), [], "no page asked for a name that does not resolve")

    def test_a_navigation_error_gives_way_to_the_link_which_opens_the_website_on_every_press(self):
        app = self.start("error")  # the page answers 404, which the control reports as an error
        d, c, links, browsers = wait_link(app)
        before = h.probe(app.hwnd, repaints=1)["gdi"]  # what a first paint makes for good is made by now
        self.assertLessEqual(h.probe(app.hwnd, repaints=300)["gdi"], before + 8, "paints leave GDI objects behind")
        x, y, w, hgt = links[0]["rect"]
        h.focus(h.TITLE)
        h.xdo("mousemove", d["client"][0] + x + 10, d["client"][1] + y + hgt // 2)
        h.wait(lambda: app.probe()["hand"], 15, "the hand cursor over the link")
        before = len(self.opened())
        for n in (1, 2, 3):  # apart, so that no two make a double click
            h.xdo("mousemove", d["client"][0] + x + 20 * n, d["client"][1] + y + hgt // 2, "click", 1)
            self.assertEqual(self.opened(before + n)[before:], [WEBSITE] * n)

    def test_a_slow_look_up_gives_the_link_by_the_watchdog_and_the_late_answer_is_ignored(self):
        answers = h.slow_name_server("127.0.0.2", "127.0.0.1", 4.0)
        app = self.start("slow", wrapper=h.resolver("127.0.0.2"))
        wait_link(app, browser=False)
        self.assertEqual(answers, [], "the link came before any answer")
        h.wait(lambda: answers, 30, "the late answer")
        time.sleep(3)  # an absence: what the late answer could start would have asked for the page by now
        self.assertEqual(self.server.requested("/bar.php"), [])
        self.assertEqual(len(wait_link(app, browser=False)[2]), 1)


    def test_over_https_nothing_is_used_but_a_page_at_https_behind_a_certificate_valid_for_the_host(self):
        tls, folder = h.Server(443), os.environ["QW_TEST_CERTIFICATES"]  # made by scripts/isolated.sh
        menu = (200, document("推荐", (45001, "主页", "http://x/")))
        away = {p: (302, b"", ("Location", "http://%s%s" % (h.CONTENT_HOST, p))) for p in ("/menu.php", "/bar.php")}
        served = {"/menu.php": menu, "/bar.php": [(200, b""), None]}  # the check's answer, then the browser's: held
        for certificate, routes in (("untrusted", {}), ("other_host", {}), ("expired", {}), ("trusted", away),
                                    ("trusted", served)):
            with self.subTest(certificate, redirect=routes is away):
                tls.context, tls.routes, tls.requests[:] = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER), routes, []
                tls.closed[:] = []
                tls.context.load_cert_chain(*(os.path.join(folder, certificate + end) for end in (".crt", ".key")))
                arrived = self.server.arrived
                app = self.start("https", menu=menu, bar=(200, b""), build=HTTPS)  # what plain http would give
                if routes is served:
                    self.assertEqual(h.wait(lambda: popups(app)[2:], 30, "the pop-up"), [("推荐(&A)", [(45001, "主页")])])
                    h.wait(lambda: len(tls.requested("/bar.php")) > 1, 30, "the check's and the browser's requests")
                    self.assertEqual((strip(app)[2], strip(app)[3][0][2] > 0), ([], True), "the page, no link")
                else:
                    wait_link(app, browser=False)
                    h.wait(lambda: len(tls.closed) >= 2, 30, "the menu's and the page's connections to end")
                    self.assertEqual((sorted(r[0] for r in tls.requests), popups(app)[2:]), (sorted(routes), []))
                    self.assertEqual(h.shown(), [h.TITLE], "no question to the user")
                self.assertEqual((self.server.arrived - arrived, self.server.requests), (0, []), "nothing over http")

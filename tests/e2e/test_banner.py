"""The banner strip under the menu bar: the page or the fallback link, chosen by a DNS
look-up of the content server within a second, laid out for the desktop's look.

The tests' namespace maps the content host to 127.0.0.1, where the content server
of content_server.py listens. A program started through private_resolver() gets a
mount namespace of its own with other /etc/hosts and /etc/resolv.conf: the name
then fails to resolve, or resolves only through slow_dns.py, which answers late.
"""

import os
import re
import tempfile
import time
import unittest

import content_server
import harness as h
import slow_dns

CONTENT_HOST = "qw-content.test"
THEME_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager"
SS_OWNERDRAW_LINK_STYLE = 0x5000000D  # WS_CHILD | WS_VISIBLE | SS_OWNERDRAW


def website_url():
    """The maker's website the build was configured with."""
    with open(os.path.join(h.BUILD, "CMakeCache.txt"), encoding="utf-8") as f:
        match = re.search(r"^QW_WEBSITE_URL:STRING=(.*)$", f.read(), re.M)
    return match.group(1)


def private_resolver(hosts, nameserver):
    """A command prefix that runs wine with its own /etc/hosts and resolver."""
    folder = tempfile.mkdtemp(prefix="qw-resolver-", dir=h.BUILD)
    hosts_file = os.path.join(folder, "hosts")
    resolv_file = os.path.join(folder, "resolv.conf")
    with open(hosts_file, "w") as f:
        f.write(hosts)
    with open(resolv_file, "w") as f:
        # One try with a long wait: the slow server's late answer must still count.
        f.write("nameserver %s\noptions timeout:15 attempts:1\n" % nameserver)
    script = 'mount --bind "$1" /etc/hosts && mount --bind "$2" /etc/resolv.conf && shift 2 && exec "$@"'
    return ["unshare", "--mount", "--propagation", "private", "sh", "-c", script, "qw-resolver", hosts_file,
            resolv_file]


# Nothing answers DNS on 127.0.0.1 in the tests' namespace: the look-up fails at once.
UNRESOLVABLE = dict(hosts="127.0.0.1\tlocalhost\n", nameserver="127.0.0.1")


def read_theme():
    result = h.wine(["reg", "query", THEME_KEY, "/v", "ThemeActive"])
    match = re.search(r"ThemeActive\s+REG_SZ\s+(\S*)", result.stdout.decode("utf-8", "replace"))
    return match.group(1) if match else None


def write_theme(value):
    if value is None:
        h.wine(["reg", "delete", THEME_KEY, "/v", "ThemeActive", "/f"])
    else:
        h.wine(["reg", "add", THEME_KEY, "/v", "ThemeActive", "/t", "REG_SZ", "/d", value, "/f"], check=True)


class Strip:
    """The banner's part of the dialog as the probe reads it; rectangles are
    [x, y, width, height] in the dialog's client pixels."""

    def __init__(self, app):
        self.dialog = app.probe()
        controls = self.dialog["controls"]
        self.by_id = {c["id"]: c for c in controls if c["id"] != 0}
        self.links = [c for c in controls if c["id"] == 0 and c["class"] == "Static"]
        self.browsers = [c for c in controls if c["class"] == "Shell Embedding"]
        placeholder = self.by_id[1008]["rect"]
        self.width, self.height = placeholder[2], placeholder[3]

    @property
    def browser_rect(self):
        return self.browsers[0]["rect"] if self.browsers else None

    def screen_point_in_link(self):
        x, y, w, hgt = self.links[0]["rect"]
        origin = self.dialog["clientOrigin"]
        return origin[0] + x + w // 2, origin[1] + y + hgt // 2


class BannerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = content_server.start()
        cls.saved_theme = read_theme()

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        write_theme(cls.saved_theme)

    def setUp(self):
        self.server.clear_routes()
        self.server.clear_requests()
        self.apps = []
        write_theme("1")

    def tearDown(self):
        for app in self.apps:
            app.stop()

    def start(self, name, resolver=None):
        app = h.App(name)
        self.apps.append(app)
        return app.start(wrapper=private_resolver(**resolver) if resolver else None)

    def wait_strip(self, app, condition, what, timeout=15.0):
        return h.wait_until(lambda: (lambda s: condition(s) and s)(Strip(app)), timeout, interval=0.2, what=what)

    def wait_link(self, app):
        # The link is made before the browser is shrunk behind it, and the probe reads
        # from a thread of its own, so it can catch the moment between: wait for both.
        return self.wait_strip(app, lambda s: s.links and s.browser_rect and s.browser_rect[2:] == [0, 0],
                               "the fallback link over the shrunk browser")

    def screenshot(self, strip, name):
        left, top, width, _ = strip.dialog["windowRect"]
        origin = strip.dialog["clientOrigin"]
        # The caption, the menu bar and the strip with the line under it.
        height = origin[1] - top + strip.height + 12
        h.xdotool("mousemove", 1, 1)
        h.screenshot(name, (width, height, left, top))

    def assert_link_covers_the_strip(self, strip, top):
        self.assertEqual(len(strip.links), 1, "one link, however many errors")
        link = strip.links[0]
        self.assertEqual(link["style"], SS_OWNERDRAW_LINK_STYLE)
        self.assertEqual(link["rect"], [0, top, strip.width, strip.height])
        self.assertTrue(link["visible"])
        # The browser is still there, shrunk to nothing behind the link.
        self.assertEqual(len(strip.browsers), 1)
        self.assertEqual(strip.browser_rect[2:], [0, 0])

    # --- What the probe decides ---

    def test_resolvable_host_asks_for_the_page_and_an_error_gives_way_to_the_link(self):
        # No route for /bar.php: the server answers 404, which the control reports
        # as a navigation error (and, being without an HTML engine, so is any page).
        app = self.start("resolvable")
        h.wait_until(lambda: self.server.requests_for("/bar.php"), 15, what="the page request")
        request = self.server.requests_for("/bar.php")[0]
        self.assertEqual(request.method, "GET")
        self.assertEqual(request.headers.get("Host"), CONTENT_HOST)
        strip = self.wait_link(app)
        self.assert_link_covers_the_strip(strip, 0)
        self.screenshot(strip, "banner_link")

    def test_unresolvable_host_shows_the_link_and_asks_nothing(self):
        app = self.start("unresolvable", UNRESOLVABLE)
        strip = self.wait_link(app)
        self.assert_link_covers_the_strip(strip, 0)
        self.assertEqual(self.server.requests, [])

    def test_slow_look_up_gives_the_link_by_the_watchdog_and_the_late_answer_is_ignored(self):
        dns = slow_dns.start("127.0.0.2", {CONTENT_HOST: "127.0.0.1"}, delay=4.0)
        try:
            app = self.start("slow-dns", dict(hosts="127.0.0.1\tlocalhost\n", nameserver="127.0.0.2"))
            strip = self.wait_link(app)
            link_seen = time.monotonic()
            self.assert_link_covers_the_strip(strip, 0)
            self.assertTrue(dns.queries, "the look-up went to the slow server")
            # Seen before any answer existed: the watchdog chose, not the probe.
            for query in dns.queries:
                self.assertTrue(query.answered is None or query.answered > link_seen, query)

            # The probe's own answer comes late and says the name resolves...
            h.wait_until(lambda: dns.answered(CONTENT_HOST), 15, what="the late answer")
            answered = max(q.answered for q in dns.answered(CONTENT_HOST))
            # ...and changes nothing: no page is asked for, the link stays alone.
            while time.monotonic() < answered + 3.0:
                self.assertEqual(self.server.requests_for("/bar.php"), [])
                time.sleep(0.2)
            after = Strip(app)
            self.assert_link_covers_the_strip(after, 0)
        finally:
            dns.stop()

    # --- The look of the desktop ---

    def test_strip_geometry_for_the_themed_and_the_classic_look(self):
        # ThemeActive "1" on version 6 or later: the strip at the top edge, line 1014
        # hidden, line 1015 right under the strip. "0": 2 pixels down, lines as laid out.
        looks = [("themed", "1", 0), ("classic", "0", 2)]
        for look, theme, top in looks:
            with self.subTest(look=look):
                write_theme(theme)

                # The page outcome, held open by a server that never answers.
                self.server.clear_requests()
                self.server.set_route("/bar.php", hang=True)
                app = self.start("page-" + look)
                h.wait_until(lambda: self.server.requests_for("/bar.php"), 15, what="the page request")
                strip = Strip(app)
                self.assertEqual(strip.links, [])
                self.assertEqual(strip.browser_rect, [0, top, strip.width, strip.height])
                upper, lower, placeholder = strip.by_id[1014], strip.by_id[1015], strip.by_id[1008]
                self.assertFalse(placeholder["visible"])
                if look == "themed":
                    self.assertFalse(upper["visible"])
                    self.assertEqual(lower["rect"][:2], [0, strip.height])
                else:
                    self.assertTrue(upper["visible"])
                    # Where the template puts it: 21 dialog units down.
                    self.assertEqual(lower["rect"][:2], [0, (21 * strip.dialog["unitY"] + 4) // 8])
                # Both lines keep the template's size (135 x 1 dialog units).
                self.assertEqual(lower["rect"][2:], upper["rect"][2:])
                self.screenshot(strip, "banner_page_" + look)
                app.stop()
                self.server.clear_routes()

                # The link outcome.
                app = self.start("link-" + look, UNRESOLVABLE)
                strip = self.wait_link(app)
                self.assert_link_covers_the_strip(strip, top)
                self.assertEqual(strip.by_id[1014]["visible"], look == "classic")
                self.screenshot(strip, "banner_link_" + look)
                app.stop()

    # --- The link ---

    def test_link_shows_the_hand_and_opens_the_website_on_every_press(self):
        log = h.install_open_logger("qw_banner_opened.txt")
        app = self.start("link-press", UNRESOLVABLE)
        strip = self.wait_link(app)
        h.focus_window(h.TITLE)
        x, y = strip.screen_point_in_link()
        h.xdotool("mousemove", x, y)
        h.wait_until(lambda: Strip(app).dialog["cursor"] == "hand", 10, interval=0.2, what="the hand cursor")
        for presses in (1, 2, 3):
            # A few pixels apart, so that no two presses make a double click.
            h.xdotool("mousemove", x + 10 * presses, y)
            h.xdotool("click", 1)
            self.assertEqual(log.wait_count(presses), [website_url()] * presses)
        self.assertTrue(app.running())


if __name__ == "__main__":
    unittest.main()

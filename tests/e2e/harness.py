"""Drives the real program under Wine: windows found and read through qw_driver.exe and qw_probe.dll,
keys and the mouse through xdotool, clicks counted by qw_click_target.exe, and the content server's
and a slow name server's answers on loopback. scripts/test_wine.sh sets up the display, the prefix
and the network namespace. Every wait is a poll with a time-out."""

import http.server
import json
import os
import select
import shutil
import socket
import struct
import subprocess
import threading
import time
import unittest
import uuid

BUILD = os.environ.get("QW_BUILD_DIR") or os.path.join(os.path.dirname(__file__), "..", "..", "build", "win64")
ARCH, WINE = os.environ.get("QW_ARCH", "x64"), os.environ.get("QW_WINE", "/usr/lib/wine/wine64")  # and its loader
TOOLS, PREFIX = os.path.join(BUILD, "e2e"), os.environ.get("WINEPREFIX", "")
TITLE = "青梧鼠标连点器v0.2"
CONTENT_HOST = "qw-content.test"  # 127.0.0.1 inside the tests' namespace (scripts/isolated.sh)
WM_COMMAND, WM_SYSCOMMAND, WM_SETTEXT, CB_SETCURSEL, WM_TRAYICON = 0x111, 0x112, 0xC, 0x14E, 0x400
OUT = dict(stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)


def wait(predicate, timeout=30.0, what="a condition"):
    deadline = time.monotonic() + timeout
    while not (value := predicate()):
        assert time.monotonic() < deadline, "timed out after %.0f s waiting for %s" % (timeout, what)
        time.sleep(0.05)
    return value


def winpath(path):
    rel = os.path.relpath(os.path.abspath(path), os.path.join(PREFIX, "drive_c"))
    return ("Z:" + os.path.abspath(path) if rel.startswith("..") else "C:\\" + rel).replace("/", "\\")


def wine(*args, timeout=60):
    try:
        return subprocess.run([WINE] + [str(a) for a in args], timeout=timeout, **OUT)
    except subprocess.TimeoutExpired:  # a stalled call counts as a failed one
        return subprocess.CompletedProcess(args, -1, b"")


def driver(*args, timeout=30):
    result = wine(os.path.join(TOOLS, "qw_driver.exe"), *args, timeout=timeout)
    return result.returncode, result.stdout.decode("utf-8", "replace").strip()


def find(caption, timeout=30.0, cls="#32770"):
    code, out = driver("find", caption, int(timeout * 1000), *([cls] if cls else []), timeout=timeout + 60)
    return int(out.split()[0]) if code == 0 else 0


def probe(hwnd, timeout=45.0, repaints=0):
    """The window as seen from inside its process, after its owner-drawn controls were repainted that often.
    The program's window thread may stay busy for seconds after it starts; a probe not answered is tried again."""
    out = os.path.join(PREFIX, "drive_c", "probe-%s.json" % uuid.uuid4().hex)

    def attempt():
        if driver("probe", hwnd, winpath(out), repaints)[0] == 0:
            with open(out, encoding="utf-8") as f:
                return json.load(f)
    return wait(attempt, timeout, "window %s to answer the probe" % hwnd)


def send(hwnd, message, wparam=0, lparam=0):  # the result or None; a str lparam goes as a pointer to that text
    code, out = driver("send", hwnd, message, wparam, "=" + lparam if isinstance(lparam, str) else lparam)
    return int(out) if code == 0 else None


def post(hwnd, message, wparam=0, lparam=0):
    return driver("post", hwnd, message, wparam, lparam)[0] == 0


def xdo(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=60, **OUT)


def key(*keys):
    xdo("key", "--clearmodifiers", *keys)


def focus(caption):  # there is no window manager to give it
    xdo("search", "--sync", "--name", "^%s$" % caption, "windowfocus", "--sync")


def shown():  # the captions of the program's windows on the screen; tooltips and menus have none
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", r"^qwclicker\.exe$"], timeout=60, **OUT)
    names = (subprocess.run(["xdotool", "getwindowname", w], timeout=60, **OUT).stdout.decode().strip()
             for w in out.stdout.split())
    return sorted(name for name in names if name)


def click_at(rect):
    xdo("mousemove", rect[0] + rect[2] // 2, rect[1] + rect[3] // 2, "click", 1)


def screen_rect(d, control):  # a control's rectangle on the screen, from a probe of its window
    x, y, w, hgt = next(c["rect"] for c in d["controls"] if c["id"] == control)
    return [d["client"][0] + x, d["client"][1] + y, w, hgt]


def message_box(caption, timeout=30.0):
    """Caption, text, icon and owner of a shown message box, which is then answered with OK."""
    hwnd = find(caption, timeout)
    assert hwnd, "no message box " + caption
    d = probe(hwnd)
    post(hwnd, WM_COMMAND, 1)
    wait(lambda: not find(caption, 0.2), 20, "the box to close")
    text = [c["text"] for c in d["controls"] if c["class"] == "Static" and c["text"]] + [""]
    return {"caption": d["caption"], "text": text[0], "icon": d["icon"], "owner": d["owner"]}


class App:  # one copy of the program in a folder of its own, with its help files beside it
    def __init__(self, name, ini=None, exe="QwClicker.exe", build=BUILD):
        self.folder = os.path.join(PREFIX, "drive_c", "qw", "新建 文件夹", name)  # a path as users have them
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.exe, self.ini = os.path.join(self.folder, exe), os.path.join(self.folder, "配置文件.ini")
        shutil.copy(os.path.join(build, "QwClicker.exe"), self.exe)
        for text in ("使用帮助.txt", "常见问题.txt"):
            shutil.copy(os.path.join(BUILD, text), self.folder)
        if ini is not None:
            with open(self.ini, "w", newline="\r\n") as f:
                f.write(ini)
        self.process, self.hwnd = None, 0

    def start(self, wait_dialog=True, wrapper=()):  # wrapper: a command prefix for wine
        self.process = subprocess.Popen(list(wrapper) + [WINE, winpath(self.exe)], cwd=self.folder,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return self.wait_dialog() if wait_dialog else self

    def wait_dialog(self):
        self.hwnd = wait(lambda: find(TITLE, 90), 1, "the main dialog")  # the first start in a prefix is slow
        return self

    def probe(self):
        return probe(self.hwnd)

    def controls(self):
        return {c["id"]: c for c in self.probe()["controls"]}

    def command(self, command_id):
        post(self.hwnd, WM_COMMAND, command_id)

    def enter(self, *values):  # controls 1001 to 1006 (key and method indices, interval texts); None: as it is
        hwnds = {i: c["hwnd"] for i, c in self.controls().items()}
        for control, value in zip(range(1001, 1007), values):
            if value is not None:
                send(hwnds[control], *((WM_SETTEXT, 0, value) if control > 1004 else (CB_SETCURSEL, value)))

    def read_ini(self):
        with open(self.ini) as f:
            return f.read()

    def wait_exit(self, timeout=30.0):
        return self.process.wait(timeout=timeout)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.command(2)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()


class Case(unittest.TestCase):  # a test that stops what it starts: a copy it started before, at the latest now
    def start(self, name, ini=None, exe="QwClicker.exe", wait_dialog=True, wrapper=(), build=BUILD):
        if getattr(self, "app", None):
            self.app.stop()
        self.app = App(name, ini, exe, build)
        self.addCleanup(self.app.stop)
        return self.app.start(wait_dialog, wrapper)

    def target(self):
        target = Target()
        self.addCleanup(target.process.kill)
        return target


def ini_text(start=8, end=10, left=1, right=0, left_interval=1000, right_interval=1000, extra=""):
    return ("[Config]\nStartKey=%d\nEndKey=%d\nLeftKey=%d\nRightKey=%d\nLeftInterval=%d\nRightInterval=%d\n%s"
            % (start, end, left, right, left_interval, right_interval, extra))


def hold_key(index, modifiers=0):
    """A process of its own holding F1 + index as its hot-key, or None when it is taken; index None: one with a
    low-level keyboard hook that passes every key on."""
    vk = 0 if index is None else 0x70 + index
    process = subprocess.Popen([WINE, os.path.join(TOOLS, "qw_driver.exe"), "hold", str(vk), "600", str(modifiers)], **OUT)
    if select.select([process.stdout], [], [], 30)[0] and process.stdout.readline().strip() == b"held":
        return process
    process.kill()


def key_free(index, timeout=0.0):  # whether F1 + index can be had, at once or within timeout s
    deadline = time.monotonic() + timeout
    while not ((process := hold_key(index)) and not process.kill()):
        if time.monotonic() >= deadline:
            return False
    return True


def now_us():  # the click target's clock: Wine's performance counter
    return int(time.clock_gettime(time.CLOCK_MONOTONIC_RAW) * 1e6)


class Target:  # qw_click_target.exe over the whole screen, under the cursor: every button and key event it receives
    def __init__(self):
        self.log = os.path.join(PREFIX, "drive_c", "clicks-%s.log" % uuid.uuid4().hex)
        self.process = subprocess.Popen([WINE, os.path.join(TOOLS, "qw_click_target.exe"), winpath(self.log)], **OUT)
        wait(lambda: os.path.exists(self.log), 60, "the click target")  # a busy machine starts Wine slowly
        xdo("mousemove", 50, 700)

    def events(self, since=0, where=False):  # (time, button event); with where, keys too, and the point or key, queued
        with open(self.log) as f:
            skip = ("ready",) if where else ("ready", "KD", "KU")
            lines = [line.split() for line in f if line.split()[1] not in skip and int(line.split()[0]) >= since]
        return [(int(t), e) + ((tuple(map(int, w.split(","))), int(q)) if where else ()) for t, e, q, w in lines]

    def wait_count(self, count, since=0, kinds="LDRD"):
        return wait(lambda: len([1 for _, e in self.events(since) if e in kinds]) >= count, 30, "%d clicks" % count)

    def quiet(self, since=0, cycle_ms=1050):
        """The events once no press has come, since the call (right after a stop key) and since the last press, for
        more than a full cycle of the clicking in use (press to next press; by default the default settings')."""
        called = now_us()

        def settled():
            events = self.events(since)
            return now_us() - max([called] + [t for t, e in events if e[1] == "D"]) > cycle_ms * 1000 + 300000 and [
                events]
        return wait(settled, 60, "the clicks to stop")[0]

    def click(self, presses, kinds="LDRD", cycle_ms=1050):  # start; stop once that many presses came; when, the events
        since = now_us()
        key("F9")
        self.wait_count(presses, since, kinds)
        key("F11")
        return since, self.quiet(since, cycle_ms)


def pairs(events, button):
    """One button's (press, release) times; fails unless its presses and releases alternate and end released."""
    out, down = [], None
    for t, e in events:
        if e[0] == button:
            assert (e[1] == "D") == (down is None), "%s out of turn at %d: two streams, or a lost release" % (e, t)
            out, down = (out, t) if down is None else (out + [(down, t)], None)
    assert down is None, "%s left pressed" % button
    return out


def open_log(*keys):
    """Makes qw_click_target.exe the shell's handler of the registry class keys given ("http", "txtfile"):
    what the shell is asked to open is logged. Returns opened(count): what was opened, in launch order,
    once there are at least count."""
    log = os.path.join(PREFIX, "drive_c", "opened-%s.txt" % uuid.uuid4().hex)
    command = '"%s" log "%s" "%%1"' % (winpath(os.path.join(TOOLS, "qw_click_target.exe")), winpath(log))
    for k in keys:
        wine("reg", "add", "HKCR\\%s\\shell\\open\\command" % k, "/ve", "/d", command, "/f")

    def read():
        with open(log, "a+", encoding="utf-8") as f:
            f.seek(0)
            return [line.split("\t", 1)[1].rstrip("\n") for line in sorted(f, key=lambda s: int(s.split("\t")[0]))]

    def opened(count=0):
        wait(lambda: len(read()) >= count, 30, "%d opened" % count)
        return read()
    return opened


class Server:
    """The content server on 127.0.0.1, where the tests' namespace puts the content host. routes: path -> (status,
    body, (header, value)...), None to hold the connection, or a list of those in turn; requests: (path, headers, an
    event set when the client let go); arrived: how many connections came; with a TLS context set (port 443), closed:
    every connection once over."""

    def __init__(self, port=80):
        self.routes, self.requests, self.context, self.closed, self.arrived, outer = {}, [], None, [], 0, self

        class Listener(http.server.ThreadingHTTPServer):
            def get_request(self):
                plain, address = super().get_request()
                outer.arrived += 1
                try:  # a failed handshake serves nothing
                    return outer.context.wrap_socket(plain, server_side=True) if outer.context else plain, address
                except OSError:
                    self.shutdown_request(plain)
                    raise

            def shutdown_request(self, request):
                super().shutdown_request(request)
                outer.closed.append(request)

        class Handler(http.server.BaseHTTPRequestHandler):  # one request a connection (HTTP/1.0)
            def do_GET(self):
                closed = threading.Event()
                outer.requests.append((self.path, dict(self.headers), closed))
                route = outer.routes.get(self.path, (404, b""))
                route = (route.pop(0) if len(route) > 1 else route[0]) if isinstance(route, list) else route
                if route:
                    self.send_response(route[0])
                    for header in route[2:] + (("Content-Length", str(len(route[1]))),):
                        self.send_header(*header)
                    self.end_headers()
                    self.wfile.write(route[1])
                try:
                    while select.select([self.connection], [], [], 60)[0] and self.connection.recv(4096):
                        pass
                finally:
                    closed.set()

            def log_message(self, *args):
                pass
        self.httpd = Listener(("127.0.0.1", port), Handler)
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def requested(self, path):
        return [r for r in self.requests if r[0] == path]


def slow_name_server(address, ip, delay):
    """A name server on address:53 that answers every address question with ip after delay seconds;
    returns the times of its answers, as they happen."""
    sock, answers = socket.socket(socket.AF_INET, socket.SOCK_DGRAM), []
    sock.bind((address, 53))

    def serve():  # one question after the other: an address question, then perhaps one for IPv6
        while True:
            packet, client = sock.recvfrom(512)
            time.sleep(delay)
            end = packet.index(b"\0", 12) + 5
            record = b"\xc0\x0c" + struct.pack(">HHIH", 1, 1, 60, 4) + socket.inet_aton(ip) if packet[end - 3] == 1 else b""
            sock.sendto(packet[:2] + struct.pack(">5H", 0x8180, 1, len(record) > 0, 0, 0) + packet[12:end] + record,
                        client)
            answers.append(time.monotonic())
    threading.Thread(target=serve, daemon=True).start()
    return answers


def resolver(nameserver):  # a prefix for wine: a mount namespace where only that name server knows names
    folder = os.path.join(BUILD, "resolver-" + uuid.uuid4().hex[:8])
    os.makedirs(folder)
    for name, text in (("hosts", "127.0.0.1\tlocalhost\n"),
                       ("resolv.conf", "nameserver %s\noptions timeout:15 attempts:1\n" % nameserver)):
        with open(os.path.join(folder, name), "w") as f:
            f.write(text)
    script = 'mount --bind "$0/hosts" /etc/hosts && mount --bind "$0/resolv.conf" /etc/resolv.conf && exec "$@"'
    return ["unshare", "--mount", "--propagation", "private", "sh", "-c", script, folder]

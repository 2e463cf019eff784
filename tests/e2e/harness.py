"""Drives the real program under Wine for the end-to-end tests.

The environment comes from scripts/wine_env.sh (DISPLAY, WINEPREFIX, locale); the
Windows-side tools (qw_driver.exe, qw_probe.dll, qw_click_target.exe) come from the
cross build. Every wait is a poll with a time-out.
"""

import json
import os
import shutil
import signal
import subprocess
import time
import uuid

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("QW_BUILD_DIR", os.path.join(ROOT, "build", "win32"))
TOOLS = os.path.join(BUILD, "e2e")
PREFIX = os.environ.get("WINEPREFIX", "")
TITLE = "青梧鼠标连点器v0.2"
INI_NAME = "配置文件.ini"
HELP_FILES = ("使用帮助.txt", "常见问题.txt")
SCREENSHOTS = os.path.join(BUILD, "screenshots")

WM_COMMAND = 0x0111
WM_SYSCOMMAND = 0x0112
SC_CLOSE = 0xF060
BM_CLICK = 0x00F5
WM_USER = 0x0400
WM_TRAYICON = WM_USER
IDOK = 1


def wait_until(predicate, timeout=10.0, interval=0.05, what="condition"):
    """Polls predicate until it returns a true value, which is returned."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def to_windows_path(unix_path):
    """The Windows path of a file inside the prefix's drive C."""
    drive_c = os.path.join(PREFIX, "drive_c")
    rel = os.path.relpath(os.path.abspath(unix_path), drive_c)
    if rel.startswith(".."):
        return "Z:" + os.path.abspath(unix_path).replace("/", "\\")
    return "C:\\" + rel.replace("/", "\\")


def wine(args, timeout=60, check=False):
    result = subprocess.run(["wine"] + list(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=timeout)
    if check and result.returncode != 0:
        raise AssertionError("wine %s failed (%d): %s" % (args, result.returncode, result.stderr[-2000:]))
    return result


def driver(*args, timeout=60):
    """Runs qw_driver.exe; returns (exit code, JSON of its last output line or None)."""
    result = wine([os.path.join(TOOLS, "qw_driver.exe")] + [str(a) for a in args], timeout=timeout)
    lines = result.stdout.decode("utf-8", "replace").strip().splitlines()
    data = None
    if lines:
        try:
            data = json.loads(lines[-1])
        except ValueError:
            data = None
    return result.returncode, data


def find_window(caption, timeout=15.0, class_name=None):
    """The handle of a top-level window with this caption, or 0 after the time-out."""
    args = ["find", caption, int(timeout * 1000)]
    if class_name:
        args.append(class_name)
    _, data = driver(*args, timeout=timeout + 30)
    return (data or {}).get("hwnd", 0)


def probe(hwnd):
    """The window as the probe sees it from inside its own process."""
    out = os.path.join(PREFIX, "drive_c", "qw_probe_%s.json" % uuid.uuid4().hex)
    code, _ = driver("probe", hwnd, to_windows_path(out))
    if code != 0 or not os.path.exists(out):
        raise AssertionError("probe of window %s failed (%s)" % (hwnd, code))
    with open(out, encoding="utf-8") as f:
        data = json.load(f)
    os.remove(out)
    return data


def send(hwnd, message, wparam=0, lparam=0):
    code, data = driver("send", hwnd, message, wparam, lparam)
    return (data or {}).get("result") if code == 0 else None


def post(hwnd, message, wparam=0, lparam=0):
    return driver("post", hwnd, message, wparam, lparam)[0] == 0


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True, timeout=30,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def focus_window(caption):
    """Gives an X window with this title the keyboard focus (there is no window manager)."""
    xdotool("search", "--sync", "--name", "^%s$" % caption, "windowfocus", "--sync")


def press_key(key):
    xdotool("key", "--clearmodifiers", key)


def screenshot(name, crop=None):
    os.makedirs(SCREENSHOTS, exist_ok=True)
    path = os.path.join(SCREENSHOTS, name + ".png")
    args = ["import", "-window", "root"]
    if crop:
        args += ["-crop", "%dx%d+%d+%d" % crop]
    subprocess.run(args + [path], check=True, timeout=60)
    return path


class MessageBox:
    """A message box found by caption: what it says and how it looks, and a way to answer it."""

    def __init__(self, hwnd):
        self.hwnd = hwnd
        self.info = probe(hwnd)
        self.caption = self.info["caption"]
        texts = [c["text"] for c in self.info["controls"] if c["id"] == 0xFFFF]
        self.text = texts[0] if texts else ""
        self.icon = self.info["icon"]
        self.topmost = bool(self.info["exStyle"] & 0x8)
        self.owner = self.info["owner"]

    def answer(self):
        post(self.hwnd, WM_COMMAND, IDOK, 0)


def wait_message_box(caption, timeout=15.0):
    hwnd = find_window(caption, timeout, "#32770")
    if not hwnd:
        raise AssertionError("no message box '%s'" % caption)
    return MessageBox(hwnd)


class App:
    """One copy of the program in a folder of its own inside the prefix."""

    def __init__(self, name=None, ini=None, folder=None, exe_name="QwClicker.exe"):
        self.folder = folder or os.path.join(PREFIX, "drive_c", "qwtests", name or uuid.uuid4().hex[:8])
        os.makedirs(self.folder, exist_ok=True)
        self.exe = os.path.join(self.folder, exe_name)
        shutil.copy(os.path.join(BUILD, "QwClicker.exe"), self.exe)
        for help_file in HELP_FILES:
            shutil.copy(os.path.join(BUILD, help_file), self.folder)
        if ini is not None:
            with open(self.ini_path, "w", encoding="ascii", newline="\r\n") as f:
                f.write(ini)
        self.process = None
        self.hwnd = 0

    @property
    def ini_path(self):
        return os.path.join(self.folder, INI_NAME)

    def read_ini(self):
        with open(self.ini_path, "rb") as f:
            return f.read().decode("ascii")

    def start(self, wait_dialog=True, env=None, wrapper=None):
        """wrapper: a command prefix that runs wine, e.g. to give it a namespace of its own."""
        process_env = dict(os.environ)
        if env:
            process_env.update(env)
        self.process = subprocess.Popen(list(wrapper or []) + ["wine", to_windows_path(self.exe)], cwd=self.folder,
                                        env=process_env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if wait_dialog:
            self.wait_dialog()
        return self

    def wait_dialog(self, timeout=20.0):
        self.hwnd = find_window(TITLE, timeout, "#32770")
        if not self.hwnd:
            raise AssertionError("the main dialog did not appear")
        return self.hwnd

    def probe(self):
        return probe(self.hwnd)

    def command(self, command_id):
        return post(self.hwnd, WM_COMMAND, command_id, 0)

    def wait_exit(self, timeout=15.0):
        return self.process.wait(timeout=timeout)

    def running(self):
        return self.process is not None and self.process.poll() is None

    def stop(self):
        """Ends the program however it is; a test's clean-up."""
        if self.running():
            if self.hwnd:
                post(self.hwnd, WM_COMMAND, 2, 0)
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.send_signal(signal.SIGKILL)
                self.process.wait(timeout=10)
        # Any Windows process still holding this copy's hot-keys or windows.
        subprocess.run(["pkill", "-f", os.path.basename(self.folder) + ".*QwClicker"], check=False)


def kill_wine_process(name):
    subprocess.run(["pkill", "-f", name], check=False)


class OpenLog:
    """What the shell opened through qw_open_logger.exe, in launch order."""

    def __init__(self, path):
        self.path = path

    def opened(self):
        """The addresses opened so far (each launch's arguments, tab-joined)."""
        try:
            with open(self.path, encoding="utf-8") as f:
                lines = [line.rstrip("\n") for line in f if line.strip()]
        except FileNotFoundError:
            return []
        launches = []
        for line in lines:
            stamp, _, arguments = line.partition("\t")
            launches.append((int(stamp), arguments))
        # Each launch writes when it runs; its creation time says when it was started.
        return [arguments for _, arguments in sorted(launches, key=lambda launch: launch[0])]

    def wait_count(self, count, timeout=15.0):
        return wait_until(lambda: len(self.opened()) >= count and self.opened(), timeout,
                          what="%d address(es) opened" % count)

    def clear(self):
        if os.path.exists(self.path):
            os.remove(self.path)


def install_open_logger(log_name="qw_opened.txt"):
    """Registers qw_open_logger.exe in the prefix as the http and https handler, so
    what the shell opens is logged instead of shown; returns the log."""
    folder = os.path.join(PREFIX, "drive_c", "qw_open_logger")
    os.makedirs(folder, exist_ok=True)
    exe = os.path.join(folder, "qw_open_logger.exe")
    shutil.copy(os.path.join(TOOLS, "qw_open_logger.exe"), exe)
    log = OpenLog(os.path.join(folder, log_name))
    log.clear()
    command = '"%s" "%s" "%%1"' % (to_windows_path(exe), to_windows_path(log.path))
    for scheme in ("http", "https"):
        wine(["reg", "add", "HKCR\\%s\\shell\\open\\command" % scheme, "/ve", "/d", command, "/f"], check=True)
    return log

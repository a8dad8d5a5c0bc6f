"""Runs the launcher under Wine in the test run's virtual X display and uses it
as a person would: finds its window, clicks and drags with xdotool, takes
screenshots.

Every process started here is ended by its pid when the test is over.
"""
import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time
import unittest

from PIL import Image

WINE = "/usr/lib/wine/wine64"
HERE = os.path.dirname(os.path.abspath(__file__))
RUN_IN_WINE = os.path.join(HERE, "..", "wine", "run-in-wine.sh")


def setting(name):
    value = os.environ.get(name)
    if not value:
        raise RuntimeError(f"{name} is not set; run the window tests through ctest")
    return value


def wait_until(condition, timeout, what, step=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(step)
    raise AssertionError(f"timed out after {timeout} s waiting for {what}")


def kill_and_reap(process):
    if process.poll() is None:
        os.kill(process.pid, signal.SIGKILL)
    process.wait(timeout=10)


class Desktop:
    """The test run's Xvfb display, which every Wine process of the run draws on
    (started with the Wine prefix by tests/wine/start-test-run.sh)."""

    WIDTH, HEIGHT = 1024, 768

    def __init__(self):
        with open(setting("SELVANE_WINEPREFIX") + ".display") as f:
            self.display = f.read().strip()

    def env(self):
        return dict(os.environ, DISPLAY=self.display)

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env(), check=True,
                              capture_output=True, text=True, timeout=30).stdout

    def find_windows(self, title, pid):
        return subprocess.run(["xdotool", "search", "--all", "--pid", str(pid), "--name", f"^{title}$"], env=self.env(),
                              capture_output=True, text=True, timeout=30).stdout.split()

    def xprop(self, window, *properties):
        return subprocess.run(["xprop", "-id", str(window), *properties], env=self.env(), check=True,
                              capture_output=True, text=True, timeout=30).stdout

    def screenshot(self):
        png = subprocess.run(["import", "-window", "root", "png:-"], env=self.env(), check=True,
                             capture_output=True, timeout=30).stdout
        path = tempfile.mktemp(suffix=".png")
        with open(path, "wb") as f:
            f.write(png)
        image = Image.open(path).convert("RGB")
        os.unlink(path)
        return image

    def drag(self, start, delta, button):
        """Presses at `start`, moves by `delta` in steps, releases."""
        x, y = start
        self.xdotool("mousemove", x, y, "mousedown", button)
        for i in range(1, 5):
            time.sleep(0.1)
            self.xdotool("mousemove", x + delta[0] * i // 4, y + delta[1] * i // 4)
        time.sleep(0.1)
        self.xdotool("mouseup", button)
        time.sleep(0.3)

    def click(self, x, y, button=1):
        self.xdotool("mousemove", x, y, "click", button)



class Launcher:
    """The launcher, copied into a launcher folder of its own and started under Wine."""

    def __init__(self, desktop, relay=False, files=None):
        """`files`: name -> bytes (a file) or None (a folder), put in the launcher folder first."""
        self.desktop = desktop
        self.folder = tempfile.mkdtemp(prefix="selvane-launcher-")
        self.exe = os.path.join(self.folder, "selvane.exe")
        shutil.copy(setting("SELVANE_LAUNCHER_EXE"), self.exe)
        for name, content in (files or {}).items():
            path = self.path(name)
            if content is None:
                os.mkdir(path)
            else:
                with open(path, "wb") as f:
                    f.write(content)
        self.log_path = os.path.join(self.folder, "wine.log")
        env = desktop.env()
        # The relay channel shows the calls listed in the prefix's RelayInclude.
        env["WINEDEBUG"] = "+relay" if relay else "-all"
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(["/bin/sh", RUN_IN_WINE, setting("SELVANE_WINEPREFIX"), self.exe],
                                            cwd=self.folder, env=env, stdout=log, stderr=log)
        self.window = None

    def wait_for_window(self, timeout=30):
        def find():
            if self.process.poll() is not None:
                raise AssertionError(f"launcher ended with {self.process.returncode} before showing its window")
            found = self.desktop.find_windows("Form1", self.process.pid)
            return found[0] if found else None
        self.window = wait_until(find, timeout, "the launcher window")
        return self.window

    def geometry(self):
        """(left, top, width, height) of the window on the X screen."""
        values = dict(line.split("=", 1) for line in
                      self.desktop.xdotool("getwindowgeometry", "--shell", self.window).split())
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def at(self, x, y):
        """Screen coordinates of a point given in window client pixels."""
        left, top, _, _ = self.geometry()
        return left + x, top + y

    def path(self, name):
        """The Linux path of a file in the launcher folder; `name` as the launcher has it (code page 949)."""
        return os.path.join(self.folder, name.decode("cp949") if isinstance(name, bytes) else name)

    def read(self, name):
        path = self.path(name)
        if not os.path.isfile(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def message_boxes(self):
        """(text, caption, flags) of every message box the launcher showed, from the relay log."""
        return [(unescape(text), unescape(caption), int(flags, 16))
                for text, caption, flags in MESSAGE_BOX.findall(self.log())]

    def wait_for_message_box(self, timeout=30):
        return wait_until(self.message_boxes, timeout, "a message box")[-1]

    def wait_for_exit(self, timeout=20):
        return self.process.wait(timeout=timeout)

    def log(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def probe(self, command):
        """What the window probe sees from inside Windows, as a dict."""
        output = subprocess.run(["/bin/sh", RUN_IN_WINE, setting("SELVANE_WINEPREFIX"), setting("SELVANE_PROBE_EXE"),
                                 command], env=self.desktop.env(), capture_output=True, timeout=60)
        if output.returncode != 0:
            raise AssertionError(f"window_probe {command} failed with {output.returncode}")
        lines = output.stdout.decode("utf-8").splitlines()
        return dict(line.split("=", 1) for line in lines if "=" in line)

    def close(self):
        kill_and_reap(self.process)
        shutil.rmtree(self.folder, ignore_errors=True)


MESSAGE_BOX = re.compile(r'Call user32\.MessageBoxA\([0-9a-f]+,[0-9a-f]+ "((?:[^"\\]|\\.)*)",'
                         r'[0-9a-f]+ "((?:[^"\\]|\\.)*)",([0-9a-f]+)\)')


def unescape(text):
    """Wine's debug strings escape line ends and bytes above 127; back to bytes."""
    return text.encode("latin-1").decode("unicode_escape").encode("latin-1")


STALL = "stall"


def pause(seconds):
    return ("pause", seconds)


class UpdateServer:
    """A scripted update server on the port compiled into the test build: each
    request path is answered with exact bytes, pauses and stalls, and every
    request is recorded. Unknown paths get a 404."""

    def __init__(self, routes=None):
        self.port = int(setting("SELVANE_UPDATE_PORT"))
        self.routes = dict(routes or {})
        self.requests = []
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind(("127.0.0.1", self.port))
        self.listener.listen(16)
        self.listener.settimeout(0.1)
        self.stopping = threading.Event()
        self.thread = threading.Thread(target=self.serve, daemon=True)
        self.thread.start()

    def paths(self):
        return [request.split(b" ")[1].decode("latin-1") for request in self.requests]

    def serve(self):
        while not self.stopping.is_set():
            try:
                connection, _ = self.listener.accept()
            except socket.timeout:
                continue
            threading.Thread(target=self.answer, args=(connection,), daemon=True).start()

    def answer(self, connection):
        with connection:
            connection.settimeout(10)
            request = b""
            try:
                while b"\r\n\r\n" not in request:
                    data = connection.recv(4096)
                    if not data:
                        return
                    request += data
            except OSError:
                return
            self.requests.append(request)
            path = request.split(b" ")[1].decode("latin-1")
            for step in self.routes.get(path, [b"HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"]):
                if step == STALL:
                    self.stopping.wait()
                elif isinstance(step, tuple):
                    if self.stopping.wait(step[1]):
                        return
                else:
                    try:
                        connection.sendall(step)
                    except OSError:
                        return

    def close(self):
        self.stopping.set()
        self.thread.join(timeout=5)
        self.listener.close()


def reply(body, status="200 OK", fields=b""):
    """A whole HTTP/1.1 reply with a Content-Length."""
    return (f"HTTP/1.1 {status}\r\n".encode() + fields + b"Content-Length: " + str(len(body)).encode() +
            b"\r\n\r\n" + body)


def save_artifact(image, name):
    """Keeps a screenshot where a developer can look at it; returns its path."""
    folder = os.environ.get("SELVANE_ARTIFACTS", tempfile.gettempdir())
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    image.save(path)
    return path


VERSION_PATH = "/ver_info_new3.php"
TARGET = "app.exe"


def target_program():
    """The bytes of the test target program, which records that it ran."""
    with open(setting("SELVANE_TEST_TARGET_EXE"), "rb") as f:
        return f.read()


class LauncherTestCase(unittest.TestCase):
    """Starts the update server and the launcher for a test; ends both after it."""

    def start(self, routes=None, files=None, relay=True, serve=True):
        """`serve=False`: nothing listens on the update server's port."""
        self.desktop = Desktop()
        if serve:
            self.server = UpdateServer(routes)
            self.addCleanup(self.server.close)
        self.launcher = Launcher(self.desktop, relay=relay, files=files)
        self.addCleanup(self.launcher.close)
        self.launcher.wait_for_window()
        return self.launcher

    def update_routes(self, version=b"2.0", name=TARGET.encode(), body=None, record_tail=b""):
        """An update server that offers `version` of `name`, served whole."""
        path = "/files/app.exe"
        record = version + b"|" + self.url(path) + b"|" + name + record_tail
        return {VERSION_PATH: [reply(record)], path: [reply(target_program() if body is None else body)]}

    def url(self, path):
        return f"http://127.0.0.1:{setting('SELVANE_UPDATE_PORT')}{path}".encode()

    def wait_for_record(self, version, timeout=30):
        wanted = b"[conf]\r\nver=" + version + b"\r\n"
        wait_until(lambda: self.launcher.read("app_ver_conf.ini") == wanted, timeout, f"version {version!r} recorded")

    def click_at(self, x, y):
        self.desktop.click(*self.launcher.at(x, y))

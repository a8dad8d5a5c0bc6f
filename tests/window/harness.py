"""Runs the launcher under Wine in the test run's virtual X display and uses it
as a person would: finds its window, clicks and drags with xdotool, takes
screenshots.

Every process started here is ended by its pid when the test is over.
"""
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time

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

    def press(self, x, y, button):
        self.xdotool("mousemove", x, y, "mousedown", button)

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

    def __init__(self, desktop, relay=False):
        self.desktop = desktop
        self.folder = tempfile.mkdtemp(prefix="selvane-launcher-")
        self.exe = os.path.join(self.folder, "selvane.exe")
        shutil.copy(setting("SELVANE_LAUNCHER_EXE"), self.exe)
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


class UpdateServerWatch:
    """Listens where the test build's update server would be, to see whether
    the launcher connects at all."""

    def __init__(self):
        self.socket = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.socket.bind(("127.0.0.1", int(setting("SELVANE_UPDATE_PORT"))))
        self.socket.listen(5)
        self.socket.setblocking(False)

    def connections(self):
        count = 0
        while True:
            try:
                connection, _ = self.socket.accept()
            except BlockingIOError:
                return count
            connection.close()
            count += 1

    def close(self):
        self.socket.close()


def save_artifact(image, name):
    """Keeps a screenshot where a developer can look at it; returns its path."""
    folder = os.environ.get("SELVANE_ARTIFACTS", tempfile.gettempdir())
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, name)
    image.save(path)
    return path

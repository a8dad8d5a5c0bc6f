"""The launcher window under Wine, used as a person would use it."""
import os
import re
import time
import unittest

from PIL import Image

from harness import STALL, TARGET, VERSION_PATH, Desktop, LauncherTestCase, save_artifact

WIDTH, HEIGHT = 315, 122
RESOURCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "launcher", "resources")

# Points of the window (client pixels) and the colour the background picture has there.
BACKGROUND_POINTS = [
    ("outline, top row", (150, 0), "#151829"),
    ("outline, right column", (314, 60), "#151829"),
    ("title band, top", (150, 1), "#56607B"),
    ("title band, bottom", (150, 16), "#2D384E"),
    ("line under the band", (150, 17), "#20263C"),
    ("frame, outer left", (0, 60), "#3B455E"),
    ("frame, inner left", (1, 60), "#293448"),
    ("frame, outer bottom", (150, 121), "#3B455E"),
    ("panel", (150, 100), "#FCFCFC"),
]
# JPEG at its highest quality still moves a colour by a step or two.
COLOUR_TOLERANCE = 3

LABEL = (44, 50)
PROGRESS_BAR = (24, 31, 273, 17)
X_BUTTON = (298, 1)

TIMER_TICK = re.compile(r"Call window proc \S+ \(hwnd=0+,msg=WM_TIMER")


def rgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def distance(a, b):
    return max(abs(x - y) for x, y in zip(a, b))


class WindowLookTest(LauncherTestCase):
    def setUp(self):
        # The version request never gets an answer: the window stays as it starts.
        self.start({VERSION_PATH: [STALL]}, relay=False)

    def window_image(self):
        time.sleep(0.5)  # let it paint
        left, top, width, height = self.launcher.geometry()
        screen = self.desktop.screenshot()
        print("screenshot:", save_artifact(screen, "launcher-start.png"))
        return screen.crop((left, top, left + width, top + height))

    def test_size_position_and_owner(self):
        left, top, width, height = self.launcher.geometry()
        self.assertEqual((width, height), (WIDTH, HEIGHT))
        self.assertEqual((left, top), ((Desktop.WIDTH - WIDTH) // 2, (Desktop.HEIGHT - HEIGHT) // 2))

        seen = self.launcher.probe("form")
        self.assertEqual(seen["topmost"], "1")
        self.assertEqual(seen["caption_style"], "0", "the window has no title bar")
        self.assertEqual(seen["text"], "Form1")
        # The hidden application window owns the form and carries the taskbar
        # button with the main icon; the form has none of its own.
        self.assertEqual(seen["owner_class"], "TApplication")
        self.assertEqual(seen["owner_title"], "selvane")
        self.assertEqual(seen["appwindow"], "0")
        application, = self.desktop.find_windows("selvane", self.launcher.process.pid)
        icons = self.desktop.xprop(application, "_NET_WM_ICON")
        self.assertIn("Icon (32 x 32)", icons)
        self.assertIn("Icon (16 x 16)", icons)
        form = self.desktop.xprop(self.launcher.window)
        self.assertIn("_NET_WM_STATE_SKIP_TASKBAR", form)
        self.assertIn("_NET_WM_STATE_ABOVE", form)
        self.assertIn(f"WM_TRANSIENT_FOR(WINDOW): window id # {int(application):#x}", form)

    def test_pictures_label_and_empty_progress_bar(self):
        window = self.window_image()
        for name, point, colour in BACKGROUND_POINTS:
            with self.subTest(name):
                self.assertLessEqual(distance(window.getpixel(point), rgb(colour)), COLOUR_TOLERANCE,
                                     f"{window.getpixel(point)} at {point}")

        # The X button shows the band under it as the background picture has it.
        background = Image.open(os.path.join(RESOURCES, "background.jpg")).convert("RGB")
        x, y = X_BUTTON
        shown = window.crop((x, y, x + 16, y + 16))
        under = background.crop((x + 1, y, x + 17, y + 16))  # the picture starts one pixel left of the window
        worst = max(distance(a, b) for a, b in zip(shown.getdata(), under.getdata()))
        self.assertLessEqual(worst, 2)

        # The progress bar is empty: one flat colour inside its edges.
        bx, by, bw, bh = PROGRESS_BAR
        inside = window.crop((bx + 3, by + 3, bx + bw - 3, by + bh - 3))
        self.assertEqual(len(set(inside.getdata())), 1, "the progress bar shows progress")

        self.assert_status_text_drawn(window)

    def assert_status_text_drawn(self, window):
        # Dark blue ink where the label stands, on the white panel.
        lx, ly = LABEL
        area = window.crop((lx, ly, lx + 200, ly + 16))
        ink = [[distance(area.getpixel((x, y)), rgb("#FCFCFC")) > 90 for y in range(area.height)]
               for x in range(area.width)]
        navy = sum(1 for p in area.getdata() if p[2] - p[0] > 40 and p[0] < 100)
        self.assertGreater(navy, 50, "no dark blue status text")

        # Hangul strokes give many different columns of ink; glyphs missing
        # from the font would be drawn as identical boxes, with few.
        columns = {tuple(column) for column in ink if any(column)}
        self.assertGreater(len(columns), 40, "the Korean text is not drawn with real glyphs")


class DragTest(LauncherTestCase):
    def setUp(self):
        # Once the update is downloaded, the window waits for the user.
        self.start(self.update_routes(), relay=False)
        self.wait_for_record(b"2.0")

    def drag_from(self, point, button):
        before = self.launcher.geometry()
        self.desktop.drag(self.launcher.at(*point), (40, 30), button)
        after = self.launcher.geometry()
        return after[0] - before[0], after[1] - before[1]

    def test_any_button_on_background_moves_window(self):
        for name, button in (("left", 1), ("right", 3), ("middle", 2)):
            with self.subTest(name):
                self.assertEqual(self.drag_from((200, 100), button), (40, 30))
        self.assertEqual(self.launcher.probe("form")["topmost"], "1")

    def test_press_on_label_or_progress_bar_does_not_move(self):
        for name, point in (("label", (LABEL[0] + 20, LABEL[1] + 7)), ("progress bar", (150, 40))):
            with self.subTest(name):
                self.assertEqual(self.drag_from(point, 1), (0, 0))


class TimerTest(LauncherTestCase):
    def test_x_before_first_tick_ends_without_request(self):
        self.start(self.update_routes())
        self.click_at(X_BUTTON[0] + 8, X_BUTTON[1] + 8)
        self.assertEqual(self.launcher.wait_for_exit(), 0)
        self.assertEqual(len(TIMER_TICK.findall(self.launcher.log())), 0,
                         "the timer fired before the click reached the X button")
        self.assertEqual(self.server.requests, [])

    def test_timer_fires_once(self):
        self.start(self.update_routes())
        self.wait_for_record(b"2.0")
        time.sleep(3)  # three more intervals
        log = self.launcher.log()
        self.assertEqual(len(TIMER_TICK.findall(log)), 1)
        self.assertEqual(log.count("Call user32.KillTimer("), 1)
        self.assertEqual(self.server.paths(), [VERSION_PATH, "/files/app.exe"], "one update check")
        self.click_at(X_BUTTON[0] + 8, X_BUTTON[1] + 8)
        self.assertEqual(self.launcher.wait_for_exit(), 0)
        self.assertIsNone(self.launcher.read(TARGET + ".ran"), "X started the target")


if __name__ == "__main__":
    unittest.main()

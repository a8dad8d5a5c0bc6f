"""Whole update checks under Wine, against a scripted update server: the
decision table, the reply's edge cases, failures in the message box, the
progress bar and the X button during a download, downloads over https."""
import os
import time
import unittest

from harness import (TARGET, VERSION_PATH, LauncherTestCase, pause, reply, save_artifact, setting, target_program,
                     wait_until)

OLD_TARGET = b"the old target program"
FILE_PATH = "/files/app.exe"
CONFIRM = (135, 70, 48, 27)
PROGRESS_BAR = (24, 31, 273, 17)
X_BUTTON = (306, 9)


def ini(version):
    return b"[conf]\r\nver=" + version + b"\r\n"


class UpdateTestCase(LauncherTestCase):
    def window_image(self, name):
        time.sleep(0.5)  # let it paint
        left, top, width, height = self.launcher.geometry()
        screen = self.desktop.screenshot()
        save_artifact(screen, f"{self.id().split('.')[-1]}-{name}.png")
        return screen.crop((left, top, left + width, top + height))

    def bar_filled(self, window):
        """How much of the progress bar is filled (in the selection colour, blue), from 0 to 1."""
        x, y, width, height = PROGRESS_BAR
        row = [window.getpixel((column, y + height // 2)) for column in range(x + 3, x + width - 3)]
        return sum(1 for r, g, b in row if b > r + 60) / len(row)

    def confirm_shown(self, window):
        x, y, width, height = CONFIRM
        border = window.getpixel((x, y + height // 2))
        return all(abs(a - b) <= 24 for a, b in zip(border, (0x9E, 0x9E, 0x9E)))

    def assert_downloaded_then_started(self, version=b"2.0", name=TARGET.encode()):
        """The Downloaded state: file and record in place, bar full, confirm
        shown; the confirm button then starts the target and ends the launcher."""
        wait_until(lambda: self.launcher.read(name) == target_program(), 30, "the new target program")
        self.wait_for_record(version)
        window = self.window_image("downloaded")
        self.assertGreater(self.bar_filled(window), 0.97)
        self.assertTrue(self.confirm_shown(window))
        self.click_at(CONFIRM[0] + 24, CONFIRM[1] + 13)
        self.assertEqual(self.launcher.wait_for_exit(), 0)
        wait_until(lambda: self.launcher.read(name + b".ran"), 20, "the target program to run")

    def assert_started_at_once(self):
        self.assertEqual(self.launcher.wait_for_exit(timeout=30), 0)
        wait_until(lambda: self.launcher.read(TARGET + ".ran"), 20, "the target program to run")
        self.assertEqual(self.server.paths(), [VERSION_PATH], "something was downloaded")


    def assert_top_most_dropped_around_box(self):
        # Wine keeps an owned window top-most whatever SetWindowPos is told, so
        # the calls themselves are checked: not top-most before the box, top-most after.
        log = self.launcher.log()
        box = log.index("Call user32.MessageBoxA(")
        self.assertRegex(log[:box], r"Call user32\.SetWindowPos\([0-9a-f]+,f+e,")
        self.assertRegex(log[box:], r"Call user32\.SetWindowPos\([0-9a-f]+,f+,")


class DecisionTest(UpdateTestCase):
    # (name, recorded version or None, target present, offered version, download expected)
    CASES = [
        ("absent", b"2.0", False, b"2.0", True),
        ("present, letter case differs", b"v2", True, b"V2", True),
        ("present, trailing blank differs", b"2.0", True, b"2.0 ", True),
        ("present, older offered", b"3.0", True, b"2.0", True),
        ("present and equal", b"2.0", True, b"2.0", False),
        ("present, no record, zero offered", None, True, b"0", False),
    ]

    def test_decision_table(self):
        for name, recorded, present, offered, download in self.CASES:
            with self.subTest(name):
                files = {}
                if recorded is not None:
                    files["app_ver_conf.ini"] = ini(recorded)
                if present:
                    files[TARGET] = target_program() if not download else OLD_TARGET
                try:
                    self.start(self.update_routes(version=offered), files=files)
                    if download:
                        self.assert_downloaded_then_started(version=offered)
                    else:
                        self.assert_started_at_once()
                        self.assertEqual(self.launcher.read("app_ver_conf.ini"), files.get("app_ver_conf.ini"))
                finally:
                    self.doCleanups()

    def test_version_request_bytes(self):
        self.start(self.update_routes())
        self.assert_downloaded_then_started()
        self.assertEqual(self.server.requests[0],
                         b"GET /ver_info_new3.php HTTP/1.1\r\nContent-Type: text/html\r\nHost: 127.0.0.1\r\n"
                         b"Accept: text/html, */*\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n")


class RecordTest(UpdateTestCase):
    def test_separator_and_line_end_after_file_name(self):
        self.start(self.update_routes(record_tail=b"|\r\n"))
        self.assert_downloaded_then_started()

    def test_more_than_three_fields(self):
        self.start(self.update_routes(record_tail=b"|ignored|also ignored"))
        self.assert_downloaded_then_started()

    def test_korean_file_name(self):
        name = "한글.exe".encode("cp949")
        self.start(self.update_routes(name=name))
        self.assert_downloaded_then_started(name=name)

    def test_chunked_replies(self):
        routes = self.update_routes()
        record = routes[VERSION_PATH][0].split(b"\r\n\r\n", 1)[1]
        routes[VERSION_PATH] = [b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
                                b"".join(b"%x\r\n%s\r\n" % (len(part), part) for part in (record[:5], record[5:])) +
                                b"0\r\n\r\n"]
        body = target_program()
        routes[FILE_PATH] = [b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
                             b"".join(b"%x\r\n%s\r\n" % (len(body[i:i + 5000]), body[i:i + 5000])
                                      for i in range(0, len(body), 5000)) + b"0\r\n\r\n"]
        self.start(routes)
        self.assert_downloaded_then_started()

    def test_folder_with_target_name_counts_as_absent(self):
        self.start(self.update_routes(), files={TARGET: None})
        text, _, _ = self.launcher.wait_for_message_box()
        self.assertTrue(text.startswith(b'Cannot create file "'), text)
        self.assertEqual(self.server.paths(), [VERSION_PATH], "the download was not refused before its request")


class FailureTest(UpdateTestCase):
    # (name, routes, files, message)
    def cases(self):
        offered = self.update_routes()
        broken_download = dict(offered, **{FILE_PATH: [reply(b"<html>gone</html>", "404 Not Found")]})
        stalls_mid_file = dict(offered, **{FILE_PATH: [reply(b"x" * 100)[:-60]]})
        hostile = self.update_routes(name=b"..\\evil.exe")
        unresolvable = {VERSION_PATH: [reply(b"2.0|http://no-such-host.invalid/app.exe|app.exe")]}
        return [
            ("version not found", {VERSION_PATH: [reply(b"missing", "404 Not Found")]}, b"HTTP/1.1 404 Not Found."),
            ("version redirected", {VERSION_PATH: [reply(b"", "302 Found", b"Location: http://elsewhere/\r\n")]},
             b"HTTP/1.1 302 Found."),
            ("short record", {VERSION_PATH: [reply(b"2.0|http://x/app.exe")]},
             b"The update server's reply was not understood: it must hold a version, a download address and a "
             b"file name, separated by \"|\"."),
            ("empty record", {VERSION_PATH: [reply(b"")]}, None),
            ("download not found", broken_download, b"HTTP/1.1 404 Not Found."),
            ("download cut short", stalls_mid_file, b"The connection was closed before the whole body had arrived."),
            ("hostile file name", hostile, None),
            ("download host not found", unresolvable, None),
        ]

    def test_failures_are_shown_and_nothing_is_lost(self):
        for name, routes, message in self.cases():
            with self.subTest(name):
                try:
                    self.start(routes, files={TARGET: OLD_TARGET, "app_ver_conf.ini": ini(b"1.0")})
                    text, caption, flags = self.launcher.wait_for_message_box()
                    if message is not None:
                        self.assertEqual(text, message)
                    self.assertEqual(caption, b"selvane")
                    self.assertEqual(flags, 0x10, "MB_OK | MB_ICONSTOP")
                    # While the box is open the window is disabled and not top-most.
                    self.assertEqual(self.launcher.probe("form")["enabled"], "0")
                    self.launcher.probe("msgbox-ok")
                    wait_until(lambda: self.launcher.probe("form")["enabled"] == "1", 10, "the window enabled again")
                    self.assert_top_most_dropped_around_box()
                    # Nothing is tried again, nothing recorded, the old target intact.
                    requests = len(self.server.requests)
                    time.sleep(2)
                    self.assertEqual(len(self.server.requests), requests)
                    self.assertEqual(self.launcher.read(TARGET), OLD_TARGET)
                    self.assertEqual(self.launcher.read("app_ver_conf.ini"), ini(b"1.0"))
                    self.assertEqual(len(os.listdir(self.launcher.folder)), 4, os.listdir(self.launcher.folder))
                    self.click_at(*X_BUTTON)
                    self.assertEqual(self.launcher.wait_for_exit(), 0)
                finally:
                    self.doCleanups()

    def test_update_server_not_running(self):
        self.start(serve=False)
        text, _, _ = self.launcher.wait_for_message_box()
        self.assertEqual(text, b"Socket Error # 10061\r\nConnection refused.")


class DuringDownloadTest(UpdateTestCase):
    def slow_routes(self):
        routes = self.update_routes()
        whole = routes[FILE_PATH][0]
        half = len(whole) // 2
        routes[FILE_PATH] = [whole[:half], pause(4), whole[half:]]
        return routes

    def test_progress_follows_the_body(self):
        self.start(self.slow_routes())
        wait_until(lambda: FILE_PATH in self.server.paths(), 20, "the download")
        time.sleep(1.5)
        window = self.window_image("halfway")
        self.assertTrue(0.2 < self.bar_filled(window) < 0.9, self.bar_filled(window))
        self.assertFalse(self.confirm_shown(window), "completion before the end of the body")
        self.assert_downloaded_then_started()

    def test_x_during_download_ends_after_it(self):
        self.start(self.slow_routes())
        wait_until(lambda: FILE_PATH in self.server.paths(), 20, "the download")
        time.sleep(1)
        self.click_at(*X_BUTTON)
        self.assertEqual(self.launcher.wait_for_exit(timeout=30), 0)
        self.assertEqual(self.launcher.read(TARGET), target_program(), "the download did not finish")
        self.assertEqual(self.launcher.read("app_ver_conf.ini"), ini(b"2.0"))
        time.sleep(1)
        self.assertIsNone(self.launcher.read(TARGET + ".ran"), "the target was started")


class SecureDownloadTest(UpdateTestCase):
    """Downloads over https from nginx with a test authority that the test prefix trusts."""

    def secure_url(self, server, path):
        with open(os.path.join(setting("SELVANE_TLS_TEST_STATE"), "ports")) as f:
            ports = dict(line.split() for line in f)
        return f"https://localhost:{ports[server]}{path}".encode()

    def test_download_over_https(self):
        with open(os.path.join(setting("SELVANE_TLS_TEST_STATE"), "root", "file.bin"), "rb") as f:
            body = f.read()
        self.start({VERSION_PATH: [reply(b"2.0|" + self.secure_url("good", "/file.bin") + b"|app.exe")]})
        wait_until(lambda: self.launcher.read(TARGET) == body, 30, "the file over https")
        self.wait_for_record(b"2.0")
        self.assertTrue(self.confirm_shown(self.window_image("downloaded")))
        self.click_at(*X_BUTTON)
        self.assertEqual(self.launcher.wait_for_exit(), 0)

    def test_untrusted_certificate_is_refused(self):
        url = self.secure_url("self-signed", "/file.bin")
        self.start({VERSION_PATH: [reply(b"2.0|" + url + b"|app.exe")]},
                   files={TARGET: OLD_TARGET, "app_ver_conf.ini": ini(b"1.0")})
        text, _, _ = self.launcher.wait_for_message_box()
        self.assertEqual(text, b"Secure connection to localhost failed: the server's certificate is not trusted.")
        self.assertEqual(self.launcher.read(TARGET), OLD_TARGET)
        self.assertEqual(self.launcher.read("app_ver_conf.ini"), ini(b"1.0"))


if __name__ == "__main__":
    unittest.main()

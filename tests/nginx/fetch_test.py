"""selvane-fetch against a real nginx on 127.0.0.1.

    python3 fetch_test.py PATH/TO/selvane-fetch
"""

import gzip
import http.client
import os
import random
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
FETCH = None  # set from the command line

OLD_CONTENT = b"the old file, which a failed download must leave as it was\n" * 3


def text_like(size, seed):
    """Words and numbers in lines: compresses about as well as real text."""
    rng = random.Random(seed)
    words = [b"update", b"launcher", b"version", b"file", b"server", b"reply", b"chunk", b"gzip", b"selvane"]
    out = bytearray()
    while len(out) < size:
        out += b" ".join(rng.choice(words) for _ in range(rng.randint(3, 12)))
        out += b" %d\n" % rng.randint(0, 1 << 30)
    return bytes(out[:size])


class NginxFetchTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="selvane-nginx-")
        cls.addClassCleanup(shutil.rmtree, cls.work, ignore_errors=True)
        root = os.path.join(cls.work, "root")
        os.mkdir(root)
        rng = random.Random(1)
        cls.plain = rng.randbytes(3 * 1024 * 1024 + 123)  # many reads, and a last one that is not full
        cls.text = text_like(1024 * 1024, 2)
        cls.named = text_like(200 * 1024, 3)
        cls.bare = text_like(50 * 1024, 4)
        cls.write(root, "plain.bin", cls.plain)
        cls.write(root, "empty.bin", b"")
        cls.write(root, "text.txt", cls.text)
        # Only the .gz exists: nginx can serve nothing else, so a client that
        # did not ask for gzip, or did not decode it, gets the wrong bytes.
        with gzip.GzipFile(os.path.join(root, "named.txt.gz"), "wb", mtime=1) as packed:
            packed.write(cls.named)  # header with the file's name in it
        cls.write(root, "bare.txt.gz", gzip.compress(cls.bare, mtime=0))

        cls.state = os.path.join(cls.work, "nginx")
        started = subprocess.run(["sh", os.path.join(HERE, "start-nginx.sh"), cls.state, root],
                                 capture_output=True, text=True, timeout=30)
        if started.returncode != 0:
            raise RuntimeError("nginx did not start: " + started.stderr)
        cls.addClassCleanup(subprocess.run, ["sh", os.path.join(HERE, "stop-nginx.sh"), cls.state], timeout=30)
        cls.port = int(started.stdout.strip())

    @staticmethod
    def write(folder, name, data):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)

    def setUp(self):
        self.out_dir = tempfile.mkdtemp(dir=self.work)
        self.addCleanup(shutil.rmtree, self.out_dir, ignore_errors=True)
        self.target = os.path.join(self.out_dir, "app.exe")

    def url(self, path):
        return "http://127.0.0.1:%d%s" % (self.port, path)

    def fetch(self, *args):
        return subprocess.run([FETCH, "--timeout", "10", *args], capture_output=True, timeout=120)

    def head(self, path):
        """The headers nginx sends for `path` to a client that takes gzip."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=10)
        try:
            connection.request("GET", path, headers={"Accept-Encoding": "gzip, deflate"})
            reply = connection.getresponse()
            reply.read()
            return reply.status, {k.lower(): v for k, v in reply.getheaders()}
        finally:
            connection.close()

    def test_server_frames_each_body_as_the_test_means(self):
        # Guards the fixture: each download case below meets the framing it is named for.
        cases = [
            ("/files/plain.bin", {"content-length": str(len(self.plain))}, ["transfer-encoding", "content-encoding"]),
            ("/static/named.txt", {"content-encoding": "gzip"}, ["transfer-encoding"]),
            ("/dynamic/text.txt", {"content-encoding": "gzip", "transfer-encoding": "chunked"}, ["content-length"]),
            ("/chunked/plain.bin", {"transfer-encoding": "chunked"}, ["content-length", "content-encoding"]),
        ]
        for path, present, absent in cases:
            with self.subTest(path=path):
                status, headers = self.head(path)
                self.assertEqual(status, 200)
                for name, value in present.items():
                    self.assertEqual(headers.get(name), value, name)
                for name in absent:
                    self.assertNotIn(name, headers)
        status, headers = self.head("/hops/4/plain.bin")
        self.assertEqual(status, 301)

    def test_download_writes_the_decoded_body(self):
        cases = [
            ("plain file", "/files/plain.bin", self.plain),
            ("empty file", "/files/empty.bin", b""),
            ("precompressed gzip, named", "/static/named.txt", self.named),
            ("precompressed gzip, bare header", "/static/bare.txt", self.bare),
            ("gzip on the fly, chunked", "/dynamic/text.txt", self.text),
            ("chunked, not coded", "/chunked/plain.bin", self.plain),
            ("redirect chain", "/hops/4/plain.bin", self.plain),
        ]
        for name, path, expected in cases:
            with self.subTest(name):
                self.write(self.out_dir, "app.exe", OLD_CONTENT)  # replaced exactly, even when longer
                result = self.fetch(self.url(path), self.target)
                self.assertEqual(result.returncode, 0, result.stderr.decode(errors="replace"))
                with open(self.target, "rb") as f:
                    got = f.read()
                self.assertEqual(len(got), len(expected))
                self.assertTrue(got == expected, "the file differs from what the server holds")
                self.assertEqual(os.listdir(self.out_dir), ["app.exe"])
                # The last progress line shows the whole body.
                last_line = result.stderr.decode().split("\n")[-2].split("\r")[-1]
                self.assertTrue(last_line.rstrip().endswith("(100%)"), repr(last_line))

    def test_failure_names_the_status_and_keeps_the_old_file(self):
        cases = [
            ("/files/missing.bin", "HTTP/1.1 404 Not Found"),
            ("/forbidden", "HTTP/1.1 403 Forbidden"),
            ("/loop", "HTTP/1.1 302 Moved Temporarily"),  # gives up instead of following forever
        ]
        for path, status_line in cases:
            with self.subTest(path):
                self.write(self.out_dir, "app.exe", OLD_CONTENT)
                result = self.fetch(self.url(path), self.target)
                self.assertEqual(result.returncode, 1)
                self.assertEqual(result.stderr.decode().splitlines()[-1], "selvane-fetch: " + status_line)
                with open(self.target, "rb") as f:
                    self.assertEqual(f.read(), OLD_CONTENT)
                self.assertEqual(os.listdir(self.out_dir), ["app.exe"])

    def test_quiet_prints_nothing(self):
        result = self.fetch("--quiet", self.url("/files/plain.bin"), self.target)
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stderr, b"")
        self.assertEqual(result.stdout, b"")


class CommandLineTest(unittest.TestCase):
    def run_fetch(self, *args):
        return subprocess.run([FETCH, *args], capture_output=True, text=True, timeout=60)

    def test_help(self):
        for option in ("--help", "-h"):
            with self.subTest(option):
                result = self.run_fetch(option)
                self.assertEqual(result.returncode, 0)
                self.assertIn("Usage: selvane-fetch", result.stdout)

    def test_unusable_command_lines(self):
        cases = [
            ((), "a URL and a FILE are needed"),
            (("http://127.0.0.1/",), "a URL and a FILE are needed"),
            (("http://127.0.0.1/", "a", "b"), "too many arguments"),
            (("--bogus", "http://127.0.0.1/", "a"), "unknown option --bogus"),
            (("--timeout", "soon", "http://127.0.0.1/", "a"), "not \"soon\""),
            (("--timeout", "0", "http://127.0.0.1/", "a"), "not \"0\""),
            (("http://127.0.0.1/", "--timeout"), "--timeout needs a number"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                result = self.run_fetch(*args)
                self.assertEqual(result.returncode, 2)
                self.assertIn(message, result.stderr)

    def test_refused_before_any_request(self):
        # Nothing listens on port 1: these fail on the file or the URL, before any connection.
        with tempfile.TemporaryDirectory() as folder:
            cases = [
                (("http://127.0.0.1:1/", folder), 'Cannot create file "%s"' % folder),
                (("http://127.0.0.1:1/", os.path.join(folder, "no", "x")), "Cannot create file"),
                (("ftp://127.0.0.1/x", os.path.join(folder, "x")), "ftp"),
            ]
            for args, message in cases:
                with self.subTest(args=args):
                    result = self.run_fetch(*args)
                    self.assertEqual(result.returncode, 1)
                    self.assertIn(message, result.stderr)
                    self.assertEqual(os.listdir(folder), [])


if __name__ == "__main__":
    FETCH = os.path.abspath(sys.argv.pop(1))
    unittest.main()

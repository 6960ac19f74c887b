"""The show while its photos decode in the decoder process: input still ends it at once,
and the decoder never outlives it."""

import os
import signal
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from saver_home import children  # noqa: E402
from xsession import CONVERT, Saver, VirtualScreen, ended_within  # noqa: E402


class FaultySaver(Saver):
    """The program with its decoder's test build (a "decoder-hang" file never decodes)."""

    def env(self):
        return dict(super().env(),
                    PELANDRA_PICTURE_DECODER=os.environ["PELANDRA_PICTURE_DECODER_FAULTS"])


def cpu_ticks(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])  # utime + stime
    except (FileNotFoundError, IndexError):
        return None


def gone(pid, seconds=5):
    """True once the process has ended (a zombie nobody reaps has ended too)."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            with open(f"/proc/{pid}/stat") as f:
                state = f.read().rsplit(")", 1)[1].split()[0]
            if state in ("Z", "X"):
                return True
        except FileNotFoundError:
            return True
        time.sleep(0.05)
    return False


def big_progressive_jpeg(path):
    """A 24-megapixel progressive JPEG of noise: about a second to decode even at 1/8."""
    width, height = 6000, 4000
    ppm = path + ".ppm"
    with open(ppm, "wb") as out:
        out.write(b"P6 %d %d 255\n" % (width, height) + os.urandom(width * height * 3))
    with open(path, "wb") as out:
        subprocess.run(["cjpeg", "-progressive", "-quality", "85", ppm], stdout=out, check=True,
                       timeout=120)
    os.remove(ppm)


class WhileDecoding(unittest.TestCase):
    def setUp(self):
        self.screen = VirtualScreen(800, 600)
        self.saver = FaultySaver(self.screen, interval=1)
        self.folder = os.path.join(self.saver.home, "cd", "pyrnox")
        os.makedirs(self.folder)
        with open(self.saver.ini, "a", encoding="utf-8") as out:
            out.write(f"PelandrasDir={self.folder}/\n")

    def tearDown(self):
        self.saver.close()
        self.screen.close()

    def start(self):
        process = self.saver.start()
        self.assertIsNotNone(self.saver.window(process), "the show opened no window")
        return process

    def busy_decoder(self, process, seconds=20):
        """The decoder process once it is using the processor."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            for child in children(process.pid):
                first = cpu_ticks(child)
                time.sleep(0.1)
                later = cpu_ticks(child)
                if first is not None and later is not None and later > first:
                    return child
            time.sleep(0.05)
        self.fail("no decoder process got to work")

    def started_decoder(self, process, seconds=10):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            found = children(process.pid)
            if found:
                return found[0]
            time.sleep(0.05)
        self.fail("no decoder process started")

    def test_a_key_while_a_big_progressive_jpeg_decodes_ends_the_show(self):
        big_progressive_jpeg(os.path.join(self.folder, "57BIG.JPG"))
        process = self.start()
        decoder = self.busy_decoder(process)
        self.screen.xdotool("key", "shift")
        self.assertTrue(ended_within(process, 5), "a key press did not end the show")
        self.assertEqual(process.returncode, 0)
        self.assertTrue(gone(decoder), "the decoder outlived the show")

    def test_a_key_while_a_picture_never_finishes_ends_the_show(self):
        with open(os.path.join(self.folder, "decoder-hang.jpg"), "wb") as out:
            out.write(b"\xff\xd8 never decoded")
        process = self.start()
        decoder = self.started_decoder(process)
        time.sleep(1.5)  # the first tick has asked for the picture
        self.screen.xdotool("click", "1")
        self.assertTrue(ended_within(process, 5), "a mouse button did not end the show")
        self.assertEqual(process.returncode, 0)
        self.assertTrue(gone(decoder), "the decoder outlived the show")

    def test_a_decoder_that_cannot_start_is_said_once(self):
        # As after an install that lost the decoder program.
        missing = os.path.join(self.folder, "gone", "pelandra-picture-decoder")
        self.saver.env = lambda: dict(Saver.env(self.saver), PELANDRA_PICTURE_DECODER=missing)
        subprocess.run([CONVERT, "-size", "32x32", "xc:green",
                        os.path.join(self.folder, "63COUPE.JPG")], check=True, timeout=30)
        process = self.saver.start()
        self.assertIsNotNone(self.saver.window(process), "the show opened no window")
        time.sleep(3.5)  # three ticks
        process.kill()
        process.wait()
        said = process.stderr.read().decode()
        self.assertEqual(said.count("picture decoder could not start"), 1, said)
        self.assertIn(missing + ": No such file or directory", said)

    def test_the_decoder_dies_with_a_killed_show(self):
        with open(os.path.join(self.folder, "decoder-hang.jpg"), "wb") as out:
            out.write(b"\xff\xd8 never decoded")
        process = self.start()
        decoder = self.started_decoder(process)
        process.send_signal(signal.SIGKILL)
        process.wait(timeout=10)
        self.assertTrue(gone(decoder), "the decoder outlived a killed show")


if __name__ == "__main__":
    unittest.main()

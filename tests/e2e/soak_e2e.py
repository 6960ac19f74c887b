"""The sanitizer build's show over a folder of good and bad files for a minute and more of
one-second ticks, ended with a key: any report of AddressSanitizer, LeakSanitizer or
UndefinedBehaviorSanitizer fails it."""

import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from xsession import SAVER, Saver, VirtualScreen, ended_within, near  # noqa: E402

SHOW_TITLE = "The Pelandra Omnarium Screen Saver"
COLOURS = {"blue": (0x20, 0x80, 0xE0), "green": (0x30, 0xC0, 0x30), "orange": (0xF0, 0x90, 0x20),
           "purple": (0x90, 0x30, 0xC0)}
TICKS = 60
REPORTS = (b"ERROR: AddressSanitizer", b"ERROR: LeakSanitizer", b"runtime error:",
           b"SUMMARY: ")


def mixed_folder(saver):
    """Real photos and the bad files a user's disc may hold, some with names that are not
    UTF-8."""
    folder = saver.photos([("ZZ01.JPG", "#2080e0"), ("63COUPE.JPG", "#30c030"),
                           ("CM_PRINT.BMP", "#f09020"), ("PURPLE.JPG", "#9030c0")])
    raw = os.fsencode(folder)
    os.rename(raw + b"PURPLE.JPG", raw + b"c\xff\xfe" b"bad.jpg")  # a name that is not UTF-8
    with open(os.path.join(folder, "ZZ01.JPG"), "rb") as f:
        jpeg = f.read()
    bad = {
        b"AZ_EMPTY.JPG": b"",
        b"TT_CUT.JPG": jpeg[: len(jpeg) // 3],
        b"NOTES.TXT": b"not a picture\n",
        b"\xe9t\xe9_cut.jpg": jpeg[: len(jpeg) // 2],
        b"GH_HUGE.BMP": (b"BM" + (54).to_bytes(4, "little") + bytes(4) + (54).to_bytes(4, "little")
                         + (40).to_bytes(4, "little") + (60000).to_bytes(4, "little") * 2
                         + (1).to_bytes(2, "little") + (24).to_bytes(2, "little") + bytes(24)),
    }
    for name, data in bad.items():
        with open(raw + name, "wb") as out:
            out.write(data)
    os.mkdir(raw + b"album.jpg")
    os.mkfifo(raw + b"pipe.jpg")
    os.symlink(raw + b"gone.jpg", raw + b"dangling.jpg")
    return folder


class Soak(unittest.TestCase):
    @staticmethod
    def box_open(screen):
        return bool(screen.xdotool("search", "--onlyvisible", "--name", SHOW_TITLE).split())

    def test_a_long_show_over_good_and_bad_files_has_no_sanitizer_report(self):
        screen = VirtualScreen(800, 600)
        self.addCleanup(screen.close)
        saver = Saver(screen, interval=1)
        self.addCleanup(saver.close)
        folder = mixed_folder(saver)
        with open(saver.ini, "w", encoding="utf-8") as out:
            out.write(f"[Settings]\nInterval=1\nPelandrasDir={folder}\n")

        log_path = os.path.join(saver.home, "stderr.log")
        suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsan.supp")
        env = dict(saver.env(), ASAN_OPTIONS="detect_leaks=1:halt_on_error=1",
                   LSAN_OPTIONS=f"suppressions={suppressions}:print_suppressions=0",
                   UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1")
        with open(log_path, "wb") as log:
            process = subprocess.Popen([SAVER], env=env, stdout=subprocess.DEVNULL, stderr=log)
        self.addCleanup(lambda: process.poll() is None and process.kill())

        boxes = 0
        seen = set()
        started = time.monotonic()
        # Every tick shows a photo or a box; ticks while a box is open are skipped, so the run
        # lasts a minute plus the time the boxes stood open.
        while time.monotonic() - started < TICKS + 0.4 * boxes + 3:
            self.assertIsNone(process.poll(), "the show ended by itself")
            if self.box_open(screen):
                time.sleep(0.3)  # the box takes the keyboard once it is up
                screen.xdotool("key", "Return")
                boxes += 1
            else:
                pixel = screen.screenshot().pixel(400, 240)
                seen.update(name for name, rgb in COLOURS.items() if near(pixel, rgb))
            time.sleep(0.1)
        for _ in range(5):  # a key that lands in a box just opened only closes the box
            while self.box_open(screen):
                time.sleep(0.3)
                screen.xdotool("key", "Return")
                time.sleep(0.3)
            screen.xdotool("key", "shift")
            if ended_within(process, 10):
                break
        self.assertIsNotNone(process.poll(), "a key did not end the show")

        print(f"{time.monotonic() - started:.0f} s, {boxes} error boxes closed, photos seen: "
              f"{sorted(seen)}", file=sys.stderr)
        with open(log_path, "rb") as log:
            errors = log.read()
        reports = [line for line in errors.splitlines() if any(r in line for r in REPORTS)]
        self.assertEqual(reports, [], errors.decode(errors="replace")[-4000:])
        self.assertEqual(process.returncode, 0, errors.decode(errors="replace")[-4000:])
        self.assertEqual(seen, set(COLOURS), "not every photo was shown")
        self.assertGreaterEqual(boxes, 5, "the bad files gave too few error boxes")


if __name__ == "__main__":
    unittest.main()

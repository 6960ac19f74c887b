"""A virtual X screen, the built program running on it, and ways to look and poke at it."""

import os
import shutil
import signal
import subprocess
import tempfile
import time

SAVER = os.environ.get("PELANDRA_SAVER", "")
CONVERT = "/usr/bin/convert"  # ImageMagick's, not a look-alike earlier on PATH


class VirtualScreen:
    def __init__(self, width, height):
        self.width, self.height = width, height
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-noreset", "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.display = f":{number}"

    def close(self):
        self.xvfb.terminate()
        self.xvfb.wait(timeout=10)

    def env(self):
        return dict(os.environ, DISPLAY=self.display)

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env(), capture_output=True,
                              text=True, timeout=20).stdout

    def screenshot(self, keep_as=None):
        ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env(),
                             capture_output=True, timeout=30, check=True).stdout
        shot = Screenshot(ppm)
        if keep_as:
            with open(keep_as, "wb") as out:
                out.write(ppm)
        return shot


class Screenshot:
    def __init__(self, ppm):
        parts = ppm.split(maxsplit=4)
        assert parts[0] == b"P6", "expected a binary PPM"
        self.width, self.height, depth = int(parts[1]), int(parts[2]), int(parts[3])
        assert depth == 255
        self.pixels = parts[4]

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.pixels[at:at + 3])

    def region(self, left, top, width, height):
        """Every pixel of a rectangle, clipped to the screen."""
        for y in range(max(top, 0), min(top + height, self.height)):
            for x in range(max(left, 0), min(left + width, self.width)):
                yield self.pixel(x, y)

    def count(self, left, top, width, height, test):
        return sum(1 for p in self.region(left, top, width, height) if test(p))

    def crop(self, left, top, width, height):
        return bytes(b for p in self.region(left, top, width, height) for b in p)


def is_black(p):
    return max(p) <= 16


def is_red(p):
    return p[0] >= 180 and p[1] <= 70 and p[2] <= 70


def near(p, q, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(p, q))


class Saver:
    """The program under test with a settings file and a photo folder of its own."""

    def __init__(self, screen, interval=None, photo_dir=None, settings_text=None):
        self.screen = screen
        self.home = tempfile.mkdtemp(prefix="pelandra-e2e-")
        self.config = os.path.join(self.home, "config")
        self.runtime = os.path.join(self.home, "runtime")
        os.makedirs(os.path.join(self.config, "pelandra-omnarium"))
        os.makedirs(self.runtime, mode=0o700)
        self.ini = os.path.join(self.config, "pelandra-omnarium", "screensaver.ini")
        if settings_text is None:
            lines = ["[Settings]"]
            if interval is not None:
                lines.append(f"Interval={interval}")
            if photo_dir is not None:
                lines.append(f"PelandrasDir={photo_dir}")
            settings_text = "\n".join(lines) + "\n"
        with open(self.ini, "w", encoding="utf-8") as out:
            out.write(settings_text)
        self.processes = []

    def photos(self, names_and_colours):
        """A folder ending in the marker, with one solid-colour picture per name."""
        folder = os.path.join(self.home, "cd", "pyrnox")
        os.makedirs(folder, exist_ok=True)
        for name, colour in names_and_colours:
            subprocess.run([CONVERT, "-size", "320x200", f"xc:{colour}",
                            os.path.join(folder, name)], check=True, timeout=30)
        return folder + "/"

    def env(self):
        return dict(self.screen.env(), XDG_CONFIG_HOME=self.config, XDG_RUNTIME_DIR=self.runtime)

    def start(self, *args, prefix=()):
        """The program with `args`, run through the command `prefix` (which execs it)."""
        process = subprocess.Popen([*prefix, SAVER, *args], env=self.env(), stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE)
        self.processes.append(process)
        return process

    def window(self, process, timeout=10):
        """The id of the process's visible window, once it is mapped."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if process.poll() is not None:
                return None
            ids = self.screen.xdotool("search", "--onlyvisible", "--pid", str(process.pid)).split()
            if ids:
                time.sleep(0.3)  # let it paint
                return ids[-1]
            time.sleep(0.1)
        return None

    def settings(self):
        with open(self.ini, encoding="utf-8") as f:
            return f.read()

    def close(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
            process.wait(timeout=10)
            process.stdout.close()
            process.stderr.close()
        shutil.rmtree(self.home, ignore_errors=True)


def autolaunched_buses(display):
    """The session buses started for `display` (dbus-launch --autolaunch and its dbus-daemon,
    which carry the display in their environment), killed and named."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/comm") as f:
                name = f.read().strip()
            with open(f"/proc/{pid}/environ", "rb") as f:
                environment = f.read().split(b"\0")
        except OSError:
            continue
        if name in ("dbus-launch", "dbus-daemon") and \
                f"DISPLAY={display}".encode() in environment:
            os.kill(int(pid), signal.SIGKILL)
            found.append(name)
    return found


def largest_shared_buffer(pid):
    """Bytes of the largest shared writable mapping of process `pid`: a window's pixels, as a
    window system's client shares them with the server."""
    largest = 0
    with open(f"/proc/{pid}/maps", encoding="utf-8") as maps:
        for line in maps:
            span, mode = line.split()[:2]
            if mode[1] == "w" and mode[3] == "s":
                start, end = (int(n, 16) for n in span.split("-"))
                largest = max(largest, end - start)
    return largest


def ended_within(process, seconds):
    try:
        process.wait(timeout=seconds)
        return True
    except subprocess.TimeoutExpired:
        return False

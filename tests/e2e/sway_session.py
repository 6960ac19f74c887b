"""A headless sway (Debian's sway 1.7) with outputs of given sizes, run in a SaverHome as its
ordinary user, and what its clients need: their environment, screenshots, keys, a mouse
(VirtualPointer)."""

import json
import os
import subprocess
import time
from dataclasses import dataclass

from saver_home import as_user, wait_until
from xsession import Screenshot

# The test mouse (tests/e2e/wayland/virtual_pointer.c), when built.
POINTER = os.environ.get("PELANDRA_VIRTUAL_POINTER", "")
TOOLS = ("sway", "swaymsg", "swaybg", "grim", "wtype")
BACKGROUND = "#3060c0"  # the desktop's colour, never black, so an uncovered output shows


@dataclass
class Output:
    name: str  # HEADLESS-1, HEADLESS-2, ... in the order the headless backend makes them
    width: int  # device pixels
    height: int
    x: int = 0  # position in the layout, in logical pixels
    scale: int = 1

    def config(self):
        return (f"output {self.name} mode {self.width}x{self.height} position {self.x} 0"
                f" scale {self.scale} bg {BACKGROUND} solid_color\n")


class SwaySession:
    def __init__(self, home, outputs):
        self.home, self.outputs = home, list(outputs)
        config = home.write("sway.config", "xwayland disable\ndefault_border none\n"
                            "focus_follows_mouse no\n" + "".join(o.config() for o in outputs))
        # -D noscanout: a full-screen window shown directly would never reach grim's image.
        self.process = home.start(
            ["sway", "-D", "noscanout", "--config", config], log="sway.log",
            env=home.env(WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                         WLR_LIBINPUT_NO_DEVICES="1", WLR_HEADLESS_OUTPUTS=str(len(outputs))))

        def sockets():
            names = os.listdir(home.runtime)
            ipc = [n for n in names if n.startswith("sway-ipc.")]
            wayland = [n for n in names if n.startswith("wayland-") and not n.endswith(".lock")]
            return (wayland[0], os.path.join(home.runtime, ipc[0])) if ipc and wayland else None

        found = wait_until(lambda: sockets() or self.process.poll() is not None, 20)
        if not isinstance(found, tuple):
            raise RuntimeError("sway did not start:\n" + self.said())
        self.display, self.ipc = found
        want = {o.name: [o.width, o.height] for o in outputs}
        if not wait_until(lambda: self.modes() == want, 20):
            raise RuntimeError("sway's outputs never took their modes:\n" + self.said())
        time.sleep(0.5)  # the backgrounds drawn

    def env(self, **extra):
        """A client's environment: this compositor, Qt on Wayland, no X display."""
        return self.home.env(WAYLAND_DISPLAY=self.display, SWAYSOCK=self.ipc,
                             QT_QPA_PLATFORM="wayland", XDG_SESSION_TYPE="wayland", **extra)

    def run(self, command, check=True):
        return subprocess.run(as_user(command), env=self.env(), timeout=30, check=check,
                              capture_output=True).stdout

    def swaymsg(self, *args):
        return self.run(["swaymsg", *args]).decode()

    def modes(self):
        try:
            outputs = json.loads(self.run(["swaymsg", "-t", "get_outputs", "-r"], False) or "[]")
            return {o["name"]: [o["current_mode"][k] for k in ("width", "height")]
                    for o in outputs if o.get("active")}
        except (ValueError, KeyError):
            return None

    def screenshot(self, output, cursor=False):
        """One output as the compositor shows it, in device pixels."""
        return Screenshot(self.run(["grim", *(["-c"] if cursor else []), "-t", "ppm", "-o",
                                    output, "-"]))

    def key(self, name="x"):
        # A virtual keyboard of its own per call: without the pauses the client sees the
        # keyboard only after the key went down.
        self.run(["wtype", "-s", "300", "-P", name, "-s", "300", "-p", name])

    def said(self):
        return self.home.said("sway.log")[-3000:]


class VirtualPointer:
    """A mouse plugged into the seat for the session's life."""

    def __init__(self, sway):
        if not POINTER:
            raise RuntimeError("no test mouse: PELANDRA_VIRTUAL_POINTER names none")
        # The layout's extent: absolute moves are fractions of it.
        self.extent = (max(o.x + o.width // o.scale for o in sway.outputs),
                       max(o.height // o.scale for o in sway.outputs))
        self.process = sway.home.start([POINTER], env=sway.env(), stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE, text=True)
        self._answer()

    def _answer(self):
        if self.process.stdout.readline().strip() != "ok":
            raise RuntimeError("the test mouse did not start (no virtual pointers here?)")

    def _send(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        self._answer()
        time.sleep(0.3)  # delivered to the clients

    def move(self, x, y):
        """To (x, y) in the layout's logical pixels, all outputs together."""
        self._send(f"move {x} {y} {self.extent[0]} {self.extent[1]}")

    def click(self):
        self._send("press")
        self._send("release")

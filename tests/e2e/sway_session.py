"""A headless sway (Debian's sway 1.7) with outputs of given sizes, run as an ordinary user
(sway refuses root), and the environment, user and tools its clients need.

    with SwaySession([Output("HEADLESS-1", 800, 600), Output("HEADLESS-2", 1024, 768, x=800)])
            as sway:
        process = sway.popen([program], env=sway.env(XDG_CONFIG_HOME=...))
        shot = sway.screenshot("HEADLESS-2")   # an xsession.Screenshot of that output
        sway.key("x")                          # a key press (wtype)
        sway.pointer().move(1300, 400)         # a mouse (the test mouse, when built)

Everything lives in one private folder (`home`, owned by the user): the config, the runtime
folder with the compositor's socket, whatever a test writes there. `close()` (or leaving the
`with`) ends every process started through the session and removes the folder."""

import json
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass

sys.path.insert(0, os.path.dirname(__file__))
from xsession import Screenshot  # noqa: E402

# The test mouse (tests/e2e/wayland/virtual_pointer.c), when built: see SwaySession.pointer.
POINTER = os.environ.get("PELANDRA_VIRTUAL_POINTER", "")
BACKGROUND = "#3060c0"  # the desktop's colour, never black, so an uncovered output shows
TOOLS = ("sway", "swaymsg", "swaybg", "grim", "wtype")


@dataclass
class Output:
    name: str  # HEADLESS-1, HEADLESS-2, ... in the order the headless backend makes them
    width: int  # device pixels
    height: int
    x: int = 0  # position in the layout, in logical pixels
    y: int = 0
    scale: int = 1

    def config(self):
        return (f"output {self.name} mode {self.width}x{self.height} position {self.x} {self.y}"
                f" scale {self.scale} bg {BACKGROUND} solid_color")


def why_not():
    """Why no session can run here, or None."""
    missing = [tool for tool in TOOLS if not shutil.which(tool)]
    if missing:
        return (f"{', '.join(missing)} not installed (scripts/install-deps.sh installs sway, "
                "swaybg, grim and wtype)")
    return None


def ordinary_user():
    """The user sway and its clients run as: nobody when this runs as root, else oneself."""
    return pwd.getpwnam("nobody") if os.geteuid() == 0 else None


class SwaySession:
    def __init__(self, outputs, extra_config="", start_timeout=20):
        self.outputs = list(outputs)
        self.user = ordinary_user()
        self.home = tempfile.mkdtemp(prefix="pelandra-sway-")
        os.chmod(self.home, 0o755)  # the build tree's programs are read by the user too
        self.runtime = os.path.join(self.home, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.config = os.path.join(self.home, "sway.config")
        with open(self.config, "w", encoding="utf-8") as out:
            out.write("xwayland disable\n"  # clients must speak Wayland, never fall back to X
                      "default_border none\n"
                      "focus_follows_mouse no\n"
                      + "".join(o.config() + "\n" for o in self.outputs) + extra_config)
        self.give(self.home)
        self.processes = []
        self.log = open(os.path.join(self.home, "sway.log"), "w+b")
        # A full-screen window is composited like any other ("noscanout"): shown directly,
        # its buffer never reaches the image grim copies, which then keeps an old frame.
        debug = ["--debug"] if os.environ.get("PELANDRA_SWAY_DEBUG") else []
        environment = self._base_env(
            WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1",
            WLR_HEADLESS_OUTPUTS=str(len(self.outputs)))
        self.sway = self.popen(["sway", "-D", "noscanout", *debug, "--config", self.config],
                               env=environment, stdout=self.log, stderr=subprocess.STDOUT)
        try:
            self.display = self._wait_for_socket(start_timeout)
            self._wait_for_outputs(start_timeout)
        except Exception:
            self.close()
            raise

    # --- Running things as the user, in the session ---------------------------------------

    def give(self, path):
        """Hands `path` (a file or a whole folder) to the session's user."""
        if not self.user:
            return
        for folder, dirs, files in os.walk(path):
            for name in [folder, *(os.path.join(folder, n) for n in dirs + files)]:
                os.chown(name, self.user.pw_uid, self.user.pw_gid)
        if os.path.isfile(path):
            os.chown(path, self.user.pw_uid, self.user.pw_gid)

    def as_user(self, command):
        if not self.user:
            return list(command)
        return ["setpriv", f"--reuid={self.user.pw_uid}", f"--regid={self.user.pw_gid}",
                "--clear-groups", *command]

    def _base_env(self, **extra):
        keep = {k: v for k, v in os.environ.items()
                if k in ("PATH", "LANG", "LC_ALL", "PELANDRA_SAVER") or k.startswith("ASAN_")
                or k.startswith("LSAN_") or k.startswith("UBSAN_")}
        return dict(keep, HOME=self.home, XDG_RUNTIME_DIR=self.runtime,
                    USER=self.user.pw_name if self.user else os.environ.get("USER", ""), **extra)

    def env(self, **extra):
        """The environment of a client: this compositor, Qt on Wayland, no X display."""
        return self._base_env(WAYLAND_DISPLAY=self.display, SWAYSOCK=self.ipc,
                              QT_QPA_PLATFORM="wayland",
                              XDG_SESSION_TYPE="wayland", **extra)

    def popen(self, command, env=None, **kwargs):
        """Starts `command` as the user (ended by close())."""
        process = subprocess.Popen(self.as_user(command), env=env or self.env(), **kwargs)
        self.processes.append(process)
        return process

    def run(self, command, timeout=20, check=True, **kwargs):
        return subprocess.run(self.as_user(command), env=self.env(), timeout=timeout,
                              check=check, capture_output=True, **kwargs)

    def swaymsg(self, *args, check=True):
        return self.run(["swaymsg", *args], check=check).stdout.decode()

    # --- Looking and typing ----------------------------------------------------------------

    def screenshot(self, output, keep_as=None, cursor=False):
        """One output as the compositor shows it, in device pixels (with the pointer)."""
        ppm = self.run(["grim", *(["-c"] if cursor else []), "-t", "ppm", "-o", output, "-"],
                       timeout=30).stdout
        if keep_as:
            with open(keep_as, "wb") as out:
                out.write(ppm)
        return Screenshot(ppm)

    def key(self, name="x"):
        """One key pressed and released on a virtual keyboard of its own (wtype)."""
        # Without the pauses the client sees the keyboard only after the key went down.
        self.run(["wtype", "-s", "300", "-P", name, "-s", "300", "-p", name])

    def pointer(self):
        """A mouse plugged into the seat until close(): move(x, y) in the layout's logical
        pixels (all outputs together), click()."""
        return VirtualPointer(self, POINTER)

    def said(self):
        self.log.flush()
        with open(self.log.name, "rb") as f:
            return f.read().decode(errors="replace")

    # --- Start and end -----------------------------------------------------------------------

    def _wait_for_socket(self, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.sway.poll() is not None:
                raise RuntimeError(f"sway ended with status {self.sway.returncode}:\n"
                                   + self.said()[-3000:])
            sockets = [n for n in os.listdir(self.runtime)
                       if n.startswith("wayland-") and not n.endswith(".lock")]
            ipc = [n for n in os.listdir(self.runtime) if n.startswith("sway-ipc.")]
            if sockets and ipc:
                self.ipc = os.path.join(self.runtime, ipc[0])
                return sockets[0]
            time.sleep(0.1)
        raise RuntimeError("sway made no socket:\n" + self.said()[-3000:])

    def _wait_for_outputs(self, timeout):
        """Until every output is active at the mode asked for."""
        want = {o.name: (o.width, o.height) for o in self.outputs}
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            answer = self.run(["swaymsg", "-t", "get_outputs", "-r"], check=False).stdout
            try:
                got = {o["name"]: (o["current_mode"]["width"], o["current_mode"]["height"])
                       for o in json.loads(answer or b"[]") if o.get("active")}
            except (ValueError, KeyError):
                got = {}
            if all(got.get(name) == size for name, size in want.items()):
                time.sleep(0.5)  # the backgrounds drawn
                return
            time.sleep(0.2)
        raise RuntimeError("sway's outputs never took their modes:\n" + self.said()[-3000:])

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(timeout=5)
            for stream in (process.stdin, process.stdout, process.stderr):
                if stream:
                    stream.close()
        self.log.close()
        shutil.rmtree(self.home, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class VirtualPointer:
    def __init__(self, session, program):
        if not program:
            raise RuntimeError("no test mouse: PELANDRA_VIRTUAL_POINTER names none")
        # The layout's extent: absolute moves are fractions of it.
        self.extent = (max(o.x + o.width // o.scale for o in session.outputs),
                       max(o.y + o.height // o.scale for o in session.outputs))
        self.process = session.popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     text=True)
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
        self._send(f"move {x} {y} {self.extent[0]} {self.extent[1]}")

    def click(self):
        self._send("press")
        self._send("release")

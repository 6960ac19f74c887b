"""The program at home as a desktop runs it: an ordinary user's folder holding a copy of the
program, a photo, the settings and a runtime folder, and the processes started in it."""

import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import time

from xsession import CONVERT, SAVER, near

GREEN = (0x30, 0xC0, 0x30)  # the photo: no such colour in the title picture
GREEN_PHOTO = ("63COUPE.JPG", ["-size", "320x200", "xc:#30c030"])
# Daemons and compositors refuse root: when the tests run as root, everything runs as nobody.
USER = pwd.getpwnam("nobody") if os.geteuid() == 0 else None


def wait_until(test, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = test()
        if value:
            return value
        time.sleep(0.1)
    return test()


def missing(tools):
    """Why programs cannot run here (some of `tools` are not installed), or None."""
    gone = [tool for tool in tools if not shutil.which(tool)]
    return f"{', '.join(gone)} not installed (scripts/install-deps.sh installs them)" \
        if gone else None


def as_user(command):
    if not USER:
        return list(command)
    return ["setpriv", f"--reuid={USER.pw_uid}", f"--regid={USER.pw_gid}", "--clear-groups",
            *command]


def children(pid):
    """The processes `pid` has started and not yet reaped (a watcher's show among them)."""
    try:
        with open(f"/proc/{pid}/task/{pid}/children") as f:
            return [int(child) for child in f.read().split()]
    except FileNotFoundError:
        return []


def photo_shown(shot):
    """`shot` if an 800 x 600 screen shows the green photo filling the show's frame."""
    corners = (shot.pixel(400, 240), shot.pixel(14, 11), shot.pixel(785, 478))
    return shot if all(near(p, GREEN) for p in corners) else None


def decoder_of(program):
    """The picture decoder the program starts: beside it in a build folder, in the package's
    libexec folder where it is installed."""
    folder = os.path.dirname(program)
    beside = os.path.join(folder, "pelandra-picture-decoder")
    installed = os.path.join(folder, "..", "libexec", "pelandra-saver", "pelandra-picture-decoder")
    return beside if os.path.exists(beside) else os.path.normpath(installed)


class SaverHome:
    """A folder owned by USER: bin/pelandra-saver and its decoder, cd/pyrnox/<photo>, runtime/ and
    .config/pelandra-omnarium/screensaver.ini. close() ends every process started through
    start(), with all it started, and removes the folder."""

    def __init__(self, photo=GREEN_PHOTO, interval=1, watch_minutes=None, program=True):
        self.path = tempfile.mkdtemp(prefix="pelandra-home-")
        self.processes = []
        self.program = os.path.join(self.path, "bin", "pelandra-saver")
        self.decoder = os.path.join(self.path, "bin", "pelandra-picture-decoder")
        os.makedirs(os.path.dirname(self.program))
        if program:
            shutil.copy2(SAVER, self.program)
            shutil.copy2(decoder_of(SAVER), self.decoder)
        photos = os.path.join(self.path, "cd", "pyrnox")
        os.makedirs(photos)
        if photo:
            subprocess.run([CONVERT, *photo[1], os.path.join(photos, photo[0])], check=True,
                           timeout=30)
        self.runtime = os.path.join(self.path, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        watch = f"[Watch]\nMinutes={watch_minutes}\n" if watch_minutes else ""
        self.write(".config/pelandra-omnarium/screensaver.ini",
                   f"[Settings]\nInterval={interval}\nPelandrasDir={photos}/\n{watch}")

    def write(self, relative, text):
        path = os.path.join(self.path, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as out:
            out.write(text)
        self.give()
        return path

    def give(self):
        """Hands everything in the folder to USER."""
        if USER:
            for folder, dirs, files in os.walk(self.path):
                for name in [folder, *(os.path.join(folder, n) for n in dirs + files)]:
                    os.chown(name, USER.pw_uid, USER.pw_gid)

    def env(self, **extra):
        """A desktop session's short environment; the settings are found from HOME."""
        keep = {k: v for k, v in os.environ.items() if k in ("PATH", "LANG", "LC_ALL")
                or k.startswith(("ASAN_", "LSAN_", "UBSAN_"))}
        return {"PATH": os.defpath, "LANG": "C.UTF-8", **keep, "HOME": self.path,
                "XDG_RUNTIME_DIR": self.runtime,
                "USER": USER.pw_name if USER else os.environ.get("USER", ""), **extra}

    def start(self, command, log=None, user=True, **kwargs):
        """`command` (as USER unless `user` is false) in a process group of its own; with
        `log`, its output goes to that file of the home (see said)."""
        kwargs.setdefault("env", self.env())
        if log:
            with open(os.path.join(self.path, log), "wb") as out:
                return self.start(command, user=user, stdout=out, stderr=subprocess.STDOUT,
                                  **kwargs)
        process = subprocess.Popen(as_user(command) if user else command,
                                   start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def said(self, log):
        with open(os.path.join(self.path, log), "rb") as f:
            return f.read().decode(errors="replace")

    def close(self):
        for process in reversed(self.processes):
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            process.wait(timeout=10)
            for stream in (process.stdin, process.stdout, process.stderr):
                if stream:
                    stream.close()
        shutil.rmtree(self.path, ignore_errors=True)

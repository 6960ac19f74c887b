"""A home for the program as a daemon or compositor runs it, as an ordinary user: a copy of
the program, one green photo and a settings file; and waiting for a condition."""

import os
import pwd
import shutil
import subprocess
import tempfile
import time

from xsession import CONVERT, SAVER

GREEN = (0x30, 0xC0, 0x30)


def wait_until(test, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = test()
        if value:
            return value
        time.sleep(0.1)
    return test()


def ordinary_user():
    """nobody when the tests run as root (daemons and compositors refuse root), else None."""
    return pwd.getpwnam("nobody") if os.geteuid() == 0 else None


def as_user(user, command):
    if not user:
        return list(command)
    return ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--clear-groups",
            *command]


class SaverHome:
    """`path` (a new folder by default) holding bin/pelandra-saver, cd/pyrnox/63COUPE.JPG and
    .config/pelandra-omnarium/screensaver.ini with a one-second interval and `watch_minutes`."""

    def __init__(self, user, path=None, watch_minutes=None):
        self.path = path or tempfile.mkdtemp(prefix="pelandra-home-")
        os.makedirs(self.path, mode=0o755, exist_ok=True)
        os.chmod(self.path, 0o755)
        self.bin = os.path.join(self.path, "bin")
        os.makedirs(self.bin)
        self.program = os.path.join(self.bin, "pelandra-saver")
        shutil.copy2(SAVER, self.program)
        photos = os.path.join(self.path, "cd", "pyrnox")
        os.makedirs(photos)
        subprocess.run([CONVERT, "-size", "320x200", "xc:#30c030",
                        os.path.join(photos, "63COUPE.JPG")], check=True, timeout=30)
        self.config = os.path.join(self.path, ".config")
        os.makedirs(os.path.join(self.config, "pelandra-omnarium"))
        watch = f"[Watch]\nMinutes={watch_minutes}\n" if watch_minutes else ""
        with open(os.path.join(self.config, "pelandra-omnarium", "screensaver.ini"), "w",
                  encoding="utf-8") as out:
            out.write(f"[Settings]\nInterval=1\nPelandrasDir={photos}/\n{watch}")
        self.user = user
        self.give(self.path)

    def give(self, path):
        if not self.user:
            return
        for folder, dirs, files in os.walk(path):
            for name in [folder, *(os.path.join(folder, n) for n in dirs + files)]:
                os.chown(name, self.user.pw_uid, self.user.pw_gid)

    def close(self):
        shutil.rmtree(self.path, ignore_errors=True)

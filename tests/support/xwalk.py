"""What the walks on a real X server share: a D-Bus session of their own,
the processes they start (each with its log in the work folder, all ended
when the walk ends) and an X server on a display number it picks itself.
"""

import os
import select
import subprocess
import sys
import time


class WalkFailed(Exception):
    pass


def in_own_session(marker):
    """None when this script already runs in a D-Bus session of its own;
    otherwise runs it again inside one and gives that run's exit status.
    Whatever the walk starts is then a child of the script, so an exit
    status (or signal) is seen as it is, and buses are the walk's."""
    if os.environ.get(marker) == "1":
        return None
    os.environ[marker] = "1"
    return subprocess.call(["dbus-run-session", "--", sys.executable, *sys.argv])


class Processes:
    """The walk's processes, started with env in work, each one's output
    in work/NAME.log."""

    def __init__(self, work, env):
        self.work = work
        self.env = env
        self.procs = []

    def start(self, argv, name, **kw):
        out = open(os.path.join(self.work, name + ".log"), "wb")
        p = subprocess.Popen(argv, env=self.env, stdout=out, stderr=subprocess.STDOUT,
                             stdin=subprocess.DEVNULL, **kw)
        self.procs.append(p)
        return p

    def log_of(self, name):
        try:
            with open(os.path.join(self.work, name + ".log"), errors="replace") as f:
                return f.read().strip()
        except OSError:
            return ""

    def start_xvfb(self, screen, timeout, extra=()):
        """Starts Xvfb with a screen of screen (width, height) at 24 bits and
        gives it and its display (":N"). The server picks a free display
        number itself and writes it to a pipe once it listens: choosing one
        here raced other servers starting at the same moment, and a client
        could reach a server about to lose the number."""
        reader, writer = os.pipe()
        try:
            xvfb = self.start(["Xvfb", "-displayfd", str(writer), "-screen", "0",
                               f"{screen[0]}x{screen[1]}x24", *extra, "-nolisten", "tcp"],
                              "xvfb", pass_fds=(writer,))
        finally:
            os.close(writer)
        number = b""
        with os.fdopen(reader, "rb") as pipe:
            deadline = time.monotonic() + timeout
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                if not select.select([pipe], [], [], 0.2)[0]:
                    continue
                chunk = os.read(pipe.fileno(), 16)
                if not chunk:
                    break
                number += chunk
        if not number.strip().isdigit():
            raise WalkFailed("no X server could be started: " + self.log_of("xvfb"))
        return xvfb, ":" + number.strip().decode()

    def stop(self):
        """Ends what still runs, the last started first."""
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()

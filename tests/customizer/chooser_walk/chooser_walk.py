#!/usr/bin/env python3
"""Chooser on a real X server, driven through the desktop accessibility tree.

Installs the built programs into a product folder of its own (with a
registry store of its own) through tandrix install, starts an X server
(Xvfb) and the accessibility bus in a D-Bus session of its own, starts
Chooser in the product folder and does what a player does, finding every
control by its visible text in the AT-SPI tree and clicking it:

  (Current names quake.vcg)           Chooser opens it: Quake, from games
  (a second start, outside the folder) ends at once, the first one stays
  Select Game, Windows 95 Games, a row chosen through the accessible
  selection (not the current row), OK  that row's configuration opens
  Select Game, DOS Games, Quake, OK   the Quake configuration opens
  the slider to 150, Full Freedom, Vertical  (radio buttons, checked)
  Save Settings                       games/quake.vcg is written
  Exit                                Chooser ends with status 0

Then the file on disk must read LEVEL = INTERMEDIATE, ORIENTATION =
VERTICAL and a master sensitivity of 1.50, every other line as before.

Then svcsetup, started as the monitor starts it for TEN: its games are
radio buttons, Quake is chosen, a host path typed, OK set up the game;
a restore brings the game's bytes back.

  chooser_walk.py --tandrix BUILD/tools/tandrix

Exit status 0 when the walk passed, 1 when it failed, 77 (skipped) when
the X server, the input tool or the accessibility library is missing.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import xwalk  # noqa: E402
from xwalk import WalkFailed  # noqa: E402

SKIPPED = 77
SHORT = 20.0  # bounds for what normally takes well under a second
TOOLS = ["Xvfb", "xdotool", "dbus-run-session"]
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
TITLE = "Customizer Utility V4.71"


def log(text):
    print(f"chooser_walk: {text}", flush=True)


def wait_for(what, probe, timeout=SHORT):
    end = time.monotonic() + timeout
    while True:
        try:
            found = probe()
        except WalkFailed:
            raise
        except Exception:  # the tree changes under a search; look again
            found = None
        if found:
            return found
        if time.monotonic() > end:
            raise WalkFailed(f"no {what} within {timeout:.0f} s")
        time.sleep(0.1)


def find(root, role, name=None):
    """The first showing node below root with this role and name (any name
    when None)."""
    import pyatspi
    stack = [root]
    while stack:
        node = stack.pop(0)
        if node is None:
            continue
        if node.getRoleName() == role and name in (None, node.name) and \
                node.getState().contains(pyatspi.STATE_SHOWING):
            return node
        stack.extend(node.getChildAtIndex(i) for i in range(node.childCount))
    return None


class Walk:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.env = dict(os.environ)
        self.env["TANDRIX_REGISTRY"] = os.path.join(work, "registry.db")
        self.env["XDG_RUNTIME_DIR"] = os.path.join(work, "run")
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env.pop("TANDRIX_HEADLESS", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        # The real X server: the tests around may ask Qt for its offscreen one.
        self.env.pop("QT_QPA_PLATFORM", None)
        os.mkdir(self.env["XDG_RUNTIME_DIR"], 0o700)
        self.processes = xwalk.Processes(work, self.env)
        self.product = os.path.join(work, "Tandrix")

    def start(self, argv, name, cwd=None):
        return self.processes.start(argv, name, cwd=cwd)

    def log_of(self, name):
        return self.processes.log_of(name)

    def start_desktop(self):
        _, self.env["DISPLAY"] = self.processes.start_xvfb((1024, 768), SHORT)
        os.environ["DISPLAY"] = self.env["DISPLAY"]
        self.start([BUS_LAUNCHER, "--launch-immediately"], "atspi")

    def start_chooser(self):
        # An X server that has just come up now and then refuses the first
        # Qt client (the program then ends before its window shows); such a
        # start is tried again.
        for attempt in range(3):
            chooser = self.start([os.path.join(self.product, "Chooser")], "chooser", cwd=self.product)
            try:
                self.window(TITLE, lambda: chooser.poll() is not None)
            except WalkFailed:
                pass
            if chooser.poll() is None:
                return chooser
            log(f"start {attempt + 1} ended with {chooser.returncode}: {self.log_of('chooser')[:80]!r}")
        raise WalkFailed("Chooser did not start: " + self.log_of("chooser"))

    def click(self, node):
        import pyatspi
        x, y, w, h = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "click", "1"],
                       env=self.env, check=True, timeout=SHORT)

    def press(self, window, role, name):
        node = wait_for(f"{role} '{name}'", lambda: find(window, role, name))
        self.click(node)

    def window(self, title, gone=lambda: False, program="Chooser"):
        import pyatspi
        def probe():
            if gone():
                raise WalkFailed("the program ended")
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.name == program:
                    return find(app, "dialog", title) or find(app, "alert", title)
            return None
        return wait_for(f"window '{title}'", probe)

    def choose_radio(self, window, name):
        """Clicks a radio button, which must say it is one, and waits for it
        to be checked."""
        import pyatspi
        node = wait_for(f"radio button '{name}'", lambda: find(window, "radio button", name))
        self.click(node)
        wait_for(f"'{name}' checked", lambda: node.getState().contains(pyatspi.STATE_CHECKED))

    @staticmethod
    def select_row(listing, name):
        """Selects a list row as an assistive technology does, through the
        selection (the table's row selection where the toolkit offers no
        selection interface), which leaves the current row where it was."""
        rows = [listing.getChildAtIndex(i) for i in range(listing.childCount)]
        index = [r.name for r in rows].index(name)
        try:
            listing.querySelection().selectChild(index)
        except NotImplementedError:
            listing.queryTable().addRowSelection(index)

    def run(self):
        subprocess.run([self.args.tandrix, "install", self.product], env=self.env, check=True,
                       capture_output=True, timeout=60)
        quake = os.path.join(self.product, "games", "quake.vcg")
        with open(quake, "rb") as f:
            before = f.read().decode()
        # The monitor made a DOS game's configuration live last: its file is
        # in games, and Chooser opens it from there.
        subprocess.run([self.args.tandrix, "profile", "set", os.path.join(self.product, "Tandmon.ini"),
                        "Games", "Current", "quake.vcg"], env=self.env, check=True, timeout=60)
        self.start_desktop()
        chooser = self.start_chooser()
        main = self.window(TITLE)
        wait_for("Quake opened at start", lambda: find(main, "label", "Quake"))
        if find(main, "label", "<none>"):
            raise WalkFailed("Chooser opened <none>")
        # A second start brings this one forward and ends at once, even
        # from a folder that is no product folder.
        second = self.start([os.path.join(self.product, "Chooser")], "second", cwd=self.work)
        wait_for("the second start to end", lambda: second.poll() is not None)
        if second.returncode != 0 or chooser.poll() is not None:
            raise WalkFailed(f"second start ended with {second.returncode}: {self.log_of('second')}")
        self.press(main, "push button", "Select Game")
        kind = wait_for("game type dialog",
                        lambda: find(self.window(TITLE).parent, "push button", "Windows 95 Games"))
        self.click(kind)
        prompt = wait_for("Windows 95 game list", lambda: find(
            self.window(TITLE).parent, "label", "Choose the Windows 95 game configuration to load:"))
        listing = wait_for("the list", lambda: find(prompt.parent, "list"))
        self.select_row(listing, "Joystick Emulation (2-axis)")
        self.press(prompt.parent, "push button", "OK")
        wait_for("Joystick Emulation opened", lambda: find(main, "label", "Joystick Emulation (2-axis)"))

        self.press(main, "push button", "Select Game")
        kind = wait_for("game type dialog",
                        lambda: find(self.window(TITLE).parent, "push button", "DOS Games"))
        self.click(kind)
        games = wait_for("DOS game list", lambda: find(
            self.window(TITLE).parent, "label", "Choose the DOS game configuration to load:"))
        listing = games.parent
        self.press(listing, "list item", "Quake")
        self.press(listing, "push button", "OK")
        wait_for("Quake opened", lambda: find(main, "label", "Quake"))

        slider = wait_for("slider", lambda: find(main, "slider", "Sensitivity"))
        slider.queryValue().currentValue = 150
        wait_for("slider at 150", lambda: slider.queryValue().currentValue == 150)
        self.choose_radio(main, "Full Freedom")
        self.choose_radio(main, "Vertical")
        self.press(main, "push button", "Save Settings")
        wait_for("quake.vcg saved", lambda: "ORIENTATION = VERTICAL" in open(quake, "rb").read().decode())
        self.press(main, "push button", "Exit")
        code = wait_for("Chooser to end", lambda: chooser.poll() is not None) and chooser.returncode
        if code != 0:
            raise WalkFailed(f"Chooser ended with {code}: {self.log_of('chooser')}")

        after = open(quake, "rb").read().decode()
        want = before.replace("ORIENTATION = HORIZONTAL", "ORIENTATION = VERTICAL").replace(
            "SENS_INT_USER = { 0.80, 0.70, 0.85, 0.75, 0.80, 0.60, 1.00 }",
            "SENS_INT_USER = { 0.80, 0.70, 0.85, 0.75, 0.80, 0.60, 1.50 }")
        def lines(text):
            return [l for l in text.split("\r\n") if "created by MVA_WriteCfgFile on:" not in l]
        if "LEVEL = INTERMEDIATE\r\n" not in after or lines(after) != lines(want):
            diff = [f"{a!r} != {b!r}" for a, b in zip(lines(after), lines(want)) if a != b]
            raise WalkFailed("quake.vcg does not read as saved: " + "; ".join(diff[:5]))
        self.svcsetup()

    def svcsetup(self):
        """svcsetup as the monitor starts it when TEN starts, then the restore."""
        import pyatspi
        game_dir = os.path.join(self.work, "quake")
        os.mkdir(game_dir)
        game = os.path.join(game_dir, "quaketen.exe")
        data = bytes(range(256)) * 64
        with open(game, "wb") as f:
            f.write(data)
        with open(os.path.join(self.product, "support", "specmva.exe"), "wb") as f:
            f.write(b"MZ launcher" * 10)
        program = os.path.join(self.product, "svcsetup")
        setup = self.start([program, "1", "ten.exe"], "svcsetup", cwd=self.product)
        main = self.window("Game Service Setup", lambda: setup.poll() is not None, "svcsetup")
        descent = wait_for("radio button 'Descent'", lambda: find(main, "radio button", "Descent"))
        if descent.getState().contains(pyatspi.STATE_ENABLED):
            raise WalkFailed("Descent is offered for TEN")
        self.choose_radio(main, "Quake")
        edit = wait_for("the path", lambda: find(main, "text"))
        edit.queryEditableText().setTextContents(game)
        wait_for("the path typed", lambda: edit.queryText().getText(0, -1) == game)
        self.press(main, "push button", "OK")
        box = self.window("INFORMATION", lambda: setup.poll() is not None, "svcsetup")
        self.press(box, "push button", "OK")
        wait_for("svcsetup to end", lambda: setup.poll() is not None)
        if setup.returncode != 0:
            raise WalkFailed(f"svcsetup ended with {setup.returncode}: {self.log_of('svcsetup')}")
        with open(os.path.join(game_dir, "realgame.exe"), "rb") as f:
            if f.read() != data:
                raise WalkFailed("realgame.exe is not the game")
        subprocess.run([program, "0", "ten.exe"], env=self.env, cwd=self.product, check=True,
                       capture_output=True, timeout=SHORT)
        with open(game, "rb") as f:
            if f.read() != data:
                raise WalkFailed("the restore did not bring the game back")

    def stop(self):
        self.processes.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tandrix", required=True, help="the built tandrix tool")
    args = parser.parse_args()

    try:
        import pyatspi  # noqa: F401
    except ImportError:
        # The accessibility library is the system Python's; another Python
        # first on PATH does not have it.
        if os.path.exists("/usr/bin/python3") and sys.executable != "/usr/bin/python3":
            return subprocess.call(["/usr/bin/python3", *sys.argv])
        print("chooser_walk: SKIPPED: python3-pyatspi is not installed (scripts/deps installs it)")
        return SKIPPED
    missing = [t for t in TOOLS if shutil.which(t) is None]
    if not os.path.exists(BUS_LAUNCHER):
        missing.append("at-spi2-core")
    if missing:
        print(f"chooser_walk: SKIPPED: not installed: {', '.join(missing)} (scripts/deps installs them)")
        return SKIPPED
    # A D-Bus session of its own, so the accessibility bus is the walk's.
    session = xwalk.in_own_session("CHOOSER_WALK_SESSION")
    if session is not None:
        return session

    work = tempfile.mkdtemp(prefix="chooser-walk.")
    walk = Walk(args, work)
    try:
        walk.run()
        log("passed")
        return 0
    except (WalkFailed, subprocess.SubprocessError, OSError) as e:
        log(f"FAILED: {e}")
        log("processes: " + ", ".join(f"{' '.join(p.args[:2])} -> {p.poll()}"
                                      for p in walk.processes.procs))
        for name in ("chooser", "second", "svcsetup", "atspi", "xvfb"):
            text = walk.log_of(name)
            if text:
                log(f"{name} said:\n{text}")
        return 1
    finally:
        walk.stop()
        if not os.environ.get("CHOOSER_WALK_KEEP"):
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

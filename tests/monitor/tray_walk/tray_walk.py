#!/usr/bin/env python3
"""Tandmon in a real system tray, driven by real input.

Installs the built programs into a product folder of its own (with a
registry store of its own), starts an X server (Xvfb), trayer as the system
tray and a D-Bus session, starts Tandmon there and walks its tray menu the
way a player does: a right click on the icon, then the entry's key.

  About      the About box appears and closes
  Suspend    the icon turns into the suspended one; a game started now is
             not made live
  Resume     the icon is the normal one again; the game goes live within a
             tick
  Customize  the customizer named by Tandmon.ini starts in the product
             folder; when it ends, the default configuration (chosen anew
             meanwhile) is made live
  (a game added with tandrix game add, with instructions) goes live when it
             starts, without a restart; its instructions window opens, and
             when the game ends behind it the default is live again within
             two ticks while the window stays open
  (again)    another start while the menu is open: the running monitor
             ends with status 0 and the new one shows its icon
  Exit       Tandmon ends with status 0, not by a signal

What is live is read from the registry store (tandrix reg export), the icon
from the X server's frame buffer, the icon's tip (it names what is live)
from the accessibility tree when at-spi2-core and python3-pyatspi are there. Screenshots of the steps go to
SCREENSHOTS/tray_walk_*.png.

  tray_walk.py --tandrix BUILD/tools/tandrix --customizer STANDIN [--screenshots DIR] [--keep]

Exit status 0 when the walk passed, 1 when it failed, 77 (skipped) when the
X server, the tray or the input tool is not installed.
"""

import argparse
import os
import re
import signal
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
import xwalk  # noqa: E402
from xwalk import WalkFailed  # noqa: E402

SKIPPED = 77
TICK = 3.0  # the monitor's watch interval
# Bounds for things that normally take well under a second; generous, as
# the walk shares the machine with the other suites.
SHORT = 15.0
TOOLS = ["Xvfb", "trayer", "xdotool", "xwininfo", "dbus-run-session"]
ABOUT_TITLE = "About Tandrix Monitor"
# The monitor looks at every process of the machine, and knows games and
# its customizer by their program names. The walk's game (listed with the
# Quake configuration) and its customizer have names of this run's own, so
# that neither another suite's quake.exe nor another walk running at the
# same time is taken for them.
CUSTOMIZER = f"Cfg{os.getpid()}.exe"
GAME = f"walk{os.getpid()}.exe"
ADDED_GAME = f"added{os.getpid()}.exe"
ADDED_TITLE = "Added Walk"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
SCREEN = (800, 600)


def ending(code):
    return f"signal {-code}" if code < 0 else f"status {code}"


def log(text):
    print(f"tray_walk: {text}", flush=True)


def wait_for(what, condition, timeout, interval=0.1):
    """The first true value of condition(), or WalkFailed after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise WalkFailed(f"no {what} within {timeout:.0f}s")
        time.sleep(interval)


def act_until(what, action, condition, tries=3, each=5.0):
    """Runs action until condition() holds within each seconds of it. Input
    sent in the moment a window maps, before it has taken the keyboard or
    the pointer, is lost; sent again it is not, and a window that did take
    it has gone and is not hit twice."""
    for _ in range(tries - 1):
        action()
        try:
            return wait_for(what, condition, each)
        except WalkFailed:
            pass
    action()
    return wait_for(what, condition, each)


def hold_for(what, condition, seconds, interval=0.2):
    """Fails as soon as condition() is false during the next seconds."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if not condition():
            raise WalkFailed(what)
        time.sleep(interval)


# --- the X server's frame buffer (Xvfb -fbdir keeps it as an XWD file) -----


class FrameBuffer:
    def __init__(self, path):
        self.path = path

    def read(self):
        with open(self.path, "rb") as f:
            data = f.read()
        fields = struct.unpack(">25I", data[:100])
        header_size, depth = fields[0], fields[3]
        width, height = fields[4], fields[5]
        byte_order, bits = fields[7], fields[11]
        line = fields[12]
        masks = fields[14:17]
        ncolors = fields[19]
        if bits != 32 or depth < 24:
            raise WalkFailed(f"frame buffer of {bits} bits per pixel, depth {depth}: not supported")
        start = header_size + ncolors * 12
        order = "<" if byte_order == 0 else ">"
        return width, height, line, masks, order, data[start:]

    def rgb_rows(self, x, y, w, h):
        """Rows of (r, g, b) tuples of the screen rectangle."""
        width, height, line, masks, order, pixels = self.read()
        shifts = [(m & -m).bit_length() - 1 for m in masks]
        rows = []
        for row in range(max(0, y), min(height, y + h)):
            cells = []
            for col in range(max(0, x), min(width, x + w)):
                (p,) = struct.unpack_from(order + "I", pixels, row * line + col * 4)
                cells.append(tuple((p & m) >> s for m, s in zip(masks, shifts)))
            rows.append(cells)
        return rows

    def save_png(self, path):
        width, height, _, _, _, _ = self.read()
        rows = self.rgb_rows(0, 0, width, height)
        raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in rows)

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, len(rows), 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(raw)))
            f.write(chunk(b"IEND", b""))


def icon_kind(frame, icon):
    """'normal' (the blue ball of icon 104), 'suspended' (icon 139: a
    picture without blue) or None while nothing is drawn yet."""
    x, y, w, h = icon["x"], icon["y"], icon["w"], icon["h"]
    rows = frame.rgb_rows(x, y, w, h)
    cells = [px for row in rows for px in row]
    if not cells:
        return None
    blue = sum(1 for r, g, b in cells if b > 120 and b > r + 50 and b > g + 50)
    background = rows[0][0]
    drawn = sum(1 for px in cells if max(abs(a - b) for a, b in zip(px, background)) > 40)
    if blue >= 10:
        return "normal"
    if drawn >= 20:
        return "suspended"
    return None


# --- windows ---------------------------------------------------------------

WINDOW_LINE = re.compile(
    r'^(\s*)(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)): \((.*?)\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)')


def windows(env):
    """Every window under the root: id, name, class, size, absolute
    position, and whether it lies inside trayer's panel."""
    out = subprocess.run(["xwininfo", "-root", "-tree"], env=env, capture_output=True,
                         text=True, timeout=SHORT).stdout
    found = []
    panels = []  # indentation of the trayer panels we are inside
    for line in out.splitlines():
        m = WINDOW_LINE.match(line)
        if not m:
            continue
        indent = len(m.group(1))
        while panels and indent <= panels[-1]:
            panels.pop()
        name, klass = m.group(3) or "", m.group(4)
        found.append({"id": int(m.group(2), 16), "name": name, "class": klass,
                      "w": int(m.group(5)), "h": int(m.group(6)),
                      "x": int(m.group(7)), "y": int(m.group(8)),
                      "in_tray": bool(panels), "top": indent <= 5})
        if '"trayer"' in klass and name == "panel":
            panels.append(indent)
    return found


def shown(env, name):
    """Tandmon's mapped top-level windows called name."""
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "Tandmon"],
                         env=env, capture_output=True, text=True, timeout=SHORT).stdout
    mapped = {int(w) for w in out.split()}
    return [w for w in windows(env) if w["top"] and w["id"] in mapped and w["name"] == name]


def tray_icon(env):
    for w in windows(env):
        if w["in_tray"] and w["name"] == "Tandmon" and w["w"] > 1:
            return w
    return None


def menu_window(env):
    # The popup menu is the only window of Tandmon's own shown at the top.
    menus = shown(env, "Tandmon")
    return menus[0] if menus else None


# --- the walk --------------------------------------------------------------


class Walk:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.product = os.path.join(work, "product")
        self.shots = args.screenshots
        self.frame = None
        self.monitor = None
        self.monitor_log = ""
        self.game = None
        self.env = dict(os.environ)
        for name in ("QT_QPA_PLATFORM", "TANDRIX_HEADLESS", "WAYLAND_DISPLAY", "DISPLAY"):
            self.env.pop(name, None)
        # A store, an instance channel and a home of this run's own, so a
        # monitor the user runs is left alone.
        self.env["TANDRIX_REGISTRY"] = os.path.join(work, "registry.db")
        self.env["XDG_RUNTIME_DIR"] = os.path.join(work, "run")
        self.env["HOME"] = os.path.join(work, "home")
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        os.mkdir(self.env["XDG_RUNTIME_DIR"], 0o700)
        os.mkdir(self.env["HOME"])
        self.processes = xwalk.Processes(work, self.env)

    def start(self, argv, name, **kw):
        return self.processes.start(argv, name, **kw)

    def tool(self, *argv, cwd=None):
        r = subprocess.run([self.args.tandrix, *argv], env=self.env, capture_output=True,
                           text=True, timeout=SHORT, cwd=cwd)
        if r.returncode != 0:
            raise WalkFailed(f"tandrix {' '.join(argv)}: {r.stderr.strip() or r.stdout.strip()}")
        return r.stdout

    def live(self):
        """The file name of the configuration live in the registry store."""
        m = re.search(r'^"Joy1ConfigurationFile"="(.*)"$', self.tool("reg", "export"), re.M)
        return m.group(1).replace("\\\\", "\\").rsplit("\\", 1)[-1].lower() if m else ""

    def shot(self, name):
        if self.shots and self.frame:
            self.frame.save_png(os.path.join(self.shots, f"tray_walk_{name}.png"))

    def set_up_product(self):
        if self.shots:
            os.makedirs(self.shots, exist_ok=True)
            for old in os.listdir(self.shots):
                if old.startswith("tray_walk_"):
                    os.remove(os.path.join(self.shots, old))
        self.tool("install", self.product)
        if not os.access(os.path.join(self.product, "Tandmon"), os.X_OK):
            raise WalkFailed("tandrix install put no Tandmon into the product folder")
        ini = os.path.join(self.product, "Tandmon.ini")
        shutil.copy(self.args.customizer, os.path.join(self.product, CUSTOMIZER))
        self.tool("profile", "set", ini, "Defaults", "Customizer", CUSTOMIZER)
        # A game list with the walk's game only. No instructions dialog when
        # it starts (the walk is about the menu); the marker in its folder
        # says it needs no preparation.
        games = os.path.join(self.product, "games.ini")
        os.remove(games)
        for key, value in (("GameTitle", "Tray Walk"), ("GameExe", GAME), ("GameVcg", "quake.vcg"),
                           ("NewGame", "0")):
            self.tool("profile", "set", games, "Game1", key, value)
        self.game_dir = os.path.join(self.work, "game")
        os.mkdir(self.game_dir)
        shutil.copy("/bin/sleep", os.path.join(self.game_dir, GAME))
        shutil.copy("/bin/sleep", os.path.join(self.game_dir, ADDED_GAME))
        open(os.path.join(self.game_dir, "tandrix.mrk"), "w").close()

    def answers(self):
        return subprocess.run(["xwininfo", "-root"], env=self.env, capture_output=True,
                              timeout=SHORT).returncode == 0

    def start_desktop(self):
        fbdir = os.path.join(self.work, "fb")
        os.mkdir(fbdir)
        xvfb, self.env["DISPLAY"] = self.processes.start_xvfb(SCREEN, SHORT, ("-fbdir", fbdir))
        wait_for("X server", lambda: xvfb.poll() is not None or self.answers(), SHORT)
        if xvfb.poll() is not None:
            raise WalkFailed("the X server ended at once: " + self.log_of("xvfb"))
        self.frame = FrameBuffer(os.path.join(fbdir, "Xvfb_screen0"))
        trayer = self.start(["trayer", "--edge", "top", "--align", "right", "--widthtype",
                             "request", "--height", "24"], "trayer")
        wait_for("trayer panel", lambda: trayer.poll() is not None or any(
            w["name"] == "panel" and '"trayer"' in w["class"] for w in windows(self.env)), SHORT)
        if trayer.poll() is not None:
            raise WalkFailed("trayer ended at once: " + self.log_of("trayer"))
        self.accessible = False
        try:
            import pyatspi  # noqa: F401
            self.accessible = os.path.exists(BUS_LAUNCHER)
        except ImportError:
            pass
        if self.accessible:
            os.environ["DISPLAY"] = self.env["DISPLAY"]
            self.start([BUS_LAUNCHER, "--launch-immediately"], "atspi")
        else:
            log("the icon's tip is not checked: at-spi2-core or python3-pyatspi is missing")

    def tip(self):
        """The tip of Tandmon's tray icon: the pointer rests on the icon and
        the tool tip that shows is read from the accessibility tree."""
        import pyatspi
        icon = tray_icon(self.env)
        if icon is None:
            return None
        # Away first, so the tip shows anew with what it says now.
        self.xdotool("mousemove", "10", str(SCREEN[1] // 2))
        time.sleep(0.3)
        # Two moves on the icon: the tip shows after the pointer moved over
        # it, entering alone is not enough.
        self.xdotool("mousemove", "--window", str(icon["id"]), "2", "2")
        time.sleep(0.1)
        self.xdotool("mousemove", "--window", str(icon["id"]), str(icon["w"] // 2), str(icon["h"] // 2))

        def shown_tip():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is None or app.name != "Tandmon":
                    continue
                for k in range(app.childCount):
                    node = app.getChildAtIndex(k)
                    if node is not None and node.getRoleName() == "tool tip" and \
                            node.getState().contains(pyatspi.STATE_SHOWING):
                        return node.name
            return None
        try:
            return wait_for("tool tip", shown_tip, 5.0, interval=0.2)
        except WalkFailed:
            return None
        finally:
            self.xdotool("mousemove", "10", str(SCREEN[1] // 2))

    def expect_tip(self, want):
        if not self.accessible:
            return
        deadline = time.monotonic() + 2 * TICK + SHORT
        seen = None
        while time.monotonic() < deadline:
            try:
                seen = self.tip()
            except Exception:  # the tree changes under a search; look again
                seen = None
            if seen == want:
                return
            time.sleep(0.5)
        raise WalkFailed(f"the icon's tip is {seen!r}, not {want!r}")

    def log_of(self, name):
        return self.processes.log_of(name)

    def open_menu(self, step):
        icon = wait_for("tray icon", lambda: tray_icon(self.env), SHORT)
        menu = act_until(f"tray menu for {step}",
                         lambda: self.xdotool("mousemove", "--window", str(icon["id"]),
                                              str(icon["w"] // 2), str(icon["h"] // 2), "click", "3"),
                         lambda: menu_window(self.env))
        self.shot(f"menu_{step}")
        return menu

    def choose(self, step, key):
        self.open_menu(step)
        act_until("tray menu to close", lambda: self.xdotool("key", key),
                  lambda: menu_window(self.env) is None)
        # The pointer is moved off the icon, so the icon is seen as drawn.
        self.xdotool("mousemove", "10", str(SCREEN[1] // 2))

    def xdotool(self, *argv):
        subprocess.run(["xdotool", *argv], env=self.env, check=True, timeout=SHORT)

    def check_running(self, step):
        code = self.monitor.poll()
        if code is not None:
            raise WalkFailed(f"Tandmon ended with {ending(code)} after {step}:\n"
                             f"{self.log_of(self.monitor_log)}")

    def expect_clean_end(self, monitor, log_name, step):
        try:
            code = monitor.wait(timeout=SHORT)
        except subprocess.TimeoutExpired:
            raise WalkFailed(f"Tandmon still runs after {step}") from None
        if code != 0:
            raise WalkFailed(f"Tandmon ended with {ending(code)} after {step}:\n"
                             f"{self.log_of(log_name)}")

    def icon_is(self, kind):
        icon = tray_icon(self.env)
        return icon is not None and icon_kind(self.frame, icon) == kind

    def customizer_pid(self):
        target = os.path.join(self.product, CUSTOMIZER)
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                if os.readlink(f"/proc/{pid}/exe") == target:
                    return int(pid)
            except OSError:
                pass
        return None

    def run(self):
        self.set_up_product()
        self.start_desktop()
        self.monitor_log = "tandmon"
        self.monitor = self.start(["./Tandmon"], self.monitor_log, cwd=self.product)
        wait_for("tray icon after the first tick", lambda: tray_icon(self.env), TICK + SHORT)
        wait_for("normal icon", lambda: self.icon_is("normal"), SHORT)
        if self.live() != "joy3d.vcg":
            raise WalkFailed(f"default configuration not live at start: {self.live()!r}")
        self.expect_tip("Tandrix: default (Joy3D.vcg)")
        log("Tandmon shows its icon in the tray; the default configuration is live")

        # About.
        self.choose("about", "a")
        self.check_running("About")
        about = wait_for("About box", lambda: shown(self.env, ABOUT_TITLE), SHORT)
        self.shot("about")
        # Its OK button is the default one.
        act_until("About box to close",
                  lambda: self.xdotool("windowfocus", "--sync", str(about[0]["id"]), "key", "Return"),
                  lambda: not shown(self.env, ABOUT_TITLE))
        self.check_running("About")
        log("About: the About box appeared and closed")

        # Suspend, then a game starts.
        self.choose("suspend", "s")
        self.check_running("Suspend")
        wait_for("suspended icon", lambda: self.icon_is("suspended"), SHORT)
        self.expect_tip("Tandrix: default (Joy3D.vcg), suspended")
        # status ends with 1 when the driver lacks a device; the monitor's
        # line is there all the same.
        status = subprocess.run([self.args.tandrix, "status"], env=self.env, capture_output=True, text=True,
                                timeout=SHORT, cwd=self.product).stdout
        if not re.search(r"^monitor: *suspended ", status, re.M):
            raise WalkFailed("tandrix status does not say the monitor is suspended:\n" + status)
        self.shot("suspended")
        self.game = self.start([os.path.join(self.game_dir, GAME), "120"], "game", cwd=self.game_dir)
        hold_for("a game started while suspended was made live",
                 lambda: self.live() == "joy3d.vcg", 2 * TICK + 1)
        self.check_running("Suspend")
        log(f"Suspend: the icon is the suspended one; {GAME} stayed unwatched for two ticks")

        # Resume.
        self.choose("resume", "r")
        resumed = time.monotonic()
        self.check_running("Resume")
        wait_for(f"{GAME}'s configuration live after Resume", lambda: self.live() == "quake.vcg",
                 TICK + 3)
        took = time.monotonic() - resumed
        wait_for("normal icon after Resume", lambda: self.icon_is("normal"), SHORT)
        self.shot("resumed")
        log(f"Resume: the icon is the normal one; quake.vcg live {took:.1f}s after Resume")

        # Customize: the customizer starts in the product folder. While it
        # runs the player ends the game (the default comes back) and picks
        # another default there: it is live from the next tick on, and stays
        # so when the customizer ends.
        self.choose("customize", "c")
        self.check_running("Customize")
        pid = wait_for("customizer process", self.customizer_pid, SHORT)
        cwd = os.readlink(f"/proc/{pid}/cwd")
        if os.path.realpath(cwd) != os.path.realpath(self.product):
            raise WalkFailed(f"customizer started in {cwd}, not in the product folder")
        self.game.terminate()
        self.game.wait(timeout=SHORT)
        wait_for("default live once the game ended", lambda: self.live() == "joy3d.vcg",
                 2 * TICK + SHORT)
        self.tool("profile", "set", os.path.join(self.product, "Tandmon.ini"), "Defaults", "Config",
                  "Joy2D.vcg")
        wait_for("new default live while the customizer runs", lambda: self.live() == "joy2d.vcg",
                 2 * TICK + SHORT)
        os.kill(pid, signal.SIGTERM)
        wait_for("customizer to end", lambda: self.customizer_pid() is None, SHORT)
        hold_for("the new default stays live after the customizer ended",
                 lambda: self.live() == "joy2d.vcg", TICK + 1)
        self.check_running("Customize")
        log("Customize: the customizer ran in the product folder; the default it chose was "
            "live from the next tick")

        # A game added while the monitor runs, with instructions shown at
        # its start. It goes live without a restart; it ends while its
        # instructions are still open, and the default comes back all the
        # same within two ticks.
        games = os.path.join(self.product, "games.ini")
        self.tool("game", "add", ADDED_TITLE, os.path.join(self.game_dir, ADDED_GAME), "Generic.vcg",
                  cwd=self.product)
        self.tool("profile", "set", games, "Game2", "NewGame", "1")
        self.tool("profile", "set", games, "Game2", "Inst1", "Roll the ball to steer.")
        added = self.start([os.path.join(self.game_dir, ADDED_GAME), "120"], "added", cwd=self.game_dir)
        wait_for(f"{ADDED_GAME}'s configuration live", lambda: self.live() == "generic.vcg", 2 * TICK + SHORT)
        instructions = f"Tandrix - {ADDED_TITLE}"
        wait_for("instructions window", lambda: shown(self.env, instructions), SHORT)
        self.expect_tip(f"Tandrix: {ADDED_TITLE} (Generic.vcg)")
        self.shot("instructions")
        added.terminate()
        added.wait(timeout=SHORT)
        ended = time.monotonic()
        wait_for("default live while the instructions are open", lambda: self.live() == "joy2d.vcg",
                 2 * TICK + 1)
        took = time.monotonic() - ended
        if not shown(self.env, instructions):
            raise WalkFailed("the instructions window closed by itself")
        self.expect_tip("Tandrix: default (Joy2D.vcg)")
        act_until("instructions window to close",
                  lambda: self.xdotool("windowfocus", "--sync", str(shown(self.env, instructions)[0]["id"]),
                                       "key", "Return"),
                  lambda: not shown(self.env, instructions))
        self.check_running("the added game")
        log(f"tandrix game add: {ADDED_GAME} went live without a restart; it ended with its "
            f"instructions open and the default was live {took:.1f}s later")

        # A second start while the menu is open: the running monitor closes,
        # its menu with it, and the new one takes over the tray.
        self.open_menu("second_start")
        first = self.monitor
        self.monitor_log = "tandmon2"
        self.monitor = self.start(["./Tandmon"], self.monitor_log, cwd=self.product)
        self.expect_clean_end(first, "tandmon", "a second start with its menu open")
        wait_for("menu of the first monitor to go", lambda: menu_window(self.env) is None, SHORT)
        wait_for("icon of the second monitor", lambda: self.icon_is("normal"), TICK + SHORT)
        self.check_running("the second start")
        log("Second start with the menu open: the first monitor ended with status 0, "
            "the second shows its icon")

        # Exit.
        self.choose("exit", "x")
        self.expect_clean_end(self.monitor, self.monitor_log, "Exit")
        wait_for("icon gone from the tray", lambda: tray_icon(self.env) is None, SHORT)
        log_path = os.path.join(self.product, "error.log")
        if os.path.exists(log_path) and os.path.getsize(log_path) > 0:
            with open(log_path, errors="replace") as f:
                raise WalkFailed("error.log was written:\n" + f.read())
        log("Exit: Tandmon ended with status 0 and removed its icon")

    def stop(self):
        pid = self.customizer_pid()
        if pid is not None:
            os.kill(pid, signal.SIGKILL)
        self.processes.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tandrix", required=True, help="the built tandrix tool")
    parser.add_argument("--customizer", required=True, help="the built stand-in customizer")
    parser.add_argument("--screenshots", help="folder for the screenshots of the walk")
    parser.add_argument("--keep", action="store_true",
                        help="keep the work folder (product folder, logs) and say where it is")
    args = parser.parse_args()

    try:
        import pyatspi  # noqa: F401
    except ImportError:
        # The accessibility library is the system Python's; another Python
        # first on PATH does not have it.
        if os.path.exists("/usr/bin/python3") and sys.executable != "/usr/bin/python3":
            return subprocess.call(["/usr/bin/python3", *sys.argv])
    missing = [t for t in TOOLS if shutil.which(t) is None]
    if missing:
        print(f"tray_walk: SKIPPED: not installed: {', '.join(missing)} (scripts/deps installs them)")
        return SKIPPED
    # The whole walk runs in a D-Bus session of its own, so the monitor is a
    # child of this script and its exit status (or signal) is seen as is.
    session = xwalk.in_own_session("TRAY_WALK_SESSION")
    if session is not None:
        return session

    work = tempfile.mkdtemp(prefix="tray-walk.")
    walk = Walk(args, work)
    try:
        walk.run()
        log("passed")
        return 0
    except (WalkFailed, subprocess.SubprocessError, OSError) as e:
        log(f"FAILED: {e}")
        try:
            walk.shot("failure")
        except (WalkFailed, OSError):
            pass
        for name in ("tandmon", "tandmon2", "trayer", "atspi", "xvfb"):
            text = walk.log_of(name)
            if text:
                log(f"{name} said:\n{text}")
        return 1
    finally:
        walk.stop()
        if args.keep:
            log(f"work folder kept: {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())

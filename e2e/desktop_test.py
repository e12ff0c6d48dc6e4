# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# The built program as users meet it on a desktop: clicked and typed at, looked at as the display
# server shows it, heard at the null sink of a sound server, and read through the accessibility
# bus as a screen reader reads it; with chimes and sound servers that misbehave. The desktops:
# - x11: a real X server under openbox, driven with xdotool, and PulseAudio;
# - wayland: the sway compositor, typed at through the virtual-keyboard protocol with wtype (no
#   tool in Debian 12 offers a virtual pointer, so pointer clicks, and with them the dark theme,
#   the scale and the frame's close, are left to x11), and PipeWire;
# - chromium: the web page in Debian's Chromium, headless, served from a copy of its folder on a
#   loopback port, with PulseAudio.
#
# Usage: desktop_test.py x11|wayland|wine|chromium PROGRAM [WindowTest|SoundTest|TEST...], on
# that display and a D-Bus session bus of its own; the program's folder holds its chimes. The
# page's PROGRAM is its index.html.

import contextlib
import difflib
import functools
import http.server
import io
import json
import operator
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest

import numpy as np
import pyatspi
from Xlib import X, display
from Xlib.error import XError

NAME, PROGRAM = sys.argv.pop(1), os.path.abspath(sys.argv.pop(1))
BROWSER = NAME in ("chromium", "firefox", "webkit")
if BROWSER:
    import browsers
    from PIL import Image
APP_ID = "io.github.pythagoreantriple.PythagoreanTriple"
BOX = "Pythagorean triple"  # the title of a box of the program's
# Places in the window at scale 1: the buttons (beside their captions, since WebKit takes the
# Tab that follows a click from the text clicked on), the form, and the title, value and panel
# fields.
BUTTONS, FORM = {"Next": (280, 308), "Init": (574, 12), "Exit": (6, 12)}, (20, 64)
FIELDS = [(224, 0, 217, 25), (136, 80, 97, 25), (264, 80, 97, 25), (392, 80, 97, 25),
          (8, 128, 609, 153)]
RATE, E6, C6, G5, C5 = 44100, 1318.51, 1046.50, 783.99, 523.25  # the chimes' notes
PYTHAGOREAN, PLATO = "\uff1cPythagorean method\uff1e", "\uff1cPlato's method\uff1e"
EXPLANATION = (  # nine printed lines, the first of each three empty
    "\n\u3000A set of positive integers (a,b,c) that satisfies the Pythagorean thorem is called \n"
    "\u3000a Pythagorean triple.\n\n\u3000When a is odd number , the Pythagorean triple is "
    "obtained by b=(a^2-1)\u00f72 and \n\u3000c=(a^2+1)\u00f72. This method is called the "
    "(Pythagorean method) .\n\n\u3000When a is even number , the Pythagorean triple is obtained "
    "by b=(a\u00f72)^2 -1) and \n\u3000c=(a\u00f72)^2 +1). This method is called the (Plato's "
    "method).\n")


def wait_for(find, timeout=5.0):
    deadline = time.monotonic() + timeout
    while not (found := find()) and time.monotonic() < deadline:
        time.sleep(0.02)
    return found


def run(*args):  # only the line break goes: a window's name may begin with a blank
    return subprocess.run(list(map(str, args)), capture_output=True, text=True,
                          timeout=30).stdout.rstrip("\n")


class X11:
    pointer = True

    def find(self, pid=None):  # the program's window, or else a box of its
        found = run("xdotool", "search", "--onlyvisible",
                    *(["--pid", pid] if pid else ["--name", f"^{BOX}$"])).split()
        return found and display.Display().create_resource_object("window", int(found[0]))

    def app_id(self, window):  # desktops match the entry's StartupWMClass to the class
        return window.get_wm_class()[1]

    def size(self, window):
        size = window.get_geometry()
        return size.width, size.height

    def grab(self, window):
        size = window.get_geometry()
        image = window.get_image(0, 0, size.width, size.height, X.ZPixmap, 0xFFFFFFFF)
        return np.frombuffer(image.data, np.uint8).reshape(size.height, size.width, 4)[:, :, 2::-1]

    def click(self, window, x, y, times=1):
        run("xdotool", "mousemove", "--window", window.id, x, y, "click", "--repeat", times,
            "--delay", 10, 1)

    def keys(self, *keys):  # xdotool's own words: "shift+Tab", "keydown", "sleep"
        run("xdotool", "key", *keys)

    def box(self):  # ready for keys
        found = self.find()
        found and run("xdotool", "windowactivate", "--sync", found.id)
        return found

    def close(self, window):
        run("xdotool", "windowactivate", "--sync", window.id, "key", "alt+F4")


class Wayland:
    pointer = False

    def windows(self):
        def walk(node):
            yield node
            for child in node["nodes"] + node["floating_nodes"]:
                yield from walk(child)
        return [node for node in walk(json.loads(run("swaymsg", "-t", "get_tree")))
                if node.get("pid")]

    def find(self, pid):
        return next((node for node in self.windows() if node["pid"] == pid), None)

    def app_id(self, window):
        return window["app_id"]

    def size(self, window):
        return window["window_rect"]["width"], window["window_rect"]["height"]

    def grab(self, window):  # the window's own rectangle inside its frame, as the screen shows it
        window = next(node for node in self.windows() if node["id"] == window["id"])
        outer, inner = window["rect"], window["window_rect"]
        area = f"{outer['x'] + inner['x']},{outer['y'] + inner['y']} {inner['width']}x{inner['height']}"
        image = subprocess.run(["grim", "-t", "ppm", "-g", area, "-"], capture_output=True).stdout
        return np.frombuffer(image, np.uint8)[-inner["width"] * inner["height"] * 3:].reshape(
            inner["height"], inner["width"], 3)

    def keys(self, *keys):
        # Each call brings a new virtual keyboard, whose very first key Qt may miss while it
        # takes in the keyboard's map.
        words, keys = ["-s", 150], iter(keys)
        for key in keys:
            if key == "sleep":
                words += ["-s", round(next(keys) * 1000)]
            elif key in ("keydown", "keyup"):
                words += ["-P" if key == "keydown" else "-p", next(keys)]
            else:
                *held, name = key.split("+")
                words += [*(w for m in held for w in ("-M", m)), "-k", name,
                          *(w for m in held for w in ("-m", m))]
        run("wtype", *words)

    def box(self):
        return any(node["name"] == BOX for node in self.windows())




class Browser:
    # The page as a browser engine shows it (browsers.py), its clicks and keys the user's own.
    pointer, page = True, None

    def find(self, page):
        return page

    def app_id(self, page):  # what the browser's tab and an installed app are named by
        return page.js("document.title")

    def size(self, page):
        return tuple(page.js("[Form1.offsetWidth, Form1.offsetHeight]"))

    def click(self, page, x, y, times=1):
        left, top = page.js("[Form1.getBoundingClientRect().x, Form1.getBoundingClientRect().y]")
        page.session.click(left + x, top + y, times)

    def keys(self, *keys):  # as X11's
        self.page.session.keys(*keys)

    def box(self):
        return self.page.js("msgbox.open")


class Page:
    # The page served from FOLDER on a loopback port, at PATH within it, and open in a browser of
    # its own, whose sound goes to PULSE_SERVER: what a program's process is on a desktop. The
    # server holds back the files whose names a test puts in `held` until it lets them go, has
    # none of those in `missing`, and answers nothing while `offline`.
    def __init__(self, folder, env, width=800, dark=False, path="", held=()):
        page, self.held, self.missing, self.offline = self, set(held), set(), False

        class Files(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                while any(name in self.path for name in page.held):
                    time.sleep(0.02)
                if page.offline:
                    self.close_connection = True
                elif any(name in self.path for name in page.missing):
                    self.send_error(404)
                else:
                    super().do_GET()

        self.server = http.server.ThreadingHTTPServer(
            ("127.0.0.1", 0), functools.partial(Files, directory=folder))
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.session, self.status = browsers.open_session(NAME, env, width, dark=dark), None
        self.address = f"http://127.0.0.1:{self.server.server_address[1]}/{path}"
        self.session.open(self.address, wait=not held)
        Browser.page, self.pid = self, self

    def js(self, expression):
        return self.session.js(expression)

    def cdp(self, *args):
        return self.session.cdp(*args)

    def wait(self, timeout=10):  # the status of an ended program: 0 once the page says so
        if self.status is None and wait_for(lambda: self.js(
                "!document.querySelector('.form') && !ended.hidden"), timeout):
            self.status = 0
        if self.status is None:
            raise subprocess.TimeoutExpired("the page", timeout)
        return self.status

    def kill(self):  # closes the browser, as closing its last tab would
        if self.server:
            self.status = -9 if self.status is None else self.status
            self.session.quit()
            self.server.shutdown()
            self.server = None


class SoundServer:
    # A private PulseAudio server whose one sink is a null sink, recorded at its monitor.
    def __init__(self, test):
        self.directory, self.process = tempfile.TemporaryDirectory(), None
        self.home, self.address = self.directory.name, f"unix:{self.directory.name}/socket"
        # Off the session bus, where only one server at a time may take the server's name.
        self.env = {**os.environ, "HOME": self.home, "XDG_RUNTIME_DIR": self.home}
        self.env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        test.addCleanup(self.stop)
        self.start()

    def start(self):  # with pacmd's socket too, for what pactl cannot do
        self.process = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "-L",
             "module-null-sink sink_name=chimes", "-L", "module-suspend-on-idle", "-L",
             f"module-native-protocol-unix socket={self.home}/socket auth-anonymous=1", "-L",
             "module-cli-protocol-unix"], env=self.env, stderr=subprocess.DEVNULL,
            start_new_session=True)
        assert wait_for(lambda: self.pactl("info"), 10), "the sound server did not start"

    def pactl(self, *args):
        return subprocess.run(["pactl", "-s", self.address, *args], capture_output=True,
                              text=True).stdout

    def streams(self):  # one line for each stream that plays into the server
        return self.pactl("list", "short", "sink-inputs")

    def signal(self, number):  # the server with every helper of its own
        self.process.poll() is None and os.killpg(self.process.pid, number)

    def stop(self):
        self.process and (self.signal(signal.SIGKILL), self.process.wait())

    def freeze(self, frozen=True):  # as a server stuck on a device or in a debugger does
        self.signal(signal.SIGSTOP if frozen else signal.SIGCONT)

    @contextlib.contextmanager
    def recording(self):
        # Yields a list that gets what the sink plays in the block. An idle null sink runs
        # ahead of the clock, so what a stream plays reaches the recording after two seconds of
        # it; and parec drops what it has not written when stopped, so it writes to a file.
        with tempfile.TemporaryFile() as recorded:
            recorder = subprocess.Popen(["parec", "-s", self.address, "--device=chimes.monitor",
                                         "--raw", "--format=s16le", f"--rate={RATE}",
                                         "--channels=1", "--latency-msec=10"], stdout=recorded)
            time.sleep(2.5)
            yield (samples := [])
            recorder.terminate()
            recorder.wait()
            recorded.seek(0)
            samples.extend(np.frombuffer(recorded.read(), "<i2") / 32768.0)


class PipeWire(SoundServer):
    # PipeWire with its session manager and its PulseAudio service, which the program talks to,
    # on a D-Bus of their own as in a desktop session. The session manager gives up if PipeWire
    # is not there yet.
    def start(self):
        self.address = f"unix:{self.home}/pulse/native"
        self.process = subprocess.Popen(
            ["dbus-run-session", "--", "sh", "-c", "pipewire & until [ -S $XDG_RUNTIME_DIR/"
             "pipewire-0 ]; do sleep 0.01; done; wireplumber & pipewire-pulse & wait"],
            env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        assert wait_for(lambda: self.pactl("info"), 10), "the sound server did not start"
        self.pactl("load-module", "module-null-sink", "sink_name=chimes")
        # The default can be set once the session manager has come up and seen the sink.
        assert wait_for(lambda: self.pactl("set-default-sink", "chimes") is not None and
                        self.pactl("get-default-sink").strip() == "chimes", 10)


def strikes(samples, frequency):
    # When a note is struck: its strength in 40 ms frames, 10 ms apart, jumps well above where
    # it was. Strikes within 150 ms of each other count as one.
    n = np.arange(4 * RATE // 100)
    probe = np.hanning(len(n)) * np.exp(-2j * np.pi * frequency * n / RATE)
    strength = np.abs([np.array(samples[s:s + len(n)]) @ probe
                       for s in range(0, len(samples) - len(n), RATE // 100)])
    times = []
    for i in range(2, len(strength)):
        if strength[i] > max(0.25 * strength.max(), 1.8 * min(strength[i - 2:i])) and (
                not times or i / 100 - times[-1] > 0.15):
            times.append(i / 100)
    return times


def ocr(image, words=False):
    # The text in a piece of the screen, read by tesseract: enlarged, framed in white and made
    # grey first, as it reads best; of digits alone unless `words`.
    grey = np.pad(image.min(axis=2).repeat(3, 0).repeat(3, 1), 30, constant_values=255)
    page = b"P5 %d %d 255\n" % grey.shape[::-1] + grey.astype(np.uint8).tobytes()
    options = ["--psm", "6", *([] if words else ["-c", "tessedit_char_whitelist=0123456789"])]
    return subprocess.run(["tesseract", "stdin", "stdout", *options], input=page,
                          capture_output=True).stdout.decode().strip()


class ScreenReader:
    # The program as a screen reader finds it on the accessibility bus.
    def __init__(self, pid):
        self.app = wait_for(lambda: next((app for app in pyatspi.Registry.getDesktop(0) if app
                                          and app.get_process_id() == pid
                                          and app.childCount), None), 10)
        self.nodes = pyatspi.findAllDescendants(self.app, lambda node: True)
        self.fields = [next(node for node in self.nodes if node.name == name) for name in "abc"]
        self.buttons = {node.name: node for node in self.nodes
                        if node.getRole() == pyatspi.ROLE_PUSH_BUTTON}

    def shown(self, program):  # the method and the three values
        return [next((node.name for node in self.nodes if node.name.startswith("\uff1c")), "")
                ] + [field.description for field in self.fields]

    def reads(self, program, explanation):  # in the panel
        return next(node for node in self.nodes if node.name == "Explanation").queryText(
        ).getText(0, -1) == explanation

    def says(self, text):
        return pyatspi.findDescendant(self.app, lambda node: node.name == text)

    def press(self, button):
        self.buttons[button].queryAction().doAction(0)


class AccessibilityTree:
    # The page as a screen reader gets it from the browser.
    def __init__(self, page):
        self.page = page
        self.buttons = {self.name(node): node for node in self.nodes().values()
                        if node["role"]["value"] == "button"}

    def nodes(self):
        return {node["nodeId"]: node for node in self.page.cdp(
            "Accessibility.getFullAXTree", {})["nodes"] if not node.get("ignored")}

    @staticmethod
    def name(node):
        return node.get("name", {}).get("value", "")

    def text(self, named):  # the text that a node holds, all its pieces in turn
        nodes = self.nodes()
        inside = lambda node: (self.name(node) if node["role"]["value"] == "StaticText" else
                               "".join(inside(nodes[i]) for i in node["childIds"] if i in nodes))
        return next((inside(node) for node in nodes.values() if self.name(node) == named), None)

    def shown(self, program):  # the method's caption, not what the page says of it
        caption = next((self.name(node) for node in self.nodes().values()
                        if self.name(node) in (PYTHAGOREAN, PLATO)), "")
        return [caption] + [self.text(field) for field in "abc"]

    def reads(self, program, explanation):
        return self.text("Explanation") == explanation

    def says(self, text):
        return any(self.name(node) == text for node in self.nodes().values())

    def press(self, button):
        target = self.page.cdp("DOM.resolveNode", {
            "backendNodeId": self.buttons[button]["backendDOMNodeId"]})["object"]["objectId"]
        self.page.cdp("Runtime.callFunctionOn", {"objectId": target,
                                                 "functionDeclaration": "function () { this.click(); }"})


class PageText:
    # Where the driver gives no accessibility tree, the page's own elements are read.
    buttons = {}

    def __init__(self, page):
        self.page = page

    def shown(self, program):
        return self.page.js("[Label8, Label1, Label2, Label3].map((e) => e.textContent)")

    def reads(self, program, explanation):
        return self.page.js("Picture1.textContent") == explanation

    def says(self, text):
        return self.page.js(f"[...document.querySelectorAll('body *')].some((e) => "
                            f"e.checkVisibility() && e.textContent === {json.dumps(text)})")


class Eyes:
    # Wine's accessibility reaches no Linux screen reader, so there the screen itself is read.
    buttons = {}

    def __init__(self, pid):
        pass

    def shown(self, program):
        image = program.grab()
        method = ocr(image[38:56, 176:448], words=True)
        return [next((m for m in (PLATO, PYTHAGOREAN) if m[1:-1] in method), method)] + [
            ocr(image[top + 3:top + height - 3, left + 3:left + width - 3])
            for left, top, width, height in FIELDS[1:4]]

    def reads(self, program, explanation):
        # Line by line, and nearly: tesseract reads "^" and "÷" as other signs, and blanks and
        # brackets its own way.
        read, printed = ([line.split() for line in text.splitlines() if line.strip()] for text in (
            ocr(program.grab()[FIELDS[4][1]:FIELDS[4][1] + FIELDS[4][3]], words=True), explanation))
        return len(read) == len(printed) and all(difflib.SequenceMatcher(
            None, "".join(seen), "".join(line), autojunk=False).ratio() > 0.8
            for seen, line in zip(read, printed))

    def says(self, text):
        box = DESKTOP.find()
        return box and text in ocr(DESKTOP.grab(box), words=True)


# Each desktop with the sound server it comes with and the way its screen is read.
DESKTOP, SOUND_SERVER = (Browser, SoundServer) if BROWSER else {
    "x11": (X11, SoundServer), "wayland": (Wayland, PipeWire), "wine": (X11, SoundServer)}[NAME]
DESKTOP, READER = DESKTOP(), {"wine": Eyes, "chromium": AccessibilityTree, "firefox": PageText,
                              "webkit": PageText}.get(NAME, ScreenReader)


class Program:
    # The program as a user starts it, found on the display and read as the desktop allows.
    def __init__(self, test, program=PROGRAM, server=None, scale=1, **env):
        self.test, self.scale = test, scale
        folder, page = env.pop("folder", os.path.dirname(program)), env.pop("page", {})
        env = {**os.environ, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1", "QT_SCALE_FACTOR": str(scale),
               "PULSE_SERVER": server.address if server else "unix:/nowhere", **env}
        self.process = Page(folder, env, **page) if BROWSER else subprocess.Popen(
            ["wine", program] if program.endswith(".exe") else [program], cwd=folder, env=env)
        test.addCleanup(lambda: (self.process.kill(), self.process.wait()))
        self.window = wait_for(lambda: DESKTOP.find(self.process.pid), 10)
        test.assertTrue(wait_for(self.drawn), "never drawn")
        self.reader = READER(self.process.pid)

    def shown(self):
        return self.reader.shown(self)

    def answers(self, *buttons, shows=(PLATO, "4", "3", "5")):
        # Clicked where the pointer can, else chosen with Enter once the screen reader's way
        # has put the focus on it.
        for button in buttons:
            if DESKTOP.pointer:
                DESKTOP.click(self.window, *(self.scale * xy for xy in BUTTONS[button]))
            else:
                self.reader.buttons[button].queryComponent().grabFocus()
                DESKTOP.keys("Return")
        return not shows or wait_for(lambda: self.shown() == list(shows), 4)

    def grab(self):
        return DESKTOP.grab(self.window)

    def drawn(self):  # the title field has its colour; the page has been activated
        if BROWSER:
            return self.window.js("!!document.getElementById('Label1')?.textContent")
        try:
            return self.grab()[3 * self.scale, 227 * self.scale].tolist() == [255, 192, 128]
        except (XError, ValueError):  # not on screen yet
            return False

    def ends(self, press_exit=True, status=0):
        # Exit's box says what it should, and answered with Return ends the program with 0.
        press_exit and self.answers("Exit", shows=())
        wait_for(DESKTOP.box, 10) or self.test.fail("no box with its title")
        self.test.assertTrue(wait_for(lambda: self.reader.says("This software will exit.")))
        DESKTOP.keys("Return")
        ended = self.process.wait(10)
        status is None or self.test.assertEqual(ended, status)


def init_twice_then_exit(test, samples):
    # The closing chime sounds under Exit's box, its notes in turn. Before it, the second Init,
    # 0.12 s after the first, cuts the first chime before its second note and starts it again:
    # "pon" sounds once, 0.22 s after the second "pin", not after the first, and nothing sounds
    # again.
    high, low = strikes(samples, G5), strikes(samples, C5)
    test.assertTrue(len(high) == 1 and len(low) == 1 and low[0] > high[0], (high, low))
    pins, pons = ([t for t in strikes(samples, note) if t < high[0]] for note in (E6, C6))
    test.assertTrue(pins and len(pons) == 1 and max(pins) < pons[0], (pins, pons))
    # (Where the two Inits come further apart than strikes that count as one, both are heard.)
    restart = pins[-1] if len(pins) > 1 else pins[0] + 0.12
    test.assertAlmostEqual(pons[0] - restart, 0.22, delta=0.05)


def shortcut_folder(path):
    # The working folder that a Windows shortcut (.lnk) starts its program in: after the header,
    # the optional item list and link information, then the name and relative path strings.
    with open(path, "rb") as file:
        data = file.read()
    flags, at = int.from_bytes(data[20:24], "little"), 76
    if flags & 0x1:
        at += 2 + int.from_bytes(data[at:at + 2], "little")
    if flags & 0x2:
        at += int.from_bytes(data[at:at + 4], "little")
    width = 2 if flags & 0x80 else 1
    for bit in (0x4, 0x8, 0x10):
        if flags & bit:
            length, at = int.from_bytes(data[at:at + 2], "little") * width, at + 2
            if bit == 0x10:
                # Wine counts the string's closing nul.
                return data[at:at + length].decode("utf-16-le" if width == 2 else "latin-1"
                                                   ).rstrip("\0")
            at += length
    return None


def only_on(*names):
    return unittest.skipUnless(NAME in names, f"not on {NAME}")


class WindowTest(unittest.TestCase):
    def test_keys_and_screen_reader(self):
        program = Program(self)
        self.assertEqual(program.shown(), [PYTHAGOREAN, "3", "4", "5"])
        self.assertEqual(DESKTOP.size(program.window), (625, 341))
        self.assertEqual(DESKTOP.app_id(program.window), {
            "x11": "pythagorean-triple", "wayland": APP_ID, "wine": "pythagorean-triple.exe"
        }.get(NAME, BOX))
        self.assertTrue(program.reader.reads(program, EXPLANATION))
        if program.reader.buttons:  # a screen reader presses them too
            self.assertEqual(sorted(program.reader.buttons), ["Exit", "Init", "Next"])
            program.reader.press("Next")
        else:
            program.answers("Next", shows=())
        self.assertTrue(program.answers())
        self.assertTrue(program.answers("Next", shows=(PYTHAGOREAN, "5", "12", "13")))
        self.assertTrue(program.answers("Init", shows=(PYTHAGOREAN, "3", "4", "5")))
        # Enter or Space chooses the focused button, Init now; Tab and Shift+Tab move the focus
        # on and back. A held key repeats its press some twenty times here, and is one press.
        for keys, a in [(["shift+Tab", "Return"], "4"), (["KP_Enter"], "5"),
                        (["Tab", "Return"], "3"),
                        (["shift+Tab", "keydown", "Return", "sleep", 1.5, "keyup", "Return"],
                         "4"), (["space"], "5")]:
            DESKTOP.keys(*keys)
            self.assertTrue(wait_for(lambda: program.shown()[1] == a), keys)
            time.sleep(0.2)
            self.assertEqual(program.shown()[1], a, keys)
        DESKTOP.keys("Tab", "Tab", "Return")  # Exit
        program.ends(press_exit=False)

    @only_on("x11")
    def test_dark_theme_at_double_scale_keeps_the_fields_readable_and_crisp(self):
        program = Program(self, scale=2, QT_QPA_PLATFORMTHEME="gtk3", GTK_THEME="Adwaita:dark")
        image = program.grab().min(axis=2)  # 1250 x 682, or the grabs below fall short
        self.assertLess(image[2 * FORM[1], 2 * FORM[0]], 100, "the dark theme did not take effect")
        for left, top, width, height in FIELDS:  # their own light face, with dark ink on it
            inside = image[2 * top + 6:2 * (top + height) - 6, 2 * left + 6:2 * (left + width) - 6]
            self.assertTrue(inside[0, 0] > 120 and inside.min() < 80)
        # Nine lines of 32 px, every third empty, looked at in their middles (descenders reach
        # into the next), none into the right-hand edge.
        panel = image[258:560, 18:1232]
        for line in range(9):
            self.assertEqual(panel[line * 32 + 8:line * 32 + 24].min() < 80, line % 3 != 0)
        self.assertGreater(panel[:, -4:].min(), 80)
        # Drawn at full resolution: a doubled picture would be made of uniform 2 x 2 blocks.
        blocks = panel[:300, :1212].reshape(150, 2, 606, 2).swapaxes(1, 2).reshape(-1, 4)
        inked = blocks[blocks.min(axis=1) < 255]
        self.assertGreater((inked != inked[:, :1]).any(axis=1).mean(), 0.5)
        # Closing through the frame ends the program silently; tried without the GTK theme,
        # whose libraries keep memory to the end that the sanitizer run would report.
        program = Program(self)
        DESKTOP.close(program.window)
        self.assertEqual(program.process.wait(10), 0)

    @only_on("wine")
    def test_next_to_the_limit_and_init_then_the_frame_closes(self):
        # The same window as on Linux, for as long as Next goes.
        program = Program(self)
        inked = lambda: program.grab()[300:316, 290:336].min() < 80  # Next in black: enabled
        # Three clicks more than the 997 to the limit: those past it change nothing, and Wine was
        # seen to lose one or two of a few hundred queued at once on a busy machine.
        DESKTOP.click(program.window, *BUTTONS["Next"], times=997 + 3)
        self.assertTrue(wait_for(lambda: program.shown() == [PLATO, "1000", "249999", "250001"]
                                 and not inked(), 60))
        self.assertTrue(program.answers("Init", shows=(PYTHAGOREAN, "3", "4", "5")) and inked())
        DESKTOP.close(program.window)
        self.assertEqual(program.process.wait(10), 0)

    @only_on("wine")
    def test_installer_installs_and_uninstalls_silently_in_both_modes(self):
        drive = os.path.join(os.environ["WINEPREFIX"], "drive_c")
        key = r"\Software\Microsoft\Windows\CurrentVersion\Uninstall\PythagoreanTriple"

        def files():  # but Wine's and the installer's scratch, and the per-user programs
            # folder, which Windows keeps and a fresh Wine prefix has yet to make
            return {os.path.join(top, name) for top, folders, names in os.walk(drive)
                    for name in folders + names if "Temp" not in top
                    and not os.path.join(top, name).endswith("/AppData/Local/Programs")}

        def registered(hive):
            return subprocess.run(["wine", "reg", "query", hive + key],
                                  capture_output=True).returncode == 0

        # Where each mode puts the program, its Start-menu shortcut and its uninstall entry.
        for mode, folder, menu, hive in [
                ("/AllUsers", "/Program Files/", "/ProgramData/", "HKLM"),
                ("/CurrentUser", "/AppData/Local/", "/AppData/Roaming/", "HKCU")]:
            with self.subTest(mode):
                before = files()
                subprocess.run(["wine", os.environ["INSTALLER"], "/S", mode], check=True,
                               timeout=60)
                added = files() - before
                program = next(name for name in added if name.endswith("/pythagorean-triple.exe"))
                shortcut = next(name for name in added if name.endswith(".lnk"))
                self.assertIn(folder, program)
                self.assertIn(menu, shortcut)
                self.assertEqual([registered(h) for h in ("HKLM", "HKCU")], [hive == "HKLM",
                                                                              hive == "HKCU"])
                # The shortcut starts it in its own folder, where its chimes are.
                windows = "C:" + os.path.dirname(program)[len(drive):].replace("/", "\\")
                self.assertEqual(shortcut_folder(shortcut).lower(), windows.lower())
                installed = Program(self, program)
                self.assertEqual(installed.shown(), [PYTHAGOREAN, "3", "4", "5"])
                installed.ends()
                subprocess.run(["wine", os.path.join(os.path.dirname(program), "Uninstall.exe"),
                                "/S", mode], check=True, timeout=60)
                # The uninstaller runs on from a copy of itself, to be able to remove itself.
                self.assertTrue(wait_for(lambda: files() == before, 20), files() - before)
                self.assertFalse(registered("HKLM") or registered("HKCU"))


@unittest.skipIf(BROWSER, "the page's own chimes are tried in PageTest")
class SoundTest(unittest.TestCase):
    def test_chimes_at_the_sink(self):
        folder, server = self.enterContext(tempfile.TemporaryDirectory()), SOUND_SERVER(self)
        for chime in ["pinpon.wav", "endpinpon.wav"]:
            shutil.copy(os.path.join(os.path.dirname(PROGRAM), chime), folder)
        program = Program(self, server=server, folder=folder)
        with server.recording() as samples:
            # The Linux player opens its one stream at start and keeps it; the Windows player
            # opens the device for each chime and lets it go once the chime has played out.
            stream = server.streams()
            self.assertEqual(stream == "", NAME == "wine")
            # Init twice, from Next (after a sleep, xdotool takes commands only).
            DESKTOP.keys("Tab", "Return", "sleep", 0.12, "keydown", "Return", "keyup", "Return")
            time.sleep(1.5)
            # Cut short, then gone, the chime leaves Init to go on in silence.
            chime = f"{folder}/pinpon.wav"
            os.truncate(chime, os.path.getsize(chime) * 9 // 10)
            self.assertTrue(program.answers("Next", "Init", "Next"))
            os.remove(chime)
            self.assertTrue(program.answers("Next", "Init", "Next"))
            # The one stream is kept for every chime; taken away, it is opened anew for the next
            # (only PulseAudio's pacmd takes one away).
            self.assertTrue(wait_for(lambda: server.streams() == stream))
            NAME == "x11" and subprocess.run(["pacmd", "kill-sink-input", stream.split()[0]],
                                             env=server.env)
            program.answers("Exit", shows=())
            time.sleep(1.5)
        init_twice_then_exit(self, samples)
        # The volume controls list the stream by name as an event sound; played out, it rests.
        for line in ['application.name = "Pythagorean triple"', 'media.name = "Chimes"',
                     'media.role = "event"', 'application.icon_name = "pythagorean-triple"',
                     "Corked: yes"]:
            NAME == "wine" or self.assertIn(line, server.pactl("list", "sink-inputs"))
        program.ends(press_exit=False)

    def test_sound_server_faults_leave_the_window_answering(self):
        # What befalls the server before the program starts, once the window is up, and just
        # after an Init between two uses of the buttons. Whatever it is, the buttons answer at
        # once, no box but Exit's appears, and Exit ends the program with status 0. The
        # harshest of them, and Exit while the server is stopped, are tried on every desktop,
        # the others on x11. Under Wine, Wine's own PulseAudio driver crashes the process as it
        # ends while a thread waits on a stopped server, so there it is enough that it ends.
        stop, start, freeze = (operator.methodcaller(name) for name in ("stop", "start", "freeze"))
        faults = [
            ("frozen for two seconds", None, None, None),
            ("none there", stop, None, None), ("killed mid-chime", None, None, stop),
            ("starting late", stop, None, start), ("frozen before start", freeze, None, None),
            ("frozen before the first cue", None, freeze, None),
            ("frozen mid-chime", None, None, freeze),
            ("frozen after a cue", None, None, lambda s: time.sleep(1) or s.freeze())]
        harshest_and_stopped = [faults[0], faults[-1]]
        for fault, before, shown, between in faults if NAME == "x11" else harshest_and_stopped:
            with self.subTest(fault):
                server = SOUND_SERVER(self)
                before and before(server)
                program = Program(self, server=server)
                shown and shown(server)
                self.assertTrue(program.answers("Init", "Next"), "the window did not answer")
                if between:
                    program.answers("Init", shows=())
                    time.sleep(0.15)
                    between(server)
                if fault.endswith("two seconds"):
                    # Chimes asked for while the server does not answer are long stale when it
                    # wakes: none of them sounds then, and the next one does.
                    with server.recording() as samples:
                        server.freeze()
                        program.answers("Init", "Init", "Init", shows=())
                        time.sleep(1.5)
                        server.freeze(False)
                        # Nor is the device kept for them (which only Windows lets go).
                        self.assertTrue(NAME != "wine" or wait_for(lambda: not server.streams(), 3))
                        time.sleep(1.0)
                        program.answers("Init", shows=())
                        time.sleep(1.5)
                    self.assertEqual(len(strikes(samples, E6)), 1)
                self.assertTrue(program.answers("Init", "Next"), "the window did not answer")
                self.assertFalse(DESKTOP.box())
                program.ends(status=None if NAME == "wine" and between else 0)


# Each text that the page shows: its element, its size in CSS px, its contrast with what lies
# behind it by the relative luminance of WCAG 2.2, and whether it is a disabled control's.
TEXTS = """[...document.querySelectorAll('body *')].filter((e) => e.checkVisibility() &&
    [...e.childNodes].some((n) => n.nodeType === 3 && n.textContent.trim())).map((e) => {
    const rgb = (e, property) => getComputedStyle(e)[property].match(/[\\d.]+/g).map(Number);
    let back = e;
    while (rgb(back, 'backgroundColor')[3] === 0) back = back.parentElement;
    const [light, dark] = [rgb(e, 'color'), rgb(back, 'backgroundColor')].map((colour) => colour
        .slice(0, 3).map((v) => (v / 255 <= 0.04045 ? v / 255 / 12.92 : ((v / 255 + 0.055) / 1.055) ** 2.4))
        .reduce((sum, v, i) => sum + v * [0.2126, 0.7152, 0.0722][i], 0)).sort((a, b) => b - a);
    return [e.id || e.tagName, parseFloat(getComputedStyle(e).fontSize),
            (light + 0.05) / (dark + 0.05), e.disabled === true];
})"""

# The window drawn as made and then with one thing changed in its every element: with nothing
# clipped, where text that was cut off shows; with a probe face after the faces that it names,
# which draws every sign as a block, where a sign that none of them has shows; and regular,
# where bold that is drawn regular does not change. Gives the boxes of the bold texts.
LOOK = """(async (probe, step) => {
    if (!document.fonts.check('12px "Form probe"', '\u3000')) {
        document.fonts.add(await new FontFace('Form probe', new Uint8Array(probe)).load());
    }
    // No scroll bar that comes and goes, no focus ring that follows the look.
    document.documentElement.style.setProperty('scrollbar-width', 'none');
    document.activeElement.blur();
    const all = [Form1, ...Form1.querySelectorAll('*')], bold = [];
    for (const e of all) {
        e.removeAttribute('style');
        e.style.setProperty('border-radius', '0');  // a clipped corner's antialiasing changes
        const look = getComputedStyle(e), box = e.getBoundingClientRect();
        const text = e.firstChild?.nodeType === 3 ? e.textContent : '';
        if (text.trim() && look.fontWeight >= 700) {
            bold.push([box.top, box.bottom, box.left, box.right].map(Math.round));
        }
        if (step === 'unclipped') e.style.setProperty('overflow', 'visible', 'important');
        // (Beyond ASCII: the buttons' text is ASCII, in the system's face, which every device has.)
        if (step === 'probed' && /[^\\x00-\\x7f]/.test(text)) e.style.fontFamily = `${look.fontFamily}, "Form probe"`;
        if (step === 'regular') e.style.fontWeight = '400';
    }
    await new Promise((drawn) => requestAnimationFrame(() => requestAnimationFrame(drawn)));
    return bold;
})"""


def probe_face(signs):  # a face that draws each of the signs as a block
    from fontTools.fontBuilder import FontBuilder
    from fontTools.pens.ttGlyphPen import TTGlyphPen
    block, face, data = TTGlyphPen(None), FontBuilder(1000, isTTF=True), io.BytesIO()
    block.moveTo((50, -100)), block.lineTo((50, 700)), block.lineTo((550, 700))
    block.lineTo((550, -100)), block.closePath()
    face.setupGlyphOrder([".notdef", "block"])
    face.setupCharacterMap({ord(sign): "block" for sign in signs})
    face.setupGlyf({".notdef": TTGlyphPen(None).glyph(), "block": block.glyph()})
    face.setupHorizontalMetrics({".notdef": (600, 0), "block": (600, 50)})
    face.setupHorizontalHeader(ascent=800, descent=-200)
    face.setupNameTable({"familyName": "Form probe", "styleName": "Regular"})
    face.setupOS2(), face.setupPost(), face.save(data)
    return list(data.getvalue())


@unittest.skipUnless(BROWSER, "the page's own rows")
class PageTest(unittest.TestCase):
    # What the page adds to the window: any screen and any faces, light or dark; the browser's
    # chimes and what becomes of missing ones; early clicks and what screen readers are told;
    # and the page installed, offline, keeping to itself, and replaced by its next release.
    def copy(self):  # of the page's folder, to take chimes away from or to serve no more
        folder = self.enterContext(tempfile.TemporaryDirectory())
        shutil.copytree(os.path.dirname(PROGRAM), folder, dirs_exist_ok=True)
        return folder

    def look(self, page, probe):  # what is cut off, what is missing, what bold is drawn thin
        shots = {}
        for step in ("unclipped", "probed", "regular", "as made"):
            bold = page.js(f"{LOOK}({probe}, '{step}')")
            shots[step] = np.asarray(Image.open(io.BytesIO(page.session.screenshot())))[..., :3]
        changed = lambda step: np.argwhere(np.abs(shots[step].astype(int) - shots["as made"]).max(
            axis=2) > 32).tolist()[:3]  # (more than the edges' antialiasing)
        return changed("unclipped"), changed("probed"), [box for box in bold if (
            shots["regular"] == shots["as made"])[box[0]:box[1], box[2]:box[3]].all()]

    def test_any_screen_and_faces_light_or_dark(self):
        rows = ["Command3", "Label9", "Command2", "Label8", "Label4", "Label1", "Label6", "Label2",
                "Label7", "Label3", "Label5", "Picture1", "Command1"]  # in reading order
        for faces, dark in zip(browsers.FACES, (False, True, False, True)):
            program = Program(self, page={"dark": dark}, FONTCONFIG_FILE=browsers.fontconfig(
                self.enterContext(tempfile.TemporaryDirectory()), faces))
            page, texts = program.window, []
            probe = probe_face(page.js("Form1.textContent"))
            for width in (w for w in (360, 625, 1000) if w >= browsers.SESSIONS[NAME].narrowest):
                with self.subTest(faces=faces, width=width):
                    page.session.resize(width)
                    places = page.js("Object.fromEntries([...Form1.children].map((e) => [e.id, "
                                     "[e.offsetLeft, e.offsetTop, e.offsetWidth, e.offsetHeight]]))")
                    # Nothing scrolls sideways and the buttons are easy to hit. The window's
                    # layout is 1:1 where it fits, and flows in reading order where it does not,
                    # with the panel's text all in view. Whatever the faces, no text is cut off,
                    # no control lies on another, no sign is missing and bold is bold.
                    self.assertEqual(page.js("document.documentElement.scrollWidth"), width)
                    self.assertTrue(all(min(places[f"Command{n}"][2:]) >= 24 for n in (1, 2, 3)))
                    if width >= 625:
                        self.assertEqual([places[f"Label{n}"] for n in (9, 1, 2, 3)] +
                                         [places["Picture1"]], [list(field) for field in FIELDS])
                    else:
                        self.assertEqual(sorted(rows, key=lambda name: places[name][1::-1]), rows)
                    controls = [places[name] for name in rows]
                    self.assertFalse([(a, b) for i, a in enumerate(controls) for b in controls[i + 1:]
                                      if a[0] < b[0] + b[2] and b[0] < a[0] + a[2]
                                      and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]])
                    self.assertEqual(self.look(page, probe), ([], [], []))
                    texts += page.js(TEXTS)
            # Every text, in the window, its box and the page that says it has ended.
            program.answers("Exit", shows=())
            wait_for(DESKTOP.box)
            texts += page.js(TEXTS)
            DESKTOP.keys("Return")
            page.wait()
            texts += page.js(TEXTS)
            self.assertLessEqual({"Label1", "Command1", "msgbox-prompt", "P"},
                                 {name for name, *_ in texts})
            for name, size, contrast, disabled in texts:
                self.assertTrue(size >= 12 and (contrast >= 4.5 or disabled), (name, size, contrast))

    def test_early_clicks_next_to_the_limit_and_the_end(self):
        # A click that comes before the program's script has even arrived is taken once it runs.
        program = Program(self, page={"held": {".js"}})
        page = program.window
        self.assertTrue(wait_for(lambda: page.js("document.activeElement.id") == "Command1"))
        DESKTOP.click(page, *BUTTONS["Next"])
        time.sleep(0.3)
        self.assertEqual(program.shown(), [PYTHAGOREAN, "3", "4", "5"])
        page.held.clear()
        self.assertTrue(program.answers())
        DESKTOP.click(page, *BUTTONS["Next"], times=997 + 2)
        self.assertTrue(program.answers(shows=(PLATO, "1000", "249999", "250001")))
        self.assertTrue(page.js("Command1.disabled"))
        # What an event changes is said once, the values by their names, and nothing else speaks
        # up of itself but the page's notice of a new release.
        self.assertTrue(program.answers("Init", shows=(PYTHAGOREAN, "3", "4", "5")))
        self.assertFalse(page.js("Command1.disabled"))
        self.assertEqual(page.js("said.textContent"), f"{PYTHAGOREAN}, a 3, b 4, c 5")
        self.assertEqual(page.js("[...document.querySelectorAll('[aria-live], [role=status], "
                                 "output')].filter((e) => e.ariaLive !== 'off').map((e) => e.id)"),
                         ["said", "release"])
        # A store that the page refuses leaves the handler, is reported in a box that names it,
        # and the program ends: the page says so, in its title too, with the focus on it.
        page.js("Label2.remove()")
        program.answers("Init", shows=())
        self.assertTrue(wait_for(lambda: program.reader.says(
            "Run-time error:\n\nInvalid property value: Label2.Caption")))
        DESKTOP.keys("Return")
        self.assertEqual(program.process.wait(), 0)
        self.assertEqual(page.js("[document.activeElement.id, document.title]"),
                         ["ended", f"The program has ended. {BOX}"])
        # So it does where the module cannot be had.
        program = Program(self, folder=self.copy(), page={"held": {".wasm"}})
        program.window.missing, program.window.held = {".wasm"}, set()
        self.assertTrue(wait_for(lambda: program.window.js(
            "[document.activeElement.id, document.title]") == [
                "failed", f"The program could not be loaded. {BOX}"]))

    def test_chimes_missing_damaged_and_when_the_tab_closes(self):
        server = SOUND_SERVER(self)
        program = Program(self, server=server)
        with server.recording() as samples:
            DESKTOP.keys("Tab", "Return", "sleep", 0.12, "Return")  # Init twice, from Next
            time.sleep(1.5)
            program.answers("Exit", shows=())
            time.sleep(1.5)
        init_twice_then_exit(self, samples)
        program.ends(press_exit=False)
        # Without "pinpon.wav" and with "endpinpon.wav" damaged, both are silent, and nothing
        # but the failed fetch reaches the console. Nor does closing the tab sound.
        folder = self.copy()
        os.remove(f"{folder}/pinpon.wav")
        with open(f"{folder}/endpinpon.wav", "r+b") as chime:
            chime.write(b"\0" * 64)
        program = Program(self, server=server, folder=folder)
        with server.recording() as samples:
            self.assertTrue(program.answers("Next", "Init", "Next"))
            program.answers("Exit", shows=())
            time.sleep(1)
            program.process.kill()
            time.sleep(1)
        self.assertEqual([strikes(samples, note) for note in (E6, C6, G5, C5)], [[]] * 4)
        console = program.process.session.console  # where the driver tells
        self.assertTrue(console is None or all("pinpon.wav" in line for line in console), console)

    def test_installed_offline_and_replaced(self):
        # Release A at two paths of one host; once kept, offline; then B at one of them, the same
        # but for a chime.
        root, a, b = self.enterContext(tempfile.TemporaryDirectory()), os.path.dirname(PROGRAM), \
            os.environ["NEXT_RELEASE"]
        for path in ("app", "copy"):
            shutil.copytree(a, f"{root}/{path}")
        server = SOUND_SERVER(self)
        program = Program(self, server=server, folder=root, page={"path": "app/"})
        page, registration = program.window, "navigator.serviceWorker.getRegistration()"
        if NAME == "chromium":
            self.assertEqual(page.cdp("Page.getInstallabilityErrors", {})["installabilityErrors"],
                             [])

        def runs(release):  # whole and offline, kept in a cache of its own, named by the build
            with open(os.path.join(release, "service-worker.js")) as worker:
                cache = re.search(r"const RELEASE = '(.*)'", worker.read())[1] + " " + page.address
            self.assertTrue(wait_for(lambda: page.js("caches.keys()") == [cache] and page.js(
                f"{registration}.then((r) => !r.installing && r.active.state === 'activated' && "
                "!!navigator.serviceWorker.controller)"), 10))
            page.offline = True
            page.session.reload()
            self.assertTrue(wait_for(program.drawn) and program.answers("Next"))
            self.assertEqual(page.js("fetch('pinpon.wav').then((r) => r.arrayBuffer())"
                                     ".then((b) => b.byteLength)"), os.path.getsize(f"{release}/pinpon.wav"))
            page.offline = False
            page.session.reload()
            return cache

        def deploy(release, missing=()):  # its files new on the host, as a host's copy makes them
            shutil.copytree(release, f"{root}/app", dirs_exist_ok=True, copy_function=shutil.copy)
            page.missing = set(missing)
            page.js(f"{registration}.then((r) => r.update()).catch(() => {{}})")

        # A keeps every file of its folder but the notices and the face of the signs, which a
        # device with a Japanese face never asks for; and it asks for nothing else and stores
        # nothing else. Offline, it comes back whole, chimes and all.
        cache = runs(a)
        files = sorted(page.address + name for name in ["", *os.listdir(a)] if name not in
                       ("LICENSE.txt", "notices", "service-worker.js") and not name.endswith(".woff2"))
        self.assertEqual(sorted(page.js(f"caches.open('{cache}').then((c) => c.keys())"
                                        ".then((keys) => keys.map((k) => k.url))")), files)
        self.assertLessEqual(set(page.js("performance.getEntriesByType('resource').map((e) => e.name)")),
                             {*files, page.address + "service-worker.js"})
        self.assertEqual(page.js("[localStorage.length, sessionStorage.length, document.cookie]"),
                         [0, 0, ""])
        page.offline = True
        page.session.reload()
        with server.recording() as samples:
            self.assertTrue(program.answers("Next", "Init", "Next"))
            time.sleep(1.5)
        self.assertEqual(len(strikes(samples, E6)), 1)
        page.offline = False
        # B's module cannot be had: B is not kept, and A goes on.
        deploy(b, [".wasm"])
        self.assertTrue(wait_for(lambda: page.js(f"{registration}.then((r) => "
                                                 "!r.installing && !r.waiting)"), 10))
        runs(a)
        # B whole: it is kept and waits while A runs in the window, which says that it is there;
        # as the window starts again, B takes over.
        deploy(b)
        self.assertTrue(wait_for(lambda: page.js(f"{registration}.then((r) => !!r.waiting)"), 10))
        self.assertTrue(wait_for(lambda: page.js("release.textContent") ==
                                 "A new release of the program is ready. Start it"))
        page.session.reload()
        runs(b)
        # Each copy is an app of its own.
        if NAME == "chromium":
            ids = set()
            for path in ("app/", "copy/"):
                page.session.open(page.address.replace("app/", path))
                ids.add(page.cdp("Page.getAppId", {})["appId"])
            self.assertEqual(len(ids), 2)


if __name__ == "__main__":
    unittest.main(verbosity=2)

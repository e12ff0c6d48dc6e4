"""Reads the program the way a screen reader does, through the AT-SPI accessibility bus; also
reads the values back that way after storms of real X clicks.

Usage: accessibility_test.py PROGRAM, on an X display and a D-Bus session bus of its own.
"""

import os
import subprocess
import sys
import time
import unittest

import pyatspi

PROGRAM = sys.argv.pop(1)
# Milliseconds between the clicks of a storm: 100 clicks a second, far past any hand. Faster than
# that the X server's raw input still shows every click, yet now and then one never reaches Qt's
# event handling in the program (at 3 ms in the release build, at 5 ms in the sanitizer build),
# so storms that fast cannot be counted exactly.
STORM_GAP_MS = int(os.environ.get("STORM_GAP_MS", "10"))


def wait_for(find, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.1)
    return None


def descendants(node):
    for child in node:
        yield child
        yield from descendants(child)


class ScreenReaderTest(unittest.TestCase):
    def setUp(self):
        # Asking for the desktop starts the accessibility bus before the program looks for it.
        desktop = pyatspi.Registry.getDesktop(0)
        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.program = subprocess.Popen([PROGRAM], env=environment,
                                        cwd=os.path.dirname(PROGRAM))
        self.addCleanup(self.stop)

        def window():
            for app in desktop:
                if app is not None and app.get_process_id() == self.program.pid:
                    for frame in app:
                        if "version" in frame.name and self.named("a", frame, "3"):
                            return frame
            return None

        self.window = wait_for(window)
        self.assertIsNotNone(self.window, "the window never reached the accessibility bus")

    def stop(self):
        self.program.kill()
        self.program.wait()

    def named(self, name, root=None, description=None):
        for node in descendants(root or self.window):
            if node.name == name and description in (None, node.description):
                return node
        return None

    def values(self):
        return [self.named(name).description for name in "abc"]

    def test_values_method_buttons_and_explanation_are_read(self):
        self.assertEqual(self.values(), ["3", "4", "5"])
        for name in "abc":
            self.assertEqual(self.named(name).getRoleName(), "label")
        self.assertIsNotNone(self.named("\uff1cPythagorean method\uff1e"))
        for name in ("Next", "Init", "Exit"):
            self.assertEqual(self.named(name).getRoleName(), "push button")

        panel = self.named("Explanation")
        text = panel.queryText().getText(0, -1)
        lines = text.split("\n")
        self.assertEqual(len(lines), 10)  # nine lines, each ended by a break
        self.assertTrue(lines[1].startswith("\u3000A set of positive integers (a,b,c)"))
        self.assertTrue(lines[8].endswith("This method is called the (Plato's method)."))

    def test_pressing_next_is_heard(self):
        self.named("Next").queryAction().doAction(0)
        self.assertEqual(wait_for(lambda: self.values() == ["4", "3", "5"] and self.values()),
                         ["4", "3", "5"])
        self.assertIsNotNone(self.named("\uff1cPlato's method\uff1e"))

    def test_click_storms_are_all_counted(self):
        """Thousands of real X clicks in quick succession: each Next counts, memory stays flat."""
        window = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid",
                                 str(self.program.pid)], capture_output=True, text=True,
                                check=True).stdout.split()[0]

        def clicks(place, count):
            return ["mousemove", "--window", window, str(place[0]), str(place[1]),
                    "click", "--repeat", str(count), "--delay", str(STORM_GAP_MS), "1"]

        init, next_ = (596, 12), (312, 308)
        storms = [
            (clicks(init, 1) + clicks(next_, 900), 903),
            ((clicks(init, 1) + clicks(next_, 40)) * 20, 43),  # Init and Next mixed
            (clicks(init, 1) + clicks(next_, 990), 993),
        ]
        resident = []
        for actions, a in storms:
            subprocess.run(["xdotool"] + actions, check=True)
            self.assertEqual(wait_for(lambda: self.values()[0] == str(a), timeout=30.0), True,
                             f"a shows {self.values()[0]}, not {a}")
            resident.append(self.resident_kib())
        print(f"resident memory after each storm: {resident} KiB", file=sys.stderr)
        # Under AddressSanitizer freed memory waits in its quarantine, so memory only grows.
        if "ASAN_OPTIONS" not in os.environ:
            self.assertLess(resident[-1] - resident[0], 2048)

    def resident_kib(self):
        with open(f"/proc/{self.program.pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return 0


if __name__ == "__main__":
    unittest.main(verbosity=2)

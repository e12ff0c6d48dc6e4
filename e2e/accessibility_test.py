"""Reads the program the way a screen reader does, through the AT-SPI accessibility bus; also
reads the values back that way after storms of real X clicks.

Usage: accessibility_test.py PROGRAM, on an X display and a D-Bus session bus of its own.
"""

import os
import subprocess
import sys
import tempfile
import time
import unittest

import pyatspi

PROGRAM = sys.argv.pop(1)


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
        # Qt's log of the input it receives tells which clicks reached the program at all.
        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           QT_LOGGING_RULES="qt.qpa.input.events=true")
        self.input_log = tempfile.NamedTemporaryFile(mode="w+")
        self.addCleanup(self.input_log.close)
        self.program = subprocess.Popen([PROGRAM], env=environment, stderr=self.input_log,
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
        """Thousands of real X clicks as fast as they come: each Next counts, memory stays flat."""
        window = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid",
                                 str(self.program.pid)], capture_output=True, text=True,
                                check=True).stdout.split()[0]
        init, next_ = (596, 12), (312, 308)
        storms = [
            [(init, 1), (next_, 900)],
            [(init, 1), (next_, 40)] * 20,  # Init and Next mixed
            [(init, 1), (next_, 990)],
        ]
        # What the rules make of the clicks that reached the program.
        a, enabled, sent, received, resident = 3, True, 0, 0, []
        for storm in storms:
            for place, count in storm:
                arrived = self.click(window, place, count)
                sent, received = sent + count, received + arrived
                if place == init and arrived:
                    a, enabled = 3, True
                for _ in range(arrived if place == next_ else 0):
                    if enabled:
                        enabled = a < 1000
                        a = min(a + 1, 1000)
            self.assertEqual(wait_for(lambda: self.values()[0] == str(a), timeout=30.0), True,
                             f"a shows {self.values()[0]}, not {a}")
            resident.append(self.resident_kib())
        print(f"{received} of {sent} clicks reached the program; resident memory after each "
              f"storm: {resident} KiB", file=sys.stderr)
        # Under AddressSanitizer freed memory waits in its quarantine, so memory only grows.
        if "ASAN_OPTIONS" not in os.environ:
            self.assertLess(resident[-1] - resident[0], 2048)

    def click(self, window, place, count):
        """Clicks 1 ms apart, and how many of them reached the program.

        Xvfb now and then loses a click sent that fast before the program gets it, so Qt's own
        log of its input tells what arrived; every click that did must count.
        """
        before = self.presses()
        subprocess.run(["xdotool", "mousemove", "--window", window, str(place[0]),
                        str(place[1]), "click", "--repeat", str(count), "--delay", "1", "1"],
                       check=True)
        settled, now = -1, self.presses()
        while now != settled:
            time.sleep(0.2)
            settled, now = now, self.presses()
        return now - before

    def presses(self):
        self.input_log.seek(0)
        return sum("XI2 mouse press, button 1" in line for line in self.input_log)

    def resident_kib(self):
        with open(f"/proc/{self.program.pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return 0


if __name__ == "__main__":
    unittest.main(verbosity=2)

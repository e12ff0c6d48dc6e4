# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The three browser engines, each driven as its own driver allows, behind one interface for the
end-to-end test and the benchmarks: Debian's Chromium through selenium and chromedriver, with the
DevTools protocol for what a user's hand and a screen reader do; Firefox ESR over WebDriver BiDi,
which it speaks itself (there is no geckodriver to be had); WebKitGTK through selenium and
WebKitWebDriver, on the X display that DISPLAY names.

Every session runs in the environment it is given (the sound server, the fontconfig file that
chooses the faces it has), at a viewport of the width asked for, and takes the user's clicks and
keys as input events of its own, which browsers count as the gesture that sound needs."""
import base64
import json
import os
import re
import shutil
import subprocess
import tempfile
import time

import websocket
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.remote.command import Command

# The keys of the tests' words, as WebDriver's actions name them and as the DevTools protocol does.
KEYS = {"Return": ("\ue006", "Enter", "Enter", 13, "\r"),
        "KP_Enter": ("\ue007", "Enter", "NumpadEnter", 13, "\r"),
        "Tab": ("\ue004", "Tab", "Tab", 9, ""), "space": (" ", " ", "Space", 32, " "),
        "shift": ("\ue008", "Shift", "ShiftLeft", 16, "")}


def open_session(engine, env, width=800, height=740, dark=False):
    return SESSIONS[engine](env, width, height, dark)


class Session:
    console = None  # what the page wrote to the console, where the driver tells
    narrowest = 0  # the narrowest viewport the engine's window can have

    def js(self, expression):
        """The expression's value, once any promise it gives has settled."""
        result = self.driver.execute_async_script(
            f"Promise.resolve().then(() => {expression}).then((v) => arguments[0]([v]),"
            " (e) => arguments[0]({error: String(e)}))")
        if isinstance(result, dict):
            raise RuntimeError(f"{expression}: {result['error']}")
        return result[0]

    def click(self, x, y, times=1):
        pointer = [{"type": "pointerMove", "x": round(x), "y": round(y), "origin": "viewport"}]
        pointer += [{"type": kind, "button": 0} for _ in range(times)
                    for kind in ("pointerDown", "pointerUp")]
        self.actions([{"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
                       "actions": pointer}])

    def keys(self, *words):
        """xdotool's words: "shift+Tab", "keydown", "keyup", "sleep" (a held key does not
        repeat here)."""
        actions, words = [], iter(words)
        for word in words:
            if word == "sleep":
                actions.append({"type": "pause", "duration": round(next(words) * 1000)})
            elif word in ("keydown", "keyup"):
                actions.append({"type": "keyDown" if word == "keydown" else "keyUp",
                                "value": KEYS[next(words)][0]})
            else:
                *held, name = word.split("+")
                keys = [KEYS[key][0] for key in [*held, name]]
                actions += [{"type": "keyDown", "value": k} for k in keys]
                actions += [{"type": "keyUp", "value": k} for k in reversed(keys)]
        self.actions([{"type": "key", "id": "keyboard", "actions": actions}])

    def actions(self, sources):
        self.driver.execute(Command.W3C_ACTIONS, {"actions": sources})

    def open(self, url, wait=True):  # until the page has loaded, or not
        self.loading(lambda: self.driver.get(url), wait)

    def loading(self, navigate, wait=True):
        # The drivers are told not to wait for a page, so that a page may be held back; where the
        # test waits, it waits for a new page to have loaded.
        self.js("window.left = true")
        navigate()
        deadline = time.monotonic() + 30
        while wait and time.monotonic() < deadline:
            try:
                if self.js("!window.left && document.readyState === 'complete'"):
                    break
            except (RuntimeError, WebDriverException):  # between two pages
                pass
            time.sleep(0.05)

    def reload(self):
        self.loading(self.driver.refresh)

    def title(self):
        return self.driver.title

    def quit(self):
        self.driver.quit()


class Chromium(Session):
    # Keys and clicks through the DevTools protocol, where a held key repeats as a user's does.
    def __init__(self, env, width, height, dark):
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ["headless=new", "no-sandbox", "disable-gpu", "no-first-run", "disable-sync",
                     "disable-background-networking", "disable-component-update", "disable-quic"]:
            options.add_argument(f"--{flag}")
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        options.page_load_strategy = "none"
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver", env=env),
                                       options=options)
        self.cdp = self.driver.execute_cdp_cmd
        self.resize(width, height)
        self.cdp("Emulation.setEmulatedMedia", {"features": [
            {"name": "prefers-color-scheme", "value": "dark" if dark else "light"}]})

    def resize(self, width, height=740):
        self.cdp("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": width < 625})

    def click(self, x, y, times=1):
        for _ in range(times):
            for kind in ("mousePressed", "mouseReleased"):
                self.cdp("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y,
                                                      "button": "left", "clickCount": 1})

    def key(self, kind, name, modifiers=(), repeat=False):
        _, key, code, number, text = KEYS[name]
        self.cdp("Input.dispatchKeyEvent", {
            "type": kind, "key": key, "code": code, "windowsVirtualKeyCode": number,
            "modifiers": 8 * ("shift" in modifiers), "autoRepeat": repeat,
            **({"text": text} if kind == "keyDown" and text else {})})

    def keys(self, *words):
        held, words = None, iter(words)
        for word in words:
            if word == "sleep":
                until = time.monotonic() + next(words)
                while time.monotonic() < until:
                    held and self.key("keyDown", held, repeat=True)
                    time.sleep(0.03)
            elif word in ("keydown", "keyup"):
                held = next(words) if word == "keydown" else None
                self.key("keyDown" if held else "keyUp", held or next(words))
            else:
                *modifiers, name = word.split("+")
                self.key("keyDown", name, modifiers)
                self.key("keyUp", name, modifiers)

    def quit(self):
        self.console = [entry["message"] for entry in self.driver.get_log("browser")]
        self.driver.quit()


class WebKit(Session):
    # MiniBrowser's window: its viewport is the window, which does not shrink below some 450 px.
    narrowest = 450

    def __init__(self, env, width, height, dark):
        options = webdriver.WebKitGTKOptions()
        options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
        options.add_argument("--automation")
        options.page_load_strategy = "none"
        # Debian's selenium starts WebKitWebDriver in its own environment.
        saved = dict(os.environ)
        os.environ.update(env, **({"GTK_THEME": "Adwaita:dark"} if dark else {}))
        try:
            self.driver = webdriver.WebKitGTK(options=options)
        finally:
            os.environ.clear()
            os.environ.update(saved)
        self.resize(width, height)

    def resize(self, width, height=740):
        self.driver.set_window_size(max(width, self.narrowest), height)


class Firefox(Session):
    # Firefox ESR started with its WebDriver BiDi server, spoken to over its WebSocket: a command
    # is a JSON message with an id, answered by one with the same id; events come in between.
    # Its keys from WebDriver BiDi reach the page, but a button does not take them as a press, so
    # where there is an X display Firefox runs on it and is typed at there (xdotool), as a user
    # types; its clicks come over WebDriver BiDi.
    PREFERENCES = {"browser.shell.checkDefaultBrowser": False, "app.update.disabledForTesting": True,
                   "datareporting.policy.dataSubmissionEnabled": False,
                   "toolkit.telemetry.reportingpolicy.firstRun": False,
                   "browser.startup.homepage_override.mstone": "ignore",
                   "services.settings.server": "", "network.connectivity-service.enabled": False,
                   "media.autoplay.default": 0}

    def __init__(self, env, width, height, dark):
        self.x11, self.profile = "DISPLAY" in env, tempfile.mkdtemp()
        preferences = {**self.PREFERENCES,
                       "layout.css.prefers-color-scheme.content-override": 0 if dark else 1}
        with open(os.path.join(self.profile, "user.js"), "w") as file:
            file.writelines(f"user_pref({json.dumps(k)}, {json.dumps(v)});\n"
                            for k, v in preferences.items())
        self.process = subprocess.Popen(
            ["firefox-esr", *([] if self.x11 else ["--headless"]), "--no-remote", "--profile",
             self.profile, "--remote-debugging-port=0", "about:blank"], env=env, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        for line in self.process.stderr:
            if found := re.search(r"WebDriver BiDi listening on (ws://\S+)", line):
                break
        else:
            raise RuntimeError("Firefox did not start its WebDriver BiDi server")
        # Firefox refuses a WebSocket that names an origin, as a page's would.
        self.socket = websocket.create_connection(f"{found[1]}/session", timeout=120,
                                                  suppress_origin=True)
        self.sent, self.events, self.console = 0, [], []
        self.call("session.new", capabilities={})
        self.call("session.subscribe", events=["log.entryAdded"])
        self.context = self.call("browsingContext.getTree")["contexts"][0]["context"]
        self.resize(width, height)
        if self.x11:  # the window that takes the keys
            self.window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                                          str(self.process.pid)], capture_output=True, text=True,
                                         timeout=30).stdout.split()[0]

    def call(self, method, **params):
        self.sent += 1
        self.socket.send(json.dumps({"id": self.sent, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.sent:
                if message.get("type") == "error":
                    raise RuntimeError(f"{method}: {message['error']}: {message.get('message')}")
                return message["result"]
            if message.get("method") == "log.entryAdded":
                self.console.append(message["params"].get("text"))

    def resize(self, width, height=740):
        self.call("browsingContext.setViewport", context=self.context,
                  viewport={"width": width, "height": height})

    def open(self, url, wait=True):
        self.call("browsingContext.navigate", context=self.context, url=url,
                  wait="complete" if wait else "none")
        self.focused = False

    def reload(self):
        self.call("browsingContext.reload", context=self.context, wait="complete")
        self.focused = False

    def focus(self):
        # Firefox gives a page the focus on the first key that its window takes, and takes that
        # key for nothing more: Escape, which the page ignores.
        subprocess.run(["xdotool", "windowactivate", "--sync", self.window, "key", "Escape"],
                       timeout=30)
        deadline = time.monotonic() + 10
        while not self.js("document.hasFocus()") and time.monotonic() < deadline:
            time.sleep(0.05)
        self.focused = True

    def js(self, expression):
        result = self.call("script.evaluate", expression=f"(async () => {expression})()",
                           target={"context": self.context}, awaitPromise=True,
                           serializationOptions={"maxObjectDepth": 10})
        if result["type"] == "exception":
            raise RuntimeError(f"{expression}: {result['exceptionDetails']['text']}")
        return self.value(result["result"])

    @classmethod
    def value(cls, remote):  # a value as WebDriver BiDi serializes it, as JSON would have it
        kind, value = remote["type"], remote.get("value")
        if kind in ("array", "set"):
            return [cls.value(item) for item in value]
        if kind in ("object", "map"):  # a platform object's members are not given
            return {key if isinstance(key, str) else cls.value(key): cls.value(item)
                    for key, item in value or []}
        return None if kind in ("undefined", "null") else value

    def actions(self, sources):
        self.call("input.performActions", context=self.context, actions=sources)

    def keys(self, *words):
        if not self.x11:
            return super().keys(*words)
        self.focused or self.focus()
        chain, words = [], iter(words)
        for word in words:
            chain += [word, next(words)] if word in ("keydown", "keyup", "sleep") else ["key", word]
        subprocess.run(["xdotool", *map(str, chain)], check=True, timeout=30)

    def title(self):
        return self.js("document.title")

    def screenshot(self):
        return base64.b64decode(self.call("browsingContext.captureScreenshot",
                                          context=self.context)["data"])

    def quit(self):
        try:
            self.call("browser.close")
        except (RuntimeError, websocket.WebSocketException):
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.socket.close()
        shutil.rmtree(self.profile, ignore_errors=True)


SESSIONS = {"chromium": Chromium, "firefox": Firefox, "webkit": WebKit}

# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# The three browser engines behind one interface, for the end-to-end test and the benchmarks:
# Debian's Chromium through selenium and chromedriver, with the DevTools protocol for what a
# screen reader and an installer see; WebKitGTK's MiniBrowser through selenium and
# WebKitWebDriver, on the X display that DISPLAY names; Firefox ESR over WebDriver BiDi, which it
# speaks itself (there is no geckodriver to be had). Each session runs in the environment it is
# given (the sound server, the fontconfig file that chooses its faces), at the viewport's width
# asked for, and takes clicks and keys as input of its own, which browsers count as the gesture
# that sound needs. The drivers do not wait for a page to load, so that a test may hold one back.
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
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.remote.command import Command
from selenium.webdriver.webkitgtk.service import Service as WebKitService

# WebDriver's names of the keys that the tests' words (xdotool's) name.
KEYS = {"Return": "\ue006", "KP_Enter": "\ue007", "Tab": "\ue004", "space": " ", "shift": "\ue008"}


# The faces of the devices that the page is for, each a set of Debian's font files and the
# system's sans serif among them: the IPA faces with DejaVu Sans, as on Debian; Noto Sans CJK JP
# alone; Roboto with Noto Sans CJK JP, as on ChromeOS and Android; no Japanese face.
FACES = {"IPA": ("DejaVu Sans", "truetype/dejavu/DejaVuSans* opentype/ipafont-gothic/*"),
         "Noto Sans CJK JP": ("Noto Sans CJK JP", "opentype/noto/NotoSansCJK-*"),
         "Roboto, Noto Sans CJK JP": ("Roboto", "truetype/roboto/unhinted/RobotoTTF/* "
                                                "opentype/noto/NotoSansCJK-*"),
         "no Japanese face": ("DejaVu Sans", "truetype/dejavu/DejaVuSans*")}


def fontconfig(folder, faces):  # a file in FOLDER that leaves a browser only those faces
    path, (sans, globs) = os.path.join(folder, "fonts.conf"), FACES[faces]
    with open(path, "w") as conf:
        conf.write(f"""<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "fonts.dtd"><fontconfig>
            <include>/etc/fonts/fonts.conf</include><selectfont><rejectfont>
            <glob>/usr/share/fonts/*.*</glob></rejectfont><acceptfont>{"".join(
            f"<glob>/usr/share/fonts/{glob}</glob>" for glob in globs.split())}</acceptfont>
            </selectfont><alias><family>sans-serif</family><prefer><family>{sans}</family>
            </prefer></alias></fontconfig>""")
    return path


def open_session(engine, env, width=800, height=740, dark=False, **options):
    return SESSIONS[engine](env, width, height, dark, **options)


class Session:
    console = None  # what the page wrote to the console, where the driver tells
    narrowest = 0  # the narrowest viewport that the engine's window can have

    def js(self, expression):  # its value, once a promise that it gives has settled
        for attempt in range(5):  # (again on the next page, where a page's end cut it short)
            try:
                result = self.driver.execute_async_script(
                    f"Promise.resolve().then(() => {expression}).then((v) => arguments[0]([v]),"
                    " (e) => arguments[0]({error: String(e)}))")
                break
            except WebDriverException as error:
                if "unload" not in str(error) or attempt == 4:
                    raise
                time.sleep(0.1)
        if isinstance(result, dict):
            raise RuntimeError(f"{expression}: {result['error']}")
        return result[0]

    def click(self, x, y, times=1):
        self.actions([{"type": "pointer", "id": "mouse", "actions": [
            {"type": "pointerMove", "x": round(x), "y": round(y), "origin": "viewport"},
            *[{"type": kind, "button": 0} for _ in range(times) for kind in ("pointerDown", "pointerUp")]]}])

    def keys(self, *words):  # xdotool's words ("shift+Tab", "keydown", "sleep"); none repeats
        actions, words = [], iter(words)
        for word in words:
            if word == "sleep":
                actions.append({"type": "pause", "duration": round(next(words) * 1000)})
            elif word in ("keydown", "keyup"):
                actions.append({"type": f"key{word[3:].title()}", "value": KEYS[next(words)]})
            else:
                keys = [KEYS[key] for key in word.split("+")]
                actions += [{"type": "keyDown", "value": k} for k in keys]
                actions += [{"type": "keyUp", "value": k} for k in reversed(keys)]
        self.actions([{"type": "key", "id": "keyboard", "actions": actions}])

    def actions(self, sources):
        self.driver.execute(Command.W3C_ACTIONS, {"actions": sources})

    def screenshot(self):  # of the viewport, as PNG
        return self.driver.get_screenshot_as_png()

    def open(self, url, wait=True):
        self.loading(lambda: self.driver.get(url), wait)

    def reload(self):
        self.loading(self.driver.refresh)

    def loading(self, navigate, wait=True):  # and where the test waits, a new page loaded
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

    def quit(self):
        self.driver.quit()


class Chromium(Session):
    def __init__(self, env, width, height, dark):
        options = webdriver.ChromeOptions()
        options.binary_location, options.page_load_strategy = "/usr/bin/chromium", "none"
        for flag in ["headless=new", "no-sandbox", "disable-gpu", "no-first-run", "disable-sync",
                     "disable-background-networking", "disable-component-update", "disable-quic"]:
            options.add_argument(f"--{flag}")
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver", env=env),
                                       options=options)
        self.cdp = self.driver.execute_cdp_cmd
        self.resize(width, height)
        self.cdp("Emulation.setEmulatedMedia", {"features": [
            {"name": "prefers-color-scheme", "value": "dark" if dark else "light"}]})

    def resize(self, width, height=740):  # a phone's screen where narrower than the window
        self.cdp("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": width < 625})

    def quit(self):
        self.console = [entry["message"] for entry in self.driver.get_log("browser")]
        self.driver.quit()


class WebKit(Session):
    narrowest = 450  # MiniBrowser's window's

    def __init__(self, env, width, height, dark):
        options = webdriver.WebKitGTKOptions()
        options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
        options.add_argument("--automation")
        options.page_load_strategy = "none"
        saved = dict(os.environ)  # Debian's selenium starts the driver in its own environment
        os.environ.update(env, **({"GTK_THEME": "Adwaita:dark"} if dark else {}))
        try:  # named as Debian 13's selenium wants it, or as Debian 12's
            self.driver = webdriver.WebKitGTK(options=options, service=WebKitService(
                "/usr/bin/WebKitWebDriver"))
        except TypeError:
            self.driver = webdriver.WebKitGTK(options=options, executable_path="/usr/bin/WebKitWebDriver")
        finally:
            os.environ.clear()
            os.environ.update(saved)
        self.resize(width, height)

    def resize(self, width, height=740):
        self.driver.set_window_size(max(width, self.narrowest), height)


class Firefox(Session):
    # Firefox with its WebDriver BiDi server, spoken to over a WebSocket: a command is a JSON
    # message with an id, answered by one with the same id, with events in between. Its keys
    # reach a page, but a button does not take them as a press; so Firefox runs on the X display
    # and is typed at there with xdotool, as a user types.
    def __init__(self, env, width, height, dark, preferences=()):
        self.profile, self.sent, self.console, self.focused = tempfile.mkdtemp(), 0, [], False
        with open(os.path.join(self.profile, "user.js"), "w") as file:
            file.writelines(f"user_pref({json.dumps(k)}, {json.dumps(v)});\n" for k, v in {
                "browser.shell.checkDefaultBrowser": False, "app.update.disabledForTesting": True,
                "datareporting.policy.dataSubmissionEnabled": False,
                "browser.startup.homepage_override.mstone": "ignore", "services.settings.server": "",
                "layout.css.prefers-color-scheme.content-override": 0 if dark else 1,
                **dict(preferences)}.items())
        self.process = subprocess.Popen(  # on the X display where there is one
            ["firefox-esr", *([] if "DISPLAY" in env else ["--headless"]), "--no-remote",
             "--profile", self.profile, "--remote-debugging-port=0"], env=env,
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        address = next(found[1] for line in self.process.stderr
                       if (found := re.search(r"WebDriver BiDi listening on (ws://\S+)", line)))
        # Firefox refuses a WebSocket that names an origin, as a page's would.
        self.socket = websocket.create_connection(f"{address}/session", timeout=120,
                                                  suppress_origin=True)
        self.call("session.new", capabilities={})
        self.call("session.subscribe", events=["log.entryAdded"])
        self.context = self.call("browsingContext.getTree")["contexts"][0]["context"]
        self.window = "DISPLAY" in env and subprocess.run(
            ["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(self.process.pid)],
            capture_output=True, text=True, timeout=30).stdout.split()[0]
        self.resize(width, height)

    def call(self, method, **params):
        self.sent += 1
        self.socket.send(json.dumps({"id": self.sent, "method": method, "params": params}))
        while (message := json.loads(self.socket.recv())).get("id") != self.sent:
            if message.get("method") == "log.entryAdded":
                self.console.append(message["params"].get("text"))
        if message.get("type") == "error":
            raise RuntimeError(f"{method}: {message['error']}: {message.get('message')}")
        return message["result"]

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

    def js(self, expression):  # as JSON gives it
        result = self.call("script.evaluate", target={"context": self.context}, awaitPromise=True,
                           expression=f"(async () => JSON.stringify(await ({expression})))()")
        if result["type"] == "exception":
            raise RuntimeError(f"{expression}: {result['exceptionDetails']['text']}")
        return json.loads(result["result"].get("value", "null"))

    def actions(self, sources):
        self.call("input.performActions", context=self.context, actions=sources)

    def screenshot(self):
        return base64.b64decode(self.call("browsingContext.captureScreenshot",
                                          context=self.context)["data"])

    def keys(self, *words):
        if not self.window:
            return super().keys(*words)
        if not self.focused:
            # Firefox gives a page the focus on the first key that its window takes, and takes
            # that key for nothing more: Escape, which the page ignores.
            subprocess.run(["xdotool", "windowactivate", "--sync", self.window, "key", "Escape"],
                           timeout=30)
            self.focused = wait(lambda: self.js("document.hasFocus()"))
        chain, words = [], iter(words)
        for word in words:
            chain += [word, next(words)] if word in ("keydown", "keyup", "sleep") else ["key", word]
        subprocess.run(["xdotool", *map(str, chain)], check=True, timeout=30)

    def quit(self):
        self.socket.close()
        self.process.kill()
        self.process.wait()
        shutil.rmtree(self.profile, ignore_errors=True)


def wait(found, timeout=10):
    deadline = time.monotonic() + timeout
    while not found() and time.monotonic() < deadline:
        time.sleep(0.05)
    return found()


SESSIONS = {"chromium": Chromium, "firefox": Firefox, "webkit": WebKit}

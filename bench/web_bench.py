#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The web page's figures, served by nginx as web/nginx.conf has a host serve it: what a first
visit downloads before the chimes, as sent, gzipped, and compressed with brotli, on a device with
a Japanese face and on one with none (which also fetches the face of the signs); the first frame
against a bare static page of the same layout, in Chromium and in Firefox; and the Init click's
chime at a PulseAudio null sink against a bare page that plays a buffer decoded in advance, in
Chromium. The browsers are the end-to-end test's (e2e/browsers.py). Prints one figure a line,
"name value", for bench.sh.

Usage (on a PulseAudio server with a null sink named "chimes", as tests/with-pulseaudio.sh
makes): web_bench.py PAGE_FOLDER FRAME_PAIRS CHIME_PAIRS [LIGHTHOUSE]
With the path of Lighthouse's command (bench/lighthouse.sh), also Lighthouse's scores.
"""
import json
import gzip
import os
import re
import shutil
import statistics
import subprocess
import sys
import socket
import tempfile
import threading
import time

BENCH = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(BENCH), "e2e"))
import browsers  # noqa: E402
RATE = 44100


def serve(folder, scratch):
    # nginx with the site's configuration that the docs give hosts, logging each request's path.
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
    site = os.path.join(os.path.dirname(BENCH), "web", "nginx.conf")
    with open(f"{scratch}/nginx.conf", "w") as conf:
        conf.write(f"""daemon off; worker_processes 1; pid {scratch}/nginx.pid;
            error_log {scratch}/error.log; events {{}}
            http {{ access_log {scratch}/access.log;
                client_body_temp_path {scratch}; proxy_temp_path {scratch};
                fastcgi_temp_path {scratch}; uwsgi_temp_path {scratch}; scgi_temp_path {scratch};
                server {{ listen 127.0.0.1:{port}; root {folder}; include {site}; }} }}""")
    server = subprocess.Popen(["nginx", "-e", f"{scratch}/error.log", "-c", f"{scratch}/nginx.conf"])
    browsers.wait(lambda: socket.socket().connect_ex(("127.0.0.1", port)) == 0)
    return f"http://127.0.0.1:{port}/", server


def browser(engine="chromium", env=(), **options):  # at the width of the layout
    return browsers.open_session(engine, {**os.environ, **dict(env)}, 1000, **options)


def first_visit(session, address, log):
    # Everything that the first visit asks for, the service worker's keeping included, but the
    # chimes, and how much of it came over the wire.
    open(log, "w").close()
    session.open(address)
    browsers.wait(lambda: session.js("navigator.serviceWorker.ready.then(() => caches.keys())"
                                ".then((k) => k.length && caches.open(k[0])).then((c) => c && "
                                "c.keys()).then((keys) => keys && keys.length)"))
    time.sleep(1)
    requested = [line.split('"')[1].split()[1].split("?")[0] for line in open(log)]
    return sorted({name.lstrip("/") or "index.html" for name in requested
                   if not name.endswith(".wav")})


def sizes(folder, files):
    # Each file compressed as a host would send it.
    raw = compressed = brotli = 0
    for name in files:
        data = open(os.path.join(folder, name), "rb").read()
        raw += len(data)
        compressed += len(gzip.compress(data, 9, mtime=0))
        brotli += len(subprocess.run(["brotli", "-c", "-q", "11"], input=data,
                                     capture_output=True, check=True).stdout)
    return raw, compressed, brotli


# When the page first paints content (the window's controls), from the navigation's start: the
# first contentful paint, which Chromium and Firefox both give.
FIRST = "performance.getEntriesByName('first-contentful-paint')[0]?.startTime"


def first_frames(engine, address, pairs):
    # Every visit a first one: from the host, not from the browser's cache or service worker.
    if engine == "chromium":
        session = browser()
        session.cdp("Network.enable", {})
        session.cdp("Network.setCacheDisabled", {"cacheDisabled": True})
        session.cdp("Network.setBypassServiceWorker", {"bypass": True})
    else:
        session = browser(engine, preferences={
            "browser.cache.disk.enable": False, "browser.cache.memory.enable": False,
            "dom.serviceWorkers.enabled": False})
    times = {"index.html": [], "bare.html": []}
    for pair in range(pairs + 1):
        for page, found in times.items():
            session.open(f"{address}{page}?{pair}")
            painted = browsers.wait(lambda: session.js(FIRST))
            if pair:  # the first of each is not counted
                found.append(painted)
    session.quit()
    ratios = [page / bare for page, bare in zip(times["index.html"], times["bare.html"])]
    return statistics.median(times["index.html"]), statistics.median(times["bare.html"]), \
        statistics.median(ratios)


class Recorder:
    # The null sink's monitor in 10 ms fragments, each stamped with when it arrived.
    def __init__(self):
        self.fragments, self.lock = [], threading.Lock()
        self.process = subprocess.Popen(
            ["parec", "--device=chimes.monitor", "--raw", "--format=s16le", f"--rate={RATE}",
             "--channels=1", "--latency-msec=10"], stdout=subprocess.PIPE)
        threading.Thread(target=self.record, daemon=True).start()
        time.sleep(2.5)  # an idle null sink runs far ahead of the clock until it is recorded

    def record(self):
        while chunk := self.process.stdout.read(RATE // 100 * 2):
            with self.lock:
                self.fragments.append((time.monotonic(), chunk))

    def first_sound_after(self, after):
        with self.lock:
            fragments = [f for f in self.fragments if f[0] >= after]
        for arrived, chunk in fragments:
            samples = memoryview(chunk).cast("h")
            for i, sample in enumerate(samples):
                if abs(sample) > 300:
                    return (arrived - (len(samples) - i) / RATE - after) * 1000
        return None


def chimes(session, address, pairs):
    recorder = Recorder()
    delays = {"index.html": [], "bare-chime.html": []}
    for pair in range(pairs):
        for page, button in (("index.html", "Command2"), ("bare-chime.html", "play")):
            session.open(f"{address}{page}?{pair}")
            time.sleep(0.5)  # the chimes are decoded after the first frame
            x, y = session.js(f"[{button}.getBoundingClientRect().x + 5, "
                              f"{button}.getBoundingClientRect().y + 5]")
            # As a user's hand does, the pointer goes to the button before it clicks.
            session.cdp("Input.dispatchMouseEvent", {"type": "mouseMoved", "x": x, "y": y})
            time.sleep(0.3)
            click = time.monotonic()
            for kind in ("mousePressed", "mouseReleased"):
                session.cdp("Input.dispatchMouseEvent", {
                    "type": kind, "x": x, "y": y, "button": "left", "clickCount": 1})
            time.sleep(1.2)
            delays[page].append(recorder.first_sound_after(click))
    recorder.process.kill()
    heard = [(page, bare) for page, bare in zip(*delays.values()) if page and bare]
    return (statistics.median(p for p, _ in heard), statistics.median(b for _, b in heard),
            statistics.median(p / b for p, b in heard), len(heard))


def lighthouse(command, address, scratch, runs=5):
    # Its own run of Chromium, with its default emulation of a phone on a slow network. One run
    # swings with whatever else the machine does; Lighthouse's own advice is the median of five.
    reports = []
    for run in range(runs):
        subprocess.run([command, address, "--quiet", "--only-categories=performance,"
                        "accessibility,best-practices",
                        "--chrome-flags=--headless=new --no-sandbox --disable-gpu",
                        "--output=json", f"--output-path={scratch}/lighthouse-{run}.json"],
                       env={**os.environ, "CHROME_PATH": "/usr/bin/chromium"}, check=True)
        with open(f"{scratch}/lighthouse-{run}.json") as report:
            reports.append(json.load(report))
    def performance(report):
        return round(report["categories"]["performance"]["score"] * 100)
    scores = [performance(report) for report in reports]
    report = sorted(reports, key=performance)[runs // 2]
    for name, category in report["categories"].items():
        print(f"web_lighthouse_{name} {round(category['score'] * 100)}")
    for metric in ("first-contentful-paint", "largest-contentful-paint", "total-blocking-time",
                   "cumulative-layout-shift", "speed-index"):
        print(f"web_lighthouse_{metric} {report['audits'][metric]['displayValue']}")
    print(f"web_lighthouse_version {report['lighthouseVersion']}")
    print(f"web_lighthouse_runs {runs}\nweb_lighthouse_performance_scores "
          f"{', '.join(map(str, scores))}")


def main():
    page_folder, frame_pairs, chime_pairs = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    with tempfile.TemporaryDirectory() as scratch:
        folder = f"{scratch}/page"
        shutil.copytree(page_folder, folder)
        for name in ("bare-chime.html", "bare-chime.js"):
            shutil.copy(os.path.join(BENCH, name), folder)
        # nginx's workers read the folder as nobody.
        for path in (scratch, folder):
            os.chmod(path, 0o755)
        address, server = serve(folder, scratch)
        # A first visit on a device with a Japanese face, and on one with none.
        for device, env in (("", {}), ("_no_japanese_face", {"FONTCONFIG_FILE": browsers.fontconfig(
                scratch, "no Japanese face")})):
            session = browser(env=env)
            files = first_visit(session, address, f"{scratch}/access.log")
            session.quit()
            raw, compressed, brotli = sizes(folder, files)
            print(f"web_files{device} {','.join(files)}")
            print(f"web_first_visit{device}_kb {raw / 1000:.1f}")
            print(f"web_first_visit{device}_gzip_kb {compressed / 1000:.1f}")
            print(f"web_first_visit{device}_brotli_kb {brotli / 1000:.1f}")
        # The bare page: the same page without its scripts.
        with open(os.path.join(folder, "index.html")) as page, \
                open(os.path.join(folder, "bare.html"), "w") as bare:
            bare.write(re.sub(r"<script\b.*?</script>\n?", "", page.read(), flags=re.S))
        for engine in ("chromium", "firefox"):
            page, bare, ratio = first_frames(engine, address, frame_pairs)
            print(f"web_frame_{engine}_page_ms {page:.1f}\nweb_frame_{engine}_bare_ms {bare:.1f}\n"
                  f"web_frame_{engine}_ratio {ratio:.3f}")
        session = browser()
        page, bare, ratio, heard = chimes(session, address, chime_pairs)
        print(f"web_chime_page_ms {page:.1f}\nweb_chime_bare_ms {bare:.1f}\n"
              f"web_chime_ratio {ratio:.3f}\nweb_chime_pairs {heard}")
        session.quit()
        if len(sys.argv) > 4:
            lighthouse(sys.argv[4], address, scratch)
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()

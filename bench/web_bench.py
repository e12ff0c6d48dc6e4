#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
"""The web page's figures, in Debian's Chromium, headless, served by nginx as web/nginx.conf
has a host serve it: what a first visit downloads before the chimes, as sent, gzipped, and
compressed with brotli; the first frame against a bare static page of the same layout; and the
Init click's chime at a PulseAudio null sink against a bare page that plays a buffer decoded in
advance. Prints one figure a line, "name value", for bench.sh.

Usage (on a PulseAudio server with a null sink named "chimes", as tests/with-pulseaudio.sh
makes): web_bench.py PAGE_FOLDER FRAME_PAIRS CHIME_PAIRS [LIGHTHOUSE]
With the path of Lighthouse's command (bench/lighthouse.sh), also Lighthouse's scores.
"""
import json
import gzip
import os
import shutil
import statistics
import subprocess
import sys
import socket
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

BENCH = os.path.dirname(os.path.abspath(__file__))
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
    wait_for(lambda: socket.socket().connect_ex(("127.0.0.1", port)) == 0)
    return f"http://127.0.0.1:{port}/", server


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ["headless=new", "no-sandbox", "disable-gpu", "no-first-run", "disable-sync",
                 "disable-background-networking", "disable-component-update", "disable-quic"]:
        options.add_argument(f"--{flag}")
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait_for(find, timeout=10.0):
    deadline = time.monotonic() + timeout
    while not (found := find()) and time.monotonic() < deadline:
        time.sleep(0.02)
    return found


def first_visit(driver, address, log):
    # Everything that the first visit asks for, the service worker's keeping included, but the
    # chimes, and how much of it came over the wire.
    driver.get(address)
    wait_for(lambda: driver.execute_async_script(
        "navigator.serviceWorker.ready.then(() => caches.keys()).then((k) => k.length && "
        "caches.open(k[0])).then((c) => c && c.keys()).then((keys) => arguments[0](keys && "
        "keys.length))"))
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


# When the triple is first painted: the time that Chromium gives the first paint of Label1's text,
# from the navigation's start (Element Timing, with the attribute put on as the page is parsed).
PAINTED = """
window.painted = new Promise((resolve) => new PerformanceObserver((list) => {
    for (const entry of list.getEntries()) resolve(entry.renderTime || entry.startTime);
}).observe({ type: 'element', buffered: true }));
new MutationObserver((changes, observer) => {
    const label = document.getElementById('Label1');
    if (label) { label.setAttribute('elementtiming', 'triple'); observer.disconnect(); }
}).observe(document, { subtree: true, childList: true });
"""


def first_frames(driver, address, pairs):
    driver.execute_cdp_cmd("Network.enable", {})
    # Every visit a first one: from the host, not from the browser's cache or service worker.
    driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
    driver.execute_cdp_cmd("Network.setBypassServiceWorker", {"bypass": True})
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PAINTED})
    times = {"index.html": [], "bare.html": []}
    for pair in range(pairs + 1):
        for page, found in times.items():
            driver.get(f"{address}{page}?{pair}")
            painted = driver.execute_async_script("window.painted.then(arguments[0])")
            if pair:  # the first of each is not counted
                found.append(painted)
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


def chimes(driver, address, pairs):
    recorder = Recorder()
    delays = {"index.html": [], "bare-chime.html": []}
    for pair in range(pairs):
        for page, button in (("index.html", "Command2"), ("bare-chime.html", "play")):
            driver.get(f"{address}{page}?{pair}")
            time.sleep(0.5)  # the chimes are decoded after the first frame
            x, y = driver.execute_script(
                f"const r = {button}.getBoundingClientRect(); return [r.x + 5, r.y + 5]")
            # As a user's hand does, the pointer goes to the button before it clicks.
            driver.execute_cdp_cmd("Input.dispatchMouseEvent", {"type": "mouseMoved", "x": x, "y": y})
            time.sleep(0.3)
            click = time.monotonic()
            for kind in ("mousePressed", "mouseReleased"):
                driver.execute_cdp_cmd("Input.dispatchMouseEvent", {
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
        driver = browser()
        files = first_visit(driver, address, f"{scratch}/access.log")
        raw, compressed, brotli = sizes(folder, files)
        print(f"web_files {','.join(files)}")
        print(f"web_first_visit_kb {raw / 1000:.1f}")
        print(f"web_first_visit_gzip_kb {compressed / 1000:.1f}")
        print(f"web_first_visit_brotli_kb {brotli / 1000:.1f}")
        # The bare page: the same page without its script.
        with open(os.path.join(folder, "index.html")) as page, \
                open(os.path.join(folder, "bare.html"), "w") as bare:
            bare.writelines(line for line in page if "<script" not in line)
        driver.quit()

        driver = browser()
        page, bare, ratio = first_frames(driver, address, frame_pairs)
        print(f"web_frame_page_ms {page:.1f}\nweb_frame_bare_ms {bare:.1f}\n"
              f"web_frame_ratio {ratio:.3f}")
        driver.quit()

        driver = browser()
        page, bare, ratio, heard = chimes(driver, address, chime_pairs)
        print(f"web_chime_page_ms {page:.1f}\nweb_chime_bare_ms {bare:.1f}\n"
              f"web_chime_ratio {ratio:.3f}\nweb_chime_pairs {heard}")
        driver.quit()
        if len(sys.argv) > 4:
            lighthouse(sys.argv[4], address, scratch)
        server.terminate()
        server.wait()


if __name__ == "__main__":
    main()

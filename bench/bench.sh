#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the benchmarks of bench/ and writes their figures, the machine and the commands into a
# Markdown page. Given the Windows build too (with its packages and bench/), also the Windows
# program's start-up under Wine; given WINDOWS_SHARED_PROGRAM, the path of a Windows program built
# with a shared Qt, also the packaged program's start-up against that one's. Given WEB_BUILD_DIR,
# the web page's build, also the page's figures in Chromium and Firefox and Lighthouse's scores; given
# FRESH_CI_MINUTES, what a run of .ci/run took on a fresh machine, that too.
# Usage: [WEB_BUILD_DIR=DIR] bench/bench.sh BUILD_DIR [WINDOWS_BUILD_DIR] OUTPUT.md
set -euo pipefail

tests=$(cd "$(dirname "$0")/../tests" && pwd)
build=$(cd "$1" && pwd)
windows_build=
if [ $# -eq 3 ]; then
    windows_build=$(cd "$2" && pwd)
    shift
fi
output=$2
runs=${STARTUP_RUNS:-30}
wine_runs=${WINE_STARTUP_RUNS:-60}
# A frame is a sixtieth of a second here, and a start lands in one or the next: more pairs.
web_frame_runs=${WEB_FRAME_RUNS:-60}
web_chime_runs=${WEB_CHIME_RUNS:-30}
# The offscreen runs need a runtime folder too; root has none of its own here.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "The rules..."
"$build/bench/rules_bench" --benchmark_min_time=0.5 2>/dev/null | grep '^BM_' >"$log.rules"
echo "The Next handler on the offscreen platform..."
QT_QPA_PLATFORM=offscreen "$build/bench/next_bench" >"$log"
echo "Start-up and memory under Xvfb, $runs runs of each in turn..."
(cd "$build" && "$tests/with-x.sh" bench/startup_bench "$runs" ./pythagorean-triple \
    bench/bare_window) >>"$log"
# The same program copied away from its player library, so that it never loads the player nor
# connects to a sound server: what the early connection costs.
alone=$(mktemp -d)
cp "$build/pythagorean-triple" "$alone/"
(cd "$build" && "$tests/with-x.sh" bench/startup_bench "$runs" ./pythagorean-triple \
    "$alone/pythagorean-triple") | sed 's/^startup_/player_startup_/; s/^peak_/player_peak_/' >>"$log"
rm -rf "$alone"
if [ -n "$windows_build" ]; then
    echo "Start-up of the Windows program under Wine, $wine_runs runs of each in turn..."
    # The packaged program, and the bare window stripped as the packages strip the program.
    windows=$(mktemp -d)
    unzip -q "$windows_build"/pythagorean-triple-*-win64.zip -d "$windows"
    x86_64-w64-mingw32-strip --strip-unneeded -o "$windows/bare_window.exe" \
        "$windows_build/bare_window.exe"
    # One Wine server for every start, as a Windows session has its services running already.
    wine_bench() { # PREFIX PROGRAM BASELINE
        "$tests/with-x.sh" "$tests/with-wine.sh" sh -c 'wineserver -p && exec "$@"' - \
            "$build/bench/startup_bench" "$wine_runs" "$2" "$3" wine |
            sed "s/^startup_/$1_startup_/; s/^peak_/$1_peak_/"
    }
    program=$(echo "$windows"/*/pythagorean-triple.exe)
    wine_bench wine "$program" "$windows/bare_window.exe" >>"$log"
    if [ -n "${WINDOWS_SHARED_PROGRAM:-}" ]; then
        wine_bench shared "$program" "$WINDOWS_SHARED_PROGRAM" >>"$log"
    fi
    rm -rf "$windows"
fi
echo "Chime latency on a PulseAudio null sink, eight processes of eight cues..."
for _ in 1 2 3 4 5 6 7 8; do
    QT_QPA_PLATFORM=offscreen "$tests/with-pulseaudio.sh" "$build/chime_bench" "$build" 8
done >>"$log"
if [ -n "${WEB_BUILD_DIR:-}" ]; then
    echo "The web page in Chromium and Firefox: $web_frame_runs pairs of starts in each, $web_chime_runs of chimes, and Lighthouse..."
    "$tests/with-pulseaudio.sh" /usr/bin/python3 "$(dirname "$0")/web_bench.py" \
        "$(echo "$(cd "$WEB_BUILD_DIR" && pwd)"/pythagorean-triple-*-web)" "$web_frame_runs" \
        "$web_chime_runs" "$("$(dirname "$0")/lighthouse.sh")" >>"$log"
fi
echo "Clicks and the end of the program with a frozen sound server, ten runs of each state..."
QT_QPA_PLATFORM=offscreen "$tests/with-pulseaudio.sh" "$build/freeze_bench" "$build" 10 \
    2>/dev/null >>"$log"

value() { awk -v key="$1" '$1 == key { print substr($0, length(key) + 2) }' "$log"; }
# The chime figures of one kind of cue (first, later, or . for all): delays (field 3) or
# reported sink latency (field 5), sorted; then their median, 99th percentile and worst.
chime_values() { awk -v kind="$1" -v field="$2" '$1 == "chime" && ($2 == kind || kind == ".") { print $field }' "$log" | sort -n; }
# The quantile $2 of the sorted numbers on standard input, nearest rank.
quantile() { awk -v q="$1" '{ v[NR] = $1 } END { i = int(q * NR + 0.999999); if (i < 1) i = 1; printf "%.1f", v[i] }'; }
median() { chime_values "$1" "$2" | quantile 0.5; }
p99() { chime_values "$1" 3 | quantile 0.99; }
worst() { chime_values "$1" 3 | tail -1; }
chimes() { echo "$(median "$1" 3) ms (median), $(p99 "$1") ms (99th percentile), $(worst "$1") ms (worst of $(chime_values "$1" 3 | wc -l))"; }
# Figures of the frozen-server runs: clicks (in ms) or exits, for one state or all.
freeze_values() { awk -v what="$1" -v state="$2" '$1 == "freeze" && $3 == what && ($2 == state || state == ".") { print (what == "click" ? $5 : $4) }' "$log" | sort -n; }
freeze_worst() { freeze_values "$1" "$2" | tail -1; }
freeze_median() { freeze_values "$1" "$2" | quantile 0.5; }
abnormal_exits=$(awk '$1 == "freeze" && $3 == "exit" && $5 != "status-0"' "$log" | wc -l)
verdict() { # value, target, "le" — says by how much a ratio or time meets or misses its target
    awk -v v="$1" -v t="$2" 'BEGIN { d = (v - t) / t * 100;
        if (v <= t) printf "met, %.1f %% under the target", -d; else printf "**missed** by %.1f %%", d }'
}

# The Windows rows and section, where the Windows build was given.
windows_rows=
windows_section=
if [ -n "$windows_build" ]; then
    mb() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", b / 1000000 }'; }
    zip=$(ls "$windows_build"/pythagorean-triple-*-win64.zip)
    installer=$(ls "$windows_build"/pythagorean-triple-*-win64.exe)
    windows_rows="| Windows: first frame under Wine, program ÷ bare window (median of $wine_runs pairs) | $(value wine_startup_ratio) × | ≤ 1.05 × | $(verdict "$(value wine_startup_ratio)" 1.05) |
| Windows: zip | $(mb "$zip") MB | ≤ 6 MB | $(verdict "$(mb "$zip")" 6) |
| Windows: installer | $(mb "$installer") MB | ≤ 5 MB | $(verdict "$(mb "$installer")" 5) |"
    shared_row=
    if [ -n "$(value shared_startup_ratio)" ]; then
        windows_rows+="
| Windows: first frame under Wine, program ÷ the same built with a shared Qt (median of $wine_runs pairs) | $(value shared_startup_ratio) × | ≤ 1.00 × | $(verdict "$(value shared_startup_ratio)" 1.00) |"
        shared_row="| first frame, against the program built with a shared Qt ($WINDOWS_SHARED_PROGRAM) | $(value shared_startup_program_ms) ms | $(value shared_startup_baseline_ms) ms | $(value shared_startup_ratio) |"
    fi
    windows_section="
## The Windows program under Wine

The Windows build's packages, as users download them: the zip is $(mb "$zip") MB (10⁶ bytes) and unpacks to
the program, its chime player, the chimes, the licence and the notices; the installer is
$(mb "$installer") MB. Qt and the compiler's run-time are linked into the program, so it loads
no library of ours or of Qt's but the player, 50 ms after its first frame.

Wine $(wine --version | sed 's/^wine-//') on the same private Xvfb with openbox, one Wine server kept running for
every start, as a Windows session has its services running already. Each program is started
$wine_runs times, in turn with the other, after one uncounted start of each, and its first frame
is read as on Linux.
Wine is not Windows, and a start under it takes most of its time in Wine itself, so only the
ratios mean anything. The bare window is built as the program is, with Qt linked in, and
stripped as the packages strip the program.

| | program | other | ratio (median of pairs) |
| --- | --- | --- | --- |
| first frame, against the bare window | $(value wine_startup_program_ms) ms | $(value wine_startup_baseline_ms) ms | $(value wine_startup_ratio) |
$shared_row
"
fi

# The web rows and section, where the web page's build was given.
web_rows=
web_section=
if [ -n "${WEB_BUILD_DIR:-}" ]; then
    lighthouse="$(value web_lighthouse_performance), $(value web_lighthouse_accessibility), $(value web_lighthouse_best-practices)"
    cls=$(value web_lighthouse_cumulative-layout-shift)
    web_rows="| web: first visit before the chimes, gzip (brotli), on a device with a Japanese face | $(value web_first_visit_gzip_kb) kB ($(value web_first_visit_brotli_kb) kB) | ≤ 50 kB | $(verdict "$(value web_first_visit_gzip_kb)" 50) |
| web: the same on a device with none, the face of the signs included | $(value web_first_visit_no_japanese_face_gzip_kb) kB ($(value web_first_visit_no_japanese_face_brotli_kb) kB) | ≤ 55 kB | $(verdict "$(value web_first_visit_no_japanese_face_gzip_kb)" 55) |
| web: first frame in Chromium, page ÷ bare static page (median of $web_frame_runs pairs) | $(value web_frame_chromium_ratio) × | ≤ 1.10 × | $(verdict "$(value web_frame_chromium_ratio)" 1.10) |
| web: first frame in Firefox, page ÷ bare static page (median of $web_frame_runs pairs) | $(value web_frame_firefox_ratio) × | ≤ 1.10 × | $(verdict "$(value web_frame_firefox_ratio)" 1.10) |
| web: Init click to the chime at the sink, page ÷ bare page (median of $(value web_chime_pairs) pairs) | $(value web_chime_ratio) × ($(value web_chime_page_ms) ms) | ≤ 1.10 × | $(verdict "$(value web_chime_ratio)" 1.10) |
| web: Lighthouse $(value web_lighthouse_version): performance, accessibility, best practices (median of $(value web_lighthouse_runs) runs); cumulative layout shift | $lighthouse; $cls | 100, 100, 100; 0 | $([ "$lighthouse; $cls" = "100, 100, 100; 0" ] && echo met || echo '**missed**') |"
    web_section="
## The web page

The page's folder as \`make web\` leaves it, served by nginx with the site configuration that
[web.md](web.md) gives hosts (\`web/nginx.conf\`), in Debian's Chromium $(chromium --version 2>/dev/null | awk '{ print $2 }') and Firefox ESR $(firefox-esr --version 2>/dev/null | awk '{ print $3 }'),
headless, through the end-to-end test's drivers (\`e2e/browsers.py\`); the sound goes to a private PulseAudio
server's null sink. Every visit is a first one: the browser's cache is off and its service
worker bypassed (in Firefox, both turned off in its preferences).

- **What a first visit downloads** before the chimes, the service worker's keeping included, in
  Chromium with every face of this machine, the IPA faces among them:
  $(value web_files | tr ',' ' ' | wc -w) files, $(value web_first_visit_kb) kB as they lie in the folder, $(value web_first_visit_gzip_kb) kB with gzip -9 (as nginx
  sends them, or smaller) and $(value web_first_visit_brotli_kb) kB with brotli -q 11. The chimes come after the first frame.
  The files: $(value web_files | sed 's/,/, /g').
  On a device with no Japanese face (DejaVu Sans alone, chosen by a fontconfig file), the page
  also fetches the face of its signs: $(value web_files_no_japanese_face | tr ',' ' ' | wc -w) files, $(value web_first_visit_no_japanese_face_kb) kB, $(value web_first_visit_no_japanese_face_gzip_kb) kB with gzip and
  $(value web_first_visit_no_japanese_face_brotli_kb) kB with brotli.
- **First frame**: from the navigation's start until the browser first paints content (the
  first contentful paint, which both engines give), the page against a bare page: the same
  index.html without its scripts. The page is made showing the window as activated, and its
  module starts after that frame. $web_frame_runs pairs in each engine, the two pages in turn: in
  Chromium, page $(value web_frame_chromium_page_ms) ms, bare page $(value web_frame_chromium_bare_ms) ms (medians), median of the ratios
  $(value web_frame_chromium_ratio); in Firefox, page $(value web_frame_firefox_page_ms) ms, bare page $(value web_frame_firefox_bare_ms) ms, median of the ratios
  $(value web_frame_firefox_ratio).
- **Chime**: the time from an Init click, sent as the user's own input, until the chime's first
  sample arrives at the null sink's monitor (recorded in 10 ms fragments, as on the desktop), each
  the first click on a freshly loaded page, after the pointer has moved onto the button; the bare
  page (\`bench/bare-chime.html\`) makes its audio context and decodes the chime as it loads,
  and plays it on a click. Page $(value web_chime_page_ms) ms, bare page $(value web_chime_bare_ms) ms (medians of
  $(value web_chime_pairs) pairs), median of the ratios $(value web_chime_ratio).
- **Lighthouse** $(value web_lighthouse_version), from npm, against Debian's Chromium with its default emulation of a phone on
  a slow network, run $(value web_lighthouse_runs) times, since one run swings with the machine's other work (performance
  $(value web_lighthouse_performance_scores)); the median run by performance: performance $(value web_lighthouse_performance), accessibility $(value web_lighthouse_accessibility), best practices $(value web_lighthouse_best-practices); first contentful
  paint $(value web_lighthouse_first-contentful-paint), largest contentful paint $(value web_lighthouse_largest-contentful-paint), total blocking time
  $(value web_lighthouse_total-blocking-time), cumulative layout shift $cls.
"
fi
if [ -n "${FRESH_CI_MINUTES:-}" ]; then
    web_rows+="
| fresh CI run (\`.ci/run\` on a fresh machine, emscripten's libraries from Debian's package) | $FRESH_CI_MINUTES min | ≤ 60 min | $(verdict "$FRESH_CI_MINUTES" 60) |"
fi

cpu=$(lscpu | sed -n 's/^Model name: *//p' | head -1)
memory=$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
qt=$(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null || echo unknown)

# The page says its licence as every file does; spelt apart here, so that REUSE reads this
# script's own tags only.
spdx=SPDX
cat >"$output" <<EOF
<!-- $spdx-FileCopyrightText: 2026 Pythagorean triple maintainers -->
<!-- $spdx-License-Identifier: GPL-3.0-or-later -->

# Performance

Figures from one run of \`make bench\` on $(date -u +%Y-%m-%d). They are measurements, not
tests: nothing in \`make test\` asserts a time.

## The machine

- $cpu, $(nproc) cores, $memory of memory
- Debian $(cat /etc/debian_version), kernel $(uname -r), Qt $qt, PulseAudio $(pulseaudio --version | awk '{ print $2 }')
- Release build (-O3), no display: Xvfb with the openbox window manager, PulseAudio null sink

## Against the targets

| what | measured | target | verdict |
| --- | --- | --- | --- |
| first frame, program ÷ bare window (median of $runs pairs) | $(value startup_ratio) × | ≤ 1.05 × | $(verdict "$(value startup_ratio)" 1.05) |
| peak memory, program ÷ bare window (median of $runs pairs) | $(value peak_ratio) × | ≤ 1.10 × | $(verdict "$(value peak_ratio)" 1.10) |
| Next click with its repaint, p99 | $(value next_p99_us) µs | ≤ 1000 µs | $(verdict "$(value next_p99_us)" 1000) |
| Init click to the chime at the sink, every cue, p99 | $(p99 .) ms | ≤ 20 ms | $(verdict "$(p99 .)" 20) |
| Init click to the chime at the sink, first cue of a process (worst) | $(worst first) ms | ≤ 20 ms | $(verdict "$(worst first)" 20) |
| Init or Next click answered, sound server frozen (worst) | $(freeze_worst click .) ms | ≤ 100 ms | $(verdict "$(freeze_worst click .)" 100) |
| OK to the process gone, sound server frozen (worst) | $(freeze_worst exit .) ms | ≤ 300 ms | $(verdict "$(freeze_worst exit .)" 300) |
$windows_rows
$web_rows

## Start-up to first frame and peak memory

Each program is started $runs times, the program and the bare window in turn, after one
uncounted start of each. The time runs from the spawn until the X server holds the window's
first drawing with its orange field in place (seen through the DAMAGE extension); peak memory is
the resident high-water mark (VmHWM) 300 ms after that.

| | program | bare window | ratio (median of pairs) |
| --- | --- | --- | --- |
| first frame | $(value startup_program_ms) ms | $(value startup_baseline_ms) ms | $(value startup_ratio) |
| peak memory | $(value peak_program_mib) MiB | $(value peak_baseline_mib) MiB | $(value peak_ratio) |

The bare window (\`bench/bare_window.cpp\`) has the program's size, face and sorts of
characters, a few labels, three buttons in the desktop's face and a painted panel. The program
keeps the sound server's libraries out of start-up: its chime player is a library that it loads
50 ms after the window's first paint, when it also connects to the sound server, so that the
first chime finds the way ready. That falls inside the 300 ms after which peak memory is read.
What it costs shows against the same program copied away from its player, which never loads the
player:

| | program | program without its player | ratio (median of pairs) |
| --- | --- | --- | --- |
| first frame | $(value player_startup_program_ms) ms | $(value player_startup_baseline_ms) ms | $(value player_startup_ratio) |
| peak memory | $(value player_peak_program_mib) MiB | $(value player_peak_baseline_mib) MiB | $(value player_peak_ratio) |

$windows_section$web_section
## The Next handler

$(value next_clicks) clicks on the real window on Qt's offscreen platform, each timed from the
mouse press to the end of the repaint it causes (the step, the caption, the three value stores,
the painting): median $(value next_median_us) µs, p99 $(value next_p99_us) µs, worst
$(value next_max_us) µs.

## Chime latency

Eight processes, each with eight Init clicks 1.5 s apart, recording the null sink's monitor in
10 ms fragments: the time from the click to the chime's first sample at the sink.

- first cue of a process, half a second after the window is shown: $(chimes first)
- later cues: $(chimes later)
- all cues: $(chimes .)
- sink latency PulseAudio reports for the chime's stream, 100 ms into the cue: first
  $(median first 5) ms, later $(median later 5) ms (medians)

### Where the chime's time goes

The player keeps one PulseAudio stream open for the life of the program, asking for 20 ms of
latency, and keeps it corked while it has nothing to play. A click posts the cue's commands to the
player's thread, which decodes the chime (a wave file of a second or less takes well under a
millisecond), asks the server to clear the stream and, once the server has confirmed that, writes
the whole chime into the stream and uncorks it. So a chime costs one round trip to the server
and what the sink takes to render it: no stream set-up, no buffer to fill first. The round trip
is also what keeps a frozen server from playing stale chimes: a chime that the server has not
confirmed within 250 ms of its click is dropped. The null sink here runs far ahead of the clock
when nothing records it, so the recording is started 2.5 s before the first click.

## With a frozen sound server

Ten runs of the program in each of two states: the server stopped (SIGSTOP) before the program
starts, so that its connection never completes, and stopped while the Init chime plays. In each
run the program clicks Init and Next ten times each, timing each click from the press to the end
of its repaint, then clicks Exit and presses OK as soon as the box is up; the bench waits for the
process and stops the clock when it has ended.

- clicks: median $(freeze_median click .) ms, worst $(freeze_worst click .) ms (frozen before
  start: worst $(freeze_worst click before-start) ms; frozen mid-chime: worst
  $(freeze_worst click mid-chime) ms)
- OK to the process gone: median $(freeze_median exit .) ms, worst $(freeze_worst exit .) ms;
  runs that did not end with status 0: $abnormal_exits

Ending the program gives the player's thread 100 ms to close its connection and leaves it behind
past that; with a frozen server it never needs that long, as closing a connection waits for no
answer.

## The rules

| benchmark | time per iteration | CPU | iterations | rate |
| --- | --- | --- | --- | --- |
$(awk '{ printf "| %s | %s %s | %s %s | %s | %s |\n", $1, $2, $3, $4, $5, $6, $7 }' "$log.rules")

\`BM_ComputeTripleAll\` computes every triple from a = 3 to 1000; \`BM_AdvanceTriple\` is one
Next step of the rules.

## Reproducing

\`\`\`sh
make test     # once, on a fresh clone: installs and builds everything
make bench    # builds bench/ and rewrites this page
STARTUP_RUNS=100 make bench   # more start-up pairs
\`\`\`

Single parts: \`build/bench/rules_bench\`; \`QT_QPA_PLATFORM=offscreen build/bench/next_bench\`;
\`tests/with-x.sh build/bench/startup_bench 30 build/pythagorean-triple build/bench/bare_window\`
from \`build/\`; \`QT_QPA_PLATFORM=offscreen tests/with-pulseaudio.sh build/chime_bench build 8\`;
\`QT_QPA_PLATFORM=offscreen tests/with-pulseaudio.sh build/freeze_bench build 10\`.
EOF
rm -f "$log.rules"
echo "Wrote $output"

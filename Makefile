# SPDX-FileCopyrightText: 2026 Pythagorean triple maintainers
# SPDX-License-Identifier: GPL-3.0-or-later

# The two commands of the README. Both install what is missing before they build.
BUILD_DIR ?= build
CMAKE_FLAGS ?=

.PHONY: run test bench fuzz fuzz-build package dist build windows windows-build test-windows \
	web web-run clean

run:
	scripts/deps.sh run
	$(MAKE) --no-print-directory build
	scripts/run.sh $(BUILD_DIR)

# Then the same tests again on a build with AddressSanitizer and UndefinedBehaviorSanitizer,
# where any report fails the run (the packaging test is left out: it tests no code; so is the
# Wayland run, which takes no path through our code that the X11 run does not).
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:malloc_context_size=2:detect_stack_use_after_return=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan-suppressions.txt:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

test:
	scripts/deps.sh test
	$(MAKE) --no-print-directory build
	cd $(BUILD_DIR) && ctest --output-on-failure --timeout 300
	$(MAKE) --no-print-directory web
	cd $(WEB_BUILD_DIR) && ctest --output-on-failure --timeout 300
	$(MAKE) --no-print-directory build BUILD_DIR=$(BUILD_DIR)-sanitize \
		CMAKE_FLAGS="$(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSANITIZE=ON"
	cd $(BUILD_DIR)-sanitize && $(SANITIZER_ENV) ctest --output-on-failure --timeout 300 -E '^(package|desktop-wayland)$$'
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=5

# Each libFuzzer target for FUZZ_SECONDS (make fuzz FUZZ_SECONDS=3600 for an hour each).
FUZZ_SECONDS ?= 60
fuzz:
	scripts/deps.sh test
	$(MAKE) --no-print-directory fuzz-build
	$(SANITIZER_ENV) tests/fuzz.sh $(BUILD_DIR)-fuzz $(FUZZ_SECONDS)

fuzz-build:
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_DIR)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DFUZZ=ON -DBUILD_TESTING=OFF
	cmake --build $(BUILD_DIR)-fuzz --target triple_fuzz sound_fuzz

# Start-up, memory, click and chime figures, written to docs/performance.md; the Windows program's
# start-up under Wine too, which needs its build (make windows), and the web page's figures.
bench:
	scripts/deps.sh bench
	$(MAKE) --no-print-directory build CMAKE_FLAGS="$(CMAKE_FLAGS) -DBUILD_BENCHMARKS=ON"
	$(MAKE) --no-print-directory windows WINDOWS_CMAKE_FLAGS="$(WINDOWS_CMAKE_FLAGS) -DBUILD_BENCHMARKS=ON"
	$(MAKE) --no-print-directory web
	scripts/deps.sh test-windows
	WEB_BUILD_DIR=$(WEB_BUILD_DIR) bench/bench.sh $(BUILD_DIR) $(WINDOWS_BUILD_DIR) docs/performance.md

# A .deb of the program, left in the build folder.
package:
	scripts/deps.sh test
	$(MAKE) --no-print-directory build
	cd $(BUILD_DIR) && cpack

# The source release, pythagorean-triple-VERSION.tar.xz in the build folder, from the committed
# tree. It builds and tests without git.
dist:
	scripts/dist.sh $(BUILD_DIR)

# The program for 64-bit Windows, cross-built with MinGW-w64 and linked with a static Qt and
# libsndfile that are cross-built once from Debian's sources into ~/.cache/pythagorean-triple;
# then its two packages, a portable zip and an installer, left in the Windows build folder.
WINDOWS_BUILD_DIR ?= $(BUILD_DIR)-windows
WINDOWS_CMAKE_FLAGS ?=
windows: windows-build
	cd $(WINDOWS_BUILD_DIR) && cpack

windows-build:
	scripts/deps.sh windows
	qt=$$(scripts/qt-windows.sh) && sndfile=$$(scripts/sndfile-windows.sh) && \
	cmake -S . -B $(WINDOWS_BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON \
		-DCMAKE_TOOLCHAIN_FILE=$$qt/lib/cmake/Qt6/qt.toolchain.cmake \
		-DQT_CHAINLOAD_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
		-DSndFile_DIR=$$sndfile/lib/cmake/SndFile $(WINDOWS_CMAKE_FLAGS)
	cmake --build $(WINDOWS_BUILD_DIR)

# The end-to-end test's Wine rows: the Windows program unpacked from its zip and installed by its
# installer, in a fresh Wine prefix on a private X server, its chimes at a private PulseAudio.
# The test makes the two packages itself, from the build as it is.
test-windows: windows-build
	scripts/deps.sh test-windows
	cd $(WINDOWS_BUILD_DIR) && ctest --output-on-failure --timeout 600

# The web page, built with Debian's emscripten: the folder pythagorean-triple-VERSION-web, to be
# served as it is, and its zip, in the web build folder. Emscripten's optimizer needs Debian's
# acorn, which a node that is not Debian's own does not look for.
WEB_BUILD_DIR ?= $(BUILD_DIR)-web
web:
	scripts/deps.sh web
	NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B $(WEB_BUILD_DIR) -G Ninja \
		-DCMAKE_BUILD_TYPE=Release $(WEB_CMAKE_FLAGS)
	NODE_PATH=/usr/share/nodejs cmake --build $(WEB_BUILD_DIR)

# The page served on a loopback port, opened in the default browser; without a display, a
# screenshot of it in headless Chromium.
web-run: web
	scripts/deps.sh web-run
	scripts/web-run.sh $(WEB_BUILD_DIR)

# The Debian prefix, so that the desktop entry's folder of chimes is right in the package.
build:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-sanitize $(BUILD_DIR)-fuzz $(WINDOWS_BUILD_DIR) $(WEB_BUILD_DIR)

# The two commands of the README. Both install what is missing before they build.
BUILD_DIR ?= build
CMAKE_FLAGS ?=

.PHONY: run test bench package build clean

run:
	scripts/deps.sh run
	$(MAKE) --no-print-directory build
	scripts/run.sh $(BUILD_DIR)

test:
	scripts/deps.sh test
	$(MAKE) --no-print-directory build
	cd $(BUILD_DIR) && ctest --output-on-failure --timeout 300

# Start-up, memory, click and chime figures, written to docs/performance.md.
bench:
	scripts/deps.sh bench
	$(MAKE) --no-print-directory build CMAKE_FLAGS="$(CMAKE_FLAGS) -DBUILD_BENCHMARKS=ON"
	scripts/bench.sh $(BUILD_DIR) docs/performance.md

# A .deb of the program, left in the build folder.
package:
	scripts/deps.sh test
	$(MAKE) --no-print-directory build
	cd $(BUILD_DIR) && cpack

# The Debian prefix, so that the desktop entry's folder of chimes is right in the package.
build:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)

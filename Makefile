# The two commands of the README. Both install what is missing before they build.
BUILD_DIR ?= build
CMAKE_FLAGS ?=

.PHONY: run test build clean

run:
	scripts/deps.sh run
	$(MAKE) --no-print-directory build
	scripts/run.sh $(BUILD_DIR)

test:
	scripts/deps.sh test
	$(MAKE) --no-print-directory build
	cd $(BUILD_DIR) && ctest --output-on-failure --timeout 300

build:
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)

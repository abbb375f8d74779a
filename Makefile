# Cratebook: `make run` builds and starts the program, `make test` builds and runs every test.
# Both install the Debian packages they need first (scripts/install-deps). `make package` makes the .deb.

BUILD_DIR  ?= build
ASAN_DIR   ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
# Set SANITIZE=0 to skip the sanitizer run of the tests.
SANITIZE   ?= 1

.PHONY: all deps configure build run test test-asan bench package fuzz screenshot clean format

all: build

deps:
	@scripts/install-deps

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS)

run: build
	@if [ -n "$$DISPLAY" ] || [ -n "$$WAYLAND_DISPLAY" ]; then \
		$(BUILD_DIR)/src/app/cratebook; \
	else \
		echo "No display found: starting Cratebook on a virtual display (Xvfb)."; \
		xvfb-run -a -s "-screen 0 1280x1024x24" $(BUILD_DIR)/src/app/cratebook; \
	fi

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure --parallel $(JOBS)
	@if [ "$(SANITIZE)" = "1" ]; then $(MAKE) --no-print-directory test-asan; fi

test-asan: deps
	@[ -f $(ASAN_DIR)/CMakeCache.txt ] || cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug \
		-DCRATEBOOK_SANITIZE=ON -DCRATEBOOK_BENCH=OFF $(CMAKE_ARGS)
	cmake --build $(ASAN_DIR) --parallel $(JOBS)
	cd $(ASAN_DIR) && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure --parallel $(JOBS)

bench: build
	$(BUILD_DIR)/bench/cratebook-bench

# The Debian package cratebook_<version>_<arch>.deb, put here: the program and what an installed copy needs
# (desktop entry, icons, help page, AppStream file, manual page), under /usr. Install it with
# `sudo apt install ./cratebook_*.deb`.
package: configure
	cmake --build $(BUILD_DIR) --parallel $(JOBS) --target cratebook
	cmake --build $(BUILD_DIR) --parallel $(JOBS) --target cratebook_package_files
	rm -f $(BUILD_DIR)/package/cratebook_*.deb
	cd $(BUILD_DIR) && cpack -G DEB -B package
	cp $(BUILD_DIR)/package/cratebook_*.deb .
	@ls cratebook_*.deb

# libFuzzer targets (clang, with AddressSanitizer and UndefinedBehaviorSanitizer) in their own build folder,
# run one after another for FUZZ_SECONDS each; not part of `make test`. Fails when any target finds a fault.
FUZZ_DIR     ?= build-fuzz
FUZZ_SECONDS ?= 60

fuzz:
	@scripts/install-deps fuzz
	@[ -f $(FUZZ_DIR)/CMakeCache.txt ] || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=Debug \
		-DCRATEBOOK_FUZZ=ON $(CMAKE_ARGS)
	cmake --build $(FUZZ_DIR) --parallel $(JOBS)
	fuzz/run-fuzzers $(FUZZ_DIR) $(FUZZ_SECONDS)

# The README's picture of the main window, made by the program itself on a virtual display.
screenshot: build
	scripts/screenshot $(BUILD_DIR)/src/app/cratebook docs/main-window.png

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)

BUILD_DIR   ?= build/debug
RELEASE_DIR ?= build/release
RUN_DIR     ?= build/relwithdebinfo
JOBS        ?= 2

PREFIX      ?= /usr/local

.PHONY: deps configure build run install package test test-asan test-tsan fuzz-build fuzz-smoke bench clean

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

# The program itself runs optimised; the tests keep their debug build.
run: deps
	cmake -S . -B $(RUN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(RUN_DIR) -j$(JOBS) --target zilvaren zilvaren-cli
	$(RUN_DIR)/src/app/zilvaren

# What a user installs: the programs, the desktop entry, the file type, the
# icon, the man pages, the metainfo, the copyright and the changelog;
# DESTDIR is honoured.
install: deps
	cmake -S . -B $(RUN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(RUN_DIR) -j$(JOBS) --target zilvaren zilvaren-cli zilvaren-icons zilvaren-docs
	cmake --install $(RUN_DIR) --prefix $(PREFIX)

# The Debian package, in build/relwithdebinfo (zilvaren_*.deb).
package: deps
	cmake -S . -B $(RUN_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(RUN_DIR) -j$(JOBS) --target zilvaren zilvaren-cli zilvaren-icons zilvaren-docs
	cd $(RUN_DIR) && cpack -G DEB

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

# The whole suite, end-to-end scenarios included, under AddressSanitizer and
# UndefinedBehaviorSanitizer.
test-asan: deps
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DZILVAREN_SANITIZE=address,undefined
	cmake --build build/asan -j$(JOBS)
	cd build/asan && QT_QPA_PLATFORM=offscreen \
	    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/sanitizers/lsan.supp:print_suppressions=0 \
	    UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j$(JOBS) -E test_save_crash

# The serial port, modem and dial tests under ThreadSanitizer.
test-tsan: deps
	cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=Debug -DZILVAREN_SANITIZE=thread
	cmake --build build/tsan -j$(JOBS) --target test_serial test_modem test_dial
	cd build/tsan && QT_QPA_PLATFORM=offscreen \
	    TSAN_OPTIONS=halt_on_error=1:suppressions=$(CURDIR)/tests/sanitizers/tsan.supp \
	    ctest --output-on-failure -R 'test_(serial|modem|dial)$$'

fuzz-build: deps
	cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DZILVAREN_SANITIZE=fuzzer-no-link,address,undefined -DZILVAREN_FUZZ=ON
	cmake --build build/fuzz -j$(JOBS) --target zilvaren_fuzzers

# Each fuzz target for 30 seconds.
fuzz-smoke: fuzz-build
	./scripts/fuzz.sh 30

bench: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_DIR) -j$(JOBS) --target zilvaren-bench zilvaren-cli
	/usr/bin/python3 bench/accessible_desktop.py $(RELEASE_DIR)/bench/zilvaren-bench

clean:
	rm -rf build

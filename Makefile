BUILD_DIR   ?= build/debug
RELEASE_DIR ?= build/release
JOBS        ?= 2

.PHONY: deps configure build run test bench clean

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	$(BUILD_DIR)/src/app/zilvaren

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j$(JOBS)

bench: deps
	cmake -S . -B $(RELEASE_DIR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_DIR) -j$(JOBS) --target zilvaren-bench
	$(RELEASE_DIR)/bench/zilvaren-bench

clean:
	rm -rf build

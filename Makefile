# A thin layer over CMake. `make run` and `make test` first install whatever
# Debian packages are missing.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
JOBS ?= $(shell nproc)

.PHONY: all setup configure build run test test-sanitize bench screenshot install format clean

all: build

setup:
	./scripts/setup.sh

configure:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: setup build
	cd $(BUILD_DIR) && ./flagrun

test: setup build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j$(JOBS)

test-sanitize: setup
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DFLAGRUN_SANITIZE=ON -DFLAGRUN_BENCHMARKS=OFF
	cmake --build $(ASAN_DIR) -j$(JOBS)
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j$(JOBS) -LE window

bench: setup build
	cd $(BUILD_DIR) && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ./flagrun_bench

install: build
	cmake --install $(BUILD_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR)

# Shortcuts over the scripts and CMake.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: all build run test bench screenshot install format clean fuzz soak netsoak

all: build

build:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFLAGRUN_UNIT_TESTS=ON
	cmake --build $(BUILD_DIR) -j$(JOBS)

run:
	./scripts/play.sh

test:
	./scripts/test.sh

bench: build
	cd $(BUILD_DIR) && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ./flagrun_bench

install: build
	cmake --install $(BUILD_DIR)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR) build-asan build-fuzz

# The README's screenshot, made by the replay tool from a scripted game.
screenshot: build
	cd $(BUILD_DIR) && ./flagrun-replay --every 1000000 --screenshot 411:screenshot.bmp ../docs/screenshot.replay > /dev/null
	convert $(BUILD_DIR)/screenshot.bmp docs/screenshot.png

# Each fuzz harness for a minute, seeded from the built game's fonts and
# scripts (see docs/hardening.md).
fuzz: build
	./scripts/fuzz.sh 60

# A million frames of busy play by the replay tool under the sanitizers, with
# the peak memory of the first and the last 100,000 frames.
soak:
	cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DFLAGRUN_SANITIZE=ON -DFLAGRUN_BENCHMARKS=OFF
	cmake --build build-asan -j$(JOBS) --target flagrun-replay
	./tools/soak/soak.py --frames 1000000

# Online play at length: 1,000 games of 10,000 frames between two sessions
# over the simulated network, then 20 games of 60 s between two game
# processes through the lossy loopback relay (see docs/hardening.md).
netsoak: build
	FLAGRUN_NETSOAK_GAMES=1000 FLAGRUN_NETSOAK_FRAMES=10000 \
	  $(BUILD_DIR)/flagrun_rollback_tests --gtest_filter='Online.NoDesync*'
	python3 tests/net/online_games.py --build $(BUILD_DIR) --games 20 --seconds 60 --jobs 2

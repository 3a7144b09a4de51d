# SPDX-License-Identifier: GPL-3.0-or-later
BUILD ?= build
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 5
DEMO_CARD ?= demo-card
JOBS ?= 2

# Clones in other folders share ccache's results.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: all deps build fuzz run test bench demo-card package clean

all: build

deps:
	@tools/install-deps

build: deps
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja
	cmake --build $(BUILD) -j $(JOBS)

# Written beside the final name and moved into place, so a half-written card is never taken
# for a finished one.
demo-card: build
	@test -d $(DEMO_CARD) || { rm -rf $(DEMO_CARD).partial && \
		$(BUILD)/tools/ruvex-make-demo-card $(DEMO_CARD).partial && \
		mv $(DEMO_CARD).partial $(DEMO_CARD); }

run: demo-card
	$(BUILD)/src/ruvex-viewer $(DEMO_CARD)

# The core again with clang and the sanitizers, and each fuzz target over its seeds.
fuzz: deps
	@test -f $(FUZZ_BUILD)/build.ninja || CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DRUVEX_FUZZ=ON
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_nmea_parse fuzz_extract fuzz_card_files fuzz_recording_walk
	fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS)

# The fuzz smoke run goes first so that ctest's summary closes the output.
test: build fuzz
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The player bench runs the main window; cvlc, which it compares with, may run as nobody,
# so its X server takes connections without the authority file (-ac).
bench: demo-card
	$(BUILD)/bench/bench_catalogue
	$(BUILD)/bench/bench_telemetry
	$(BUILD)/bench/bench_media
	$(BUILD)/bench/bench_library
	xvfb-run -a -s "-ac -screen 0 1920x1080x24" $(BUILD)/bench/bench_player $(DEMO_CARD)

# The Debian package, ruvex-viewer_<version>_<arch>.deb, in the build folder.
package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(DEMO_CARD) $(DEMO_CARD).partial

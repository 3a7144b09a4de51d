# SPDX-License-Identifier: GPL-3.0-or-later
BUILD ?= build
DEMO_CARD ?= demo-card
JOBS ?= 2

# Clones in other folders share ccache's results.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1

.PHONY: all deps build run test bench demo-card clean

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
	$(BUILD)/src/ruvex-card list $(DEMO_CARD)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bench/bench_catalogue

clean:
	rm -rf $(BUILD) $(DEMO_CARD) $(DEMO_CARD).partial

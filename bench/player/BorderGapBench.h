// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <benchmark/benchmark.h>

class RVXAppDelegate;

// The picture gap at recording borders in the main window on an X server: over a trip's
// borders, and over the list's move to the next row.
void measureTripBorders(benchmark::State& state, RVXAppDelegate& delegate, int borders);
void measureCheckTimerBorders(benchmark::State& state, RVXAppDelegate& delegate, int borders);

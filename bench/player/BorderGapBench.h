// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

class RVXAppDelegate;

// The picture gap at recording borders in the main window on an X server: over a trip's
// borders crossed again, over the first border after a fresh start (a new window for each
// of the starts), and over the list's move to the next row.
void measureTripBorders(benchmark::State& state, RVXAppDelegate& delegate, int borders);
void measureFirstTripBorder(benchmark::State& state,
                            const std::function<std::unique_ptr<RVXAppDelegate>()>& openWindow,
                            int starts);
void measureCheckTimerBorders(benchmark::State& state, RVXAppDelegate& delegate, int borders);

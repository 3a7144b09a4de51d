// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>

#include <cstdint>
#include <optional>

// A place on the map: a circle (centre and radius) or a box of two corners.
struct RVXLibraryPlace {
    double latitude = 0;
    double longitude = 0;
    double radiusMetres = 0;
    // For a box: the other corner; the first is latitude, longitude.
    bool box = false;
    double latitude2 = 0;
    double longitude2 = 0;

    static RVXLibraryPlace circle(double latitude, double longitude, double radiusMetres);
    static RVXLibraryPlace corners(double latitude1, double longitude1, double latitude2,
                                   double longitude2);
    // The box that holds the place: south, north, west, east.
    struct Bounds {
        double south, north, west, east;
    };
    Bounds bounds() const;
    bool contains(double latitude, double longitude) const;
};

// What to find; every criterion given narrows the answer.
struct RVXLibraryQuery {
    // Days of the camera's clock, both included.
    std::optional<QDate> from;
    std::optional<QDate> to;
    // RVXMediaDivision.
    std::optional<int32_t> kind;
    // Recordings of the event kind, those an event was found in, and their partners.
    bool eventsOnly = false;
    std::optional<RVXLibraryPlace> place;
};

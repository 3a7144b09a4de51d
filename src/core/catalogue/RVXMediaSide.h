// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>

// Side of a recording loaded into a player, judged by its location alone: the end of
// the path, extension included, ignoring case ("_R.MP4" rear, "_F.MP4" front). Unlike
// the catalogue's name grammar this accepts "_f.mp4", which players are handed as is.
// An empty path stands for an item without a location.
int32_t RVXMediaDirectionOfLocation(const QString& path);

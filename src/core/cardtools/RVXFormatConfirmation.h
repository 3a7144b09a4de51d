// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/cardtools/TKUSBDiskEntity.h"

#include <QString>

// What a format asks before anything runs: it names the card it erases and what is lost
// with it, since a password kept by the system may let it run without another prompt.

// The recordings the catalogue finds under the card's mount point (any folder depth, by
// the recording grammar), at most about RVXMediaList::kMediaLimit. Blocks: run it off
// the UI thread.
qsizetype RVXCountRecordings(const QString& mountPath);
// "Erase ZAMO (SanDisk 32 GB, /dev/sdb1)?"
QString RVXFormatQuestion(const TKUSBDiskEntity& disk);
// "Its 412 recordings will be lost.", or that it holds none.
QString RVXFormatConsequence(qsizetype recordings);

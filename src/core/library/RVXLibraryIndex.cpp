// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/library/RVXLibraryIndex.h"

RVXLibraryIndex::~RVXLibraryIndex() = default;

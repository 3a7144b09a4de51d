// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class RVXMediaList;

// Told once for every walk that finishes, on the walking thread, after the new list
// has been published whole.
class RVXMediaListDelegate {
public:
    virtual ~RVXMediaListDelegate() = default;
    virtual void mediaListChanged(RVXMediaList* list) = 0;
};

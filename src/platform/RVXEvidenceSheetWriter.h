// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/evidence/RVXEvidenceSheet.h"

// The evidence sheet as an A4 PDF through Qt's own PDF writer: texts, a small map drawn
// from the track (no network), the G and speed curves, the files and their hashes. Needs
// a QGuiApplication (fonts); an offscreen one will do.
class RVXEvidenceSheetWriter : public RVXEvidenceSheetRenderer {
public:
    std::optional<QString> write(const RVXEvidenceSheet& sheet, const QString& path) override;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXSettingPageCheck.h"

#include "core/settings/RVXSettingFile.h"
#include "core/settings/RVXSettingPages.h"
#include "core/support/RVXLittleEndian.h"

#include <QStringList>

#include <cstring>

namespace {

// What a page says of a record: why it cannot be left, and which controls show none of
// their entries.
QStringList objections(RVXSettingPage& page, _FILEDATA record) {
    page.setFileData(&record);
    QStringList found;
    if (auto failure = page.validateUserInput())
        found << QStringLiteral("%1: %2").arg(failure->control, failure->message);
    for (const RVXPageControl& c : page.controls()) {
        if (c.isChoice() && c.enabled && c.index < 0)
            found << QStringLiteral("%1 shows none of its entries").arg(c.name);
    }
    return found;
}

QString fieldValue(const QByteArray& bytes, const RVXSettingField& f) {
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.constData()) + f.offset;
    switch (f.kind) {
    case RVXFieldKind::Text:
        return RVXSettingText(bytes.constData() + f.offset, f.width);
    case RVXFieldKind::I32:
        return QString::number(int32_t(RVXReadLittleEndian(at, 4)));
    case RVXFieldKind::F32: {
        const uint32_t bits = RVXReadLittleEndian(at, 4);
        float value;
        std::memcpy(&value, &bits, 4);
        return QString::number(value);
    }
    default:
        return QString::number(RVXReadLittleEndian(at, f.width));
    }
}

// The first field changed from before to after that the page stores back otherwise.
std::optional<QString> storedOtherwise(RVXSettingPage& page, const _FILEDATA& before,
                                       const _FILEDATA& after) {
    _FILEDATA stored = after;
    page.setFileData(&stored);
    if (!page.populate())
        return std::nullopt; // the page refuses it, which objections() says
    page.takeWarnings();
    const QByteArray was = RVXSettingBytes(before), asked = RVXSettingBytes(after),
                     kept = RVXSettingBytes(stored);
    for (const RVXSettingField& f : RVXSettingFields()) {
        if (f.kind == RVXFieldKind::U32Array || f.offset == offsetof(_FILEDATA, checksum))
            continue;
        const auto slice = [&f](const QByteArray& b) { return b.mid(f.offset, f.width); };
        if (slice(was) != slice(asked) && slice(asked) != slice(kept))
            return QStringLiteral("the %1 page would store %2=%3 as %4")
                .arg(page.pageName(), QLatin1String(f.name), fieldValue(asked, f),
                     fieldValue(kept, f));
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> RVXSettingPagesRefusal(const _FILEDATA& before, const _FILEDATA& after) {
    for (const QString& name : RVXSettingPageNames()) {
        const auto page = RVXMakeSettingPage(name);
        const QStringList old = objections(*page, before);
        for (const QString& objection : objections(*page, after)) {
            if (!old.contains(objection))
                return QStringLiteral("the %1 page refuses it (%2)").arg(name, objection);
        }
        if (auto changed = storedOtherwise(*page, before, after))
            return changed;
    }
    return std::nullopt;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings/RVXSettingPage.h"

#include "core/support/RVXLocalizedString.h"

#include <cmath>
#include <utility>

RVXSettingPage::~RVXSettingPage() = default;

void RVXSettingPage::setFileData(_FILEDATA* fileData) {
    m_fileData = fileData;
    if (m_fileData)
        displayFileData();
}

const RVXPageControl* RVXSettingPage::control(const QString& name) const {
    for (const RVXPageControl& c : m_controls) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

RVXPageControl& RVXSettingPage::add(const QString& name, RVXPageControl::Kind kind,
                                    const QString& groupKey, const QStringList& labels) {
    RVXPageControl c;
    c.name = name;
    c.kind = kind;
    c.groupKey = groupKey;
    c.labels = labels;
    m_controls << c;
    return m_controls.last();
}

RVXPageControl& RVXSettingPage::at(const QString& name) {
    for (RVXPageControl& c : m_controls) {
        if (c.name == name)
            return c;
    }
    // A page asking for a control it never added is a programming error.
    qFatal("settings page %s has no control %s", qPrintable(pageName()), qPrintable(name));
}

std::optional<QString> RVXSettingPage::userSet(const QString& name, const QString& value) {
    const RVXPageControl* found = control(name);
    if (!found)
        return QStringLiteral("the %1 page has no control '%2'").arg(pageName(), name);
    RVXPageControl& c = at(name);
    if (!c.enabled)
        return QStringLiteral("'%1' is disabled").arg(name);
    bool ok = false;
    switch (c.kind) {
    case RVXPageControl::Kind::Segmented:
    case RVXPageControl::Kind::Combo:
    case RVXPageControl::Kind::Matrix: {
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= c.labels.size())
            return QStringLiteral("'%1' takes an entry from 0 to %2, not '%3'")
                .arg(name)
                .arg(c.labels.size() - 1)
                .arg(value);
        c.index = index;
        break;
    }
    case RVXPageControl::Kind::Check:
    case RVXPageControl::Kind::Radio:
        if (value != u"0" && value != u"1")
            return QStringLiteral("'%1' takes 0 or 1, not '%2'").arg(name, value);
        c.checked = value == u"1";
        break;
    case RVXPageControl::Kind::Text:
        if (!c.editable)
            return QStringLiteral("'%1' is not editable").arg(name);
        c.text = value;
        break;
    case RVXPageControl::Kind::Stepper:
    case RVXPageControl::Kind::Value: {
        const double number = value.toDouble(&ok);
        // Steppers count whole clicks; a knob's number must be one (no NaN, no infinity).
        constexpr double kMostClicks = 1e6;
        const bool clicks = c.kind == RVXPageControl::Kind::Stepper;
        if (!ok || !std::isfinite(number) ||
            (clicks && (number != std::trunc(number) || std::fabs(number) > kMostClicks)))
            return QStringLiteral("'%1' takes %2, not '%3'")
                .arg(name,
                     clicks ? QStringLiteral("a whole number of clicks")
                            : QStringLiteral("a number"),
                     value);
        c.value = number;
        break;
    }
    }
    controlChanged(name);
    return std::nullopt;
}

QStringList RVXSettingPage::takeWarnings() {
    return std::exchange(m_warnings, {});
}

void RVXSettingPage::showIndex(const char* control, uint32_t stored) {
    RVXPageControl& c = at(QLatin1String(control));
    c.index = stored < uint32_t(c.labels.size()) ? int(stored) : -1;
}

void RVXSettingPage::showIndexes(std::span<const IndexBinding> bindings) {
    for (const IndexBinding& b : bindings)
        showIndex(b.control, m_fileData->*b.field);
}

void RVXSettingPage::storeIndexes(std::span<const IndexBinding> bindings) {
    for (const IndexBinding& b : bindings) {
        const RVXPageControl& c = at(QLatin1String(b.control));
        if (c.index >= 0)
            m_fileData->*b.field = uint32_t(c.index);
    }
}

QStringList RVXSettingPage::localisedLabels(std::initializer_list<const char*> keys) {
    QStringList labels;
    for (const char* key : keys)
        labels << RVXLocalizedString(key);
    return labels;
}

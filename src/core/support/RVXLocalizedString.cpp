// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/support/RVXLocalizedString.h"

#include <QCoreApplication>
#include <QTranslator>

QString RVXLocalizedString(const char* key) {
    return qtTrId(key);
}

bool RVXInstallStringTable() {
    static QTranslator* table = nullptr;
    if (table)
        return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QStringLiteral(":/i18n/InfoPlist_en.qm"))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    table = translator;
    return true;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "RVXGraphicsBackend.h"

#include <QByteArray>
#include <QtGlobal>

void RVXChooseWindowComposition() {
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "WindowTestSupport.h"

#include <QVariant>
#include <QWebEnginePage>

#include <gtest/gtest.h>

// Runs script in the page and waits for its result.
inline QVariant evaluate(QWebEnginePage* page, const QString& script) {
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    EXPECT_TRUE(waitFor([&] { return done; })) << qPrintable(script);
    return result;
}

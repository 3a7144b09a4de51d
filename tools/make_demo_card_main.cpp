// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-make-demo-card DIR: writes the demo card into DIR.
#include "testmedia/DemoCard.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1 || args[0].startsWith("-")) {
        std::fputs("usage: ruvex-make-demo-card DIR\n", stderr);
        return 2;
    }
    const QString ffmpeg = qEnvironmentVariable("RUVEX_FFMPEG", QStringLiteral("ffmpeg"));
    const auto error = DemoCard::write(args[0], ffmpeg, [](const QString& path) {
        std::printf("wrote %s\n", qPrintable(path));
        std::fflush(stdout);
    });
    if (error) {
        std::fprintf(stderr, "ruvex-make-demo-card: %s\n", qPrintable(*error));
        return 1;
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-viewer: the desktop program.
#include "RVXVersion.h"
#include "core/support/RVXLocalizedString.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/VLCLibrary.h"
#include "platform/RVXPkexec.h"
#include "platform/RVXUDisks2.h"
#include "widgets/TKImageButton.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {
void prepareEnvironment() {
    // The web view's sandbox refuses to run as root; the map page is our own.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The map windows show the same page as the main window: one renderer process for
    // all of them instead of one each (a renderer of the map page is about 60 MiB).
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--process-per-site")) {
        flags += flags.isEmpty() ? "--process-per-site" : " --process-per-site";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
    // The players draw into X11 windows: on a Wayland desktop the program runs
    // through XWayland unless told otherwise.
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

// Answered before any window system is needed, so that they work without a display.
bool answeredWithoutWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::printf("ruvex-viewer %s\n", RUVEX_VERSION);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: ruvex-viewer [FOLDER|RECORDING]...\n\n"
                        "Plays a dashboard camera's front and rear recordings with their "
                        "telemetry.\nA recording opens its folder with the recording "
                        "selected.\n\n"
                        "  -h, --help     this text\n"
                        "  -v, --version  the version\n\n"
                        "See ruvex-viewer(1).\n");
            return true;
        }
    }
    return false;
}
} // namespace

int main(int argc, char** argv) {
    if (answeredWithoutWindow(argc, argv))
        return 0;
    VLCLibrary::limitThreadHeaps();
    prepareEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("RUVEX"));
    QApplication::setApplicationName(QStringLiteral("RUVEX Viewer"));
    QApplication::setApplicationVersion(QStringLiteral(RUVEX_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("ruvex-viewer"));
    RVXInstallStringTable();
    RVXDiskService::setShared(std::make_shared<RVXUDisks2>());
    RVXPrivilegedCommand::setShared(std::make_shared<RVXPkexec>());

    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("A card, a folder or a recording to open."),
                                 QStringLiteral("[folder|recording]..."));
    parser.process(app);

    QApplication::setWindowIcon(QIcon(TKImageNamed(QStringLiteral("ruvex-viewer"))));

    RVXAppDelegate delegate;
    delegate.awakeFromNib();
    delegate.applicationDidFinishLaunching();
    if (!parser.positionalArguments().isEmpty())
        delegate.openMediaDirectory(parser.positionalArguments().first());
    return app.exec();
}

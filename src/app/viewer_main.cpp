// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-viewer: the desktop program.
#include "platform/RVXUDisks2.h"
#include "player/RVXAppDelegate.h"
#include "player/VLCLibrary.h"
#include "settings/RVXLocalizedString.h"
#include "widgets/TKImageButton.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <unistd.h>

namespace {
void prepareEnvironment() {
    // The web view's sandbox refuses to run as root; the map page is our own.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The players draw into X11 windows: on a Wayland desktop the program runs
    // through XWayland unless told otherwise.
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}
} // namespace

int main(int argc, char** argv) {
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

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays a dashboard camera's front and rear recordings with their "
                       "telemetry."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("folder"),
                                 QStringLiteral("A card or folder to open."),
                                 QStringLiteral("[folder]"));
    parser.process(app);

    QApplication::setWindowIcon(QIcon(TKImageNamed(QStringLiteral("ruvex-viewer"))));

    RVXAppDelegate delegate;
    delegate.awakeFromNib();
    delegate.applicationDidFinishLaunching();
    if (!parser.positionalArguments().isEmpty())
        delegate.openMediaDirectory(parser.positionalArguments().first());
    return app.exec();
}

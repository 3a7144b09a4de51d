// SPDX-License-Identifier: GPL-3.0-or-later
// ruvex-screenshots CARD OUTDIR: starts the main window on a card, plays its first
// recording and takes the pictures the README shows: playback with the graph, the map
// panel, the Trips list and a trip playing, the settings editor's pages, the clock and format
// windows. Run it on an X server (xvfb-run), under a window manager for the windows' frames;
// the pictures are taken from the screen, as the user sees it.
#include "core/drivelog/RVXFlashDataModel.h"
#include "core/library/RVXLibrary.h"
#include "core/support/RVXLocalizedString.h"
#include "gui/cardtools/RVXFormatWindowController.h"
#include "gui/cardtools/RVXTimeSetupController.h"
#include "gui/drivelog/RVXSettingForFlashDataViewController.h"
#include "gui/library/RVXLibraryController.h"
#include "gui/library/RVXLibraryImportPanel.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/RVXMapWindowController.h"
#include "gui/scan/RVXEventsController.h"
#include "gui/settings/RVXSettingController.h"
#include "gui/trips/RVXTripController.h"

#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QEventLoop>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <unistd.h>

namespace {

// The card a user would see in the format window, where the machine taking the pictures
// has none: a reader's card as UDisks2 would describe it. Nothing is ever formatted.
class PictureCard : public RVXDiskService {
public:
    QList<RVXMountedVolume> mountedVolumes() override {
        RVXMountedVolume v;
        v.volumeName = QStringLiteral("ZAMO");
        v.mountPath = QStringLiteral("/media/user/ZAMO");
        v.deviceFilePath = QStringLiteral("/dev/sdb1");
        v.deviceModel = QStringLiteral("Card Reader");
        v.volumeSize = uint64_t(15) << 30;
        v.writable = true;
        v.removable = true;
        v.mediaRemovable = true;
        v.bus = QStringLiteral("usb");
        return {v};
    }
    std::optional<QString> setVolumeName(const QString&, const QString&, bool) override {
        return {};
    }
    std::optional<QString> unmountVolume(const QString&) override { return {}; }
    std::optional<QString> mountVolume(const QString&) override { return {}; }
};

void wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool shoot(QWidget* window, const QString& path) {
    QScreen* screen = window->screen();
    const QRect frame = window->frameGeometry();
    const QPixmap picture =
        screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    if (!picture.save(path)) {
        std::fprintf(stderr, "ruvex-screenshots: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}
} // namespace

int main(int argc, char** argv) {
    if (geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("RUVEX_VLC_OPTIONS"))
        qputenv("RUVEX_VLC_OPTIONS", "--aout=adummy");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("RUVEX"));
    QApplication::setApplicationName(QStringLiteral("RUVEX Viewer"));
    if (argc != 3) {
        std::fprintf(stderr, "usage: ruvex-screenshots CARD OUTDIR\n");
        return 2;
    }
    RVXInstallStringTable();
    const QString card = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));

    RVXAppDelegate delegate;
    delegate.awakeFromNib();
    delegate.applicationDidFinishLaunching();
    QEventLoop listed;
    QObject::connect(&delegate, &RVXAppDelegate::mediaListReloaded, &listed, &QEventLoop::quit);
    delegate.openMediaDirectory(card);
    listed.exec();

    // The event recording: its knock shows in the graph.
    int64_t eventRow = 0;
    for (int64_t i = 0; i < delegate.mediaList()->count(); ++i) {
        if (delegate.mediaList()->mediaAtIndex(i)->isEventMedia()) {
            eventRow = i;
            break;
        }
    }
    delegate.playAtIndex(eventRow);
    wait(7000);
    bool ok = shoot(delegate.window, out.filePath(QStringLiteral("playback.png")));
    delegate.clickMapViewButton();
    wait(3000);
    ok = shoot(delegate.window, out.filePath(QStringLiteral("map-panel.png"))) && ok;

    // The drive as one trip: the Trips list, then the trip playing past a border with its
    // events marked on the slider and the whole drive's graph.
    delegate.clickMediaListViewButton();
    RVXTripController* trips = delegate.tripController();
    trips->setShowsTrips(true);
    for (int i = 0; i < 100 && (trips->trips().empty() || !trips->distanceOf(0)); ++i)
        wait(100);
    trips->tripListView()->expandAll();
    trips->tripListView()->setCurrentIndex(trips->tripListView()->model()->index(0, 0));
    delegate.stopPlay();
    wait(1000);
    ok = shoot(delegate.window, out.filePath(QStringLiteral("trips-list.png"))) && ok;
    trips->playTrip(0, 12);
    wait(6000);
    ok = shoot(delegate.window, out.filePath(QStringLiteral("trip-playing.png"))) && ok;
    trips->leaveTrip();
    trips->setShowsTrips(false);

    // The card scan's findings, the knock playing with its mark on graph and slider.
    RVXEventsController* events = delegate.eventsController();
    for (int i = 0; i < 100 && !events->result(); ++i)
        wait(100);
    delegate.clickEventsViewButton();
    events->playRow(0);
    events->eventsTable()->selectRow(0);
    wait(3000);
    ok = shoot(delegate.window, out.filePath(QStringLiteral("events-view.png"))) && ok;

    // The card in a library of its own (the user's chosen folder is put back after), the
    // first day's drive on the map and a box dragged over it, answered.
    {
        RVXLibraryController* library = delegate.libraryController();
        const QString usersFolder = QSettings().value(QStringLiteral("library/folder")).toString();
        QTemporaryDir folder;
        library->setFolder(folder.path());
        QEventLoop imported;
        QObject::connect(library, &RVXLibraryController::importFinished, &imported,
                         &QEventLoop::quit);
        library->importCard(card);
        imported.exec();
        library->importPanel()->close();
        library->openLibrary();
        wait(2500);
        delegate.clickMapViewButton();
        wait(1500);
        delegate.window->findChild<QDateEdit*>(QStringLiteral("libraryFrom"))
            ->setDate(QDate(2026, 3, 14));
        delegate.window->findChild<QDateEdit*>(QStringLiteral("libraryTo"))
            ->setDate(QDate(2026, 3, 14));
        wait(2000);
        RVXLibrary index(folder.path());
        if (!index.open(false)) {
            RVXLibraryQuery day;
            day.from = day.to = QDate(2026, 3, 14);
            const std::vector<RVXLibraryTrip> trips = index.index().trips(day);
            const std::vector<RVXLibraryTrackPoint> track =
                trips.empty() ? std::vector<RVXLibraryTrackPoint>{}
                              : index.index().track(trips[0].id);
            if (track.size() > 20)
                delegate.evaluateMapScript(QStringLiteral("rvxChooseBox(%1, %2, %3, %4)")
                                               .arg(track[20].latitude + 0.0004, 0, 'f', 6)
                                               .arg(track[20].longitude - 0.0006, 0, 'f', 6)
                                               .arg(track[20].latitude - 0.0004, 0, 'f', 6)
                                               .arg(track[20].longitude + 0.0006, 0, 'f', 6));
        }
        wait(2000);
        ok = shoot(delegate.window, out.filePath(QStringLiteral("library.png"))) && ok;
        if (usersFolder.isEmpty())
            QSettings().remove(QStringLiteral("library/folder"));
        else
            library->setFolder(usersFolder);
        delegate.openMediaDirectory(card);
        wait(1500);
    }

    // The settings editor on the card's config.bin, page by page.
    delegate.stopPlay();
    RVXSettingController editor(card);
    editor.showWindow();
    wait(1500);
    ok = shoot(editor.window(), out.filePath(QStringLiteral("settings-video.png"))) && ok;
    const char* const pages[] = {"basic", "gps", "aux", "park", "adas", "audio"};
    for (int segment = 1; segment <= 6; ++segment) {
        editor.changeViewController(segment);
        wait(800);
        const QString name =
            QStringLiteral("settings-%1.png").arg(QLatin1String(pages[segment - 1]));
        ok = shoot(editor.window(), out.filePath(name)) && ok;
    }

    // The drive log, a row shown on the map window beside the editor.
    editor.changeViewController(7);
    wait(1500);
    if (RVXSettingForFlashDataViewController* page = editor.driveInfoController) {
        const int row = page->model()->rowCount() / 2;
        page->tableView->selectRow(row);
        page->doubleClickTableRow(row);
        wait(3000);
        ok = shoot(editor.window(), out.filePath(QStringLiteral("settings-driveinfo.png"))) && ok;
        if (RVXMapWindowController* map = page->mapWindowController())
            ok = shoot(map->window(), out.filePath(QStringLiteral("drive-map.png"))) && ok;
    }

    RVXTimeSetupController clock(card);
    clock.showWindow();
    wait(800);
    ok = shoot(clock.window(), out.filePath(QStringLiteral("clock.png"))) && ok;

    // The format window on that card.
    RVXDiskService::setShared(std::make_shared<PictureCard>());
    RVXFormatWindowController format;
    format.showWindow();
    wait(800);
    ok = shoot(format.window(), out.filePath(QStringLiteral("format.png"))) && ok;
    return ok ? 0 : 1;
}

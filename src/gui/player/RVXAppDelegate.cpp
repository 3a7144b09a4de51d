// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/RVXAppDelegate.h"

#include "core/playback/RVXMediaListCell.h"
#include "core/playback/RVXPlayInfo.h"
#include "core/playback/RVXWindowGeometry.h"
#include "core/support/RVXLocalizedString.h"
#include "core/support/RVXLog.h"
#include "gui/cardtools/RVXTimeSetupController.h"
#include "gui/library/RVXLibraryController.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/GraphView.h"
#include "gui/player/RVXMapPage.h"
#include "gui/player/RVXMediaListTableModel.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCLibrary.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/player/VLCVideoView.h"

#include "gui/repair/RVXRepairController.h"
#include "gui/scan/RVXEventsController.h"
#include "gui/settings/RVXSettingController.h"
#include "gui/trips/RVXTripController.h"
#include "widgets/PMProgressIndicator.h"
#include "widgets/RVXPageHelpers.h"
#include "widgets/TKImageButton.h"
#include "widgets/TKThreePartImageView.h"
#include "widgets/TKVideoBackgroundImageView.h"
#include <QMenu>
#include <QMenuBar>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLayout>
#include <QPrinter>
#include <QScreen>
#include <QSettings>
#include <QSlider>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QWebEngineView>

#include <utility>

RVXAppDelegate::RVXAppDelegate(QObject* parent)
    : QObject(parent) {}

RVXAppDelegate::~RVXAppDelegate() {
    die();
    // The walk's report would come to a controller that is gone.
    if (m_mediaList)
        m_mediaList->setDelegate(nullptr);
    m_mediaList.reset();
    delete window;
}

void RVXAppDelegate::awakeFromNib() {
    m_trips = new RVXTripController(this);
    m_events = new RVXEventsController(this);
    m_repairs = new RVXRepairController(this);
    m_library = new RVXLibraryController(this);
    connect(m_trips, &RVXTripController::tripsChanged, m_events,
            &RVXEventsController::tripsChanged);
    loadInterface();
    m_library->makeViews(mapContainerBottomView);
    m_library->addMenu(window->menuBar()->actions().constFirst()->menu());

    video1View = new VLCVideoView();
    video1View->setObjectName(QStringLiteral("video1View"));
    video1View->setFillScreen(true);
    videoContainerView->setVideoView(video1View);
    player1 = new VLCMediaPlayer(video1View, this);
    player1->setObjectName(QStringLiteral("player1"));

    video2View = new VLCVideoView();
    video2View->setObjectName(QStringLiteral("video2View"));
    video2View->setFillScreen(true);
    subVideoContainerView->setVideoView(video2View);
    player2 = new VLCMediaPlayer(video2View, this);
    player2->setObjectName(QStringLiteral("player2"));

    VLCLibrary::sharedLibrary();

    m_playInfo = new RVXPlayInfo(this);
    m_mediaList = RVXMediaList::mediaList();

    // The map is one of the list box's two contents.
    mediaListBox->layout()->addWidget(mapContainerView);

    const QPixmap bottom = TKImageNamed(QStringLiteral("bottom-background"));
    mediaControlBoxForFullScreen->setImagesLeft(bottom, bottom, bottom);
    player1BackgroundView->setBackgroundNineImageName(QStringLiteral("v1"));
    player1BackgroundView->setLogoImage(TKImageNamed(QStringLiteral("v1_front_logo")));
    player2BackgroundView->setBackgroundNineImageName(QStringLiteral("v2"));
    player2BackgroundView->setLogoImage(TKImageNamed(QStringLiteral("v2_rear_logo")));

    initMediaListTableView();
    setupInitialValues();
    m_trips->attachToSlider();
    m_events->attachToSliders();
}

void RVXAppDelegate::initMediaListTableView() {
    m_columnNames.clear();
    for (const RVXMediaListCell::Column& column : RVXMediaListCell::columns)
        m_columnNames << RVXLocalizedString(column.titleKey);
    m_tableModel = new RVXMediaListTableModel(m_mediaList.get(), this);
    QTableView* table = mediaListTableView;
    table->setModel(m_tableModel);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setShowGrid(false);
    table->setAlternatingRowColors(true);
    table->setWordWrap(false);
    // What tells recordings apart is at the end of a name (the moment's seconds and the
    // side), but a name cut at its start no longer reads as one: cut in its middle.
    table->setTextElideMode(Qt::ElideMiddle);
    table->setIconSize(QSize(20, 18));
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(22);
    QHeaderView* header = table->horizontalHeader();
    header->setHighlightSections(false);
    // Kind, date and time take what their texts need; the name gets the rest.
    for (int c = 0; c < 3; ++c)
        header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);
    // Double-click (or Enter) on a row plays it.
    connect(table, &QAbstractItemView::activated, this, &RVXAppDelegate::changeAndPlay);
}

void RVXAppDelegate::setupInitialValues() {
    connect(qApp, &QCoreApplication::aboutToQuit, this, &RVXAppDelegate::die);
    connect(window, &CustomWindow::windowWillClose, this, &RVXAppDelegate::stopPlay);
    connect(window, &CustomWindow::pathsDropped, this,
            [this](const QStringList& paths) { openMediaDirectory(paths.first()); });
    m_blackBoxData = std::make_unique<RVXBlackBoxData>();
    for (VLCMediaPlayer* p : {player1, player2})
        connectPlayer(p);
    m_mediaList->setDelegate(this);

    // Both position sliders follow the published position, and a slider the user
    // moves publishes its value before the seek runs.
    // A drag seeks once, where the handle is let go: a seek at every step would keep
    // both players decoding and hold further seeks back while they move.
    for (QSlider* slider : {videoPositionSlider, videoPositionSliderForFullScreen}) {
        slider->setTracking(false);
        connect(slider, &QSlider::valueChanged, this, [this, slider](int value) {
            if (m_updatingSliders)
                return;
            const double position = value / double(slider->maximum());
            setPositionSliders(position);
            if (m_trips->playsTrip()) {
                m_trips->seekToPosition(position);
                return;
            }
            m_playInfo->setPosition(position);
            videoPositionSliderMoved(position);
        });
    }
    observePlayInfo();
    // The scale follows the main picture's box, which the layout sizes after the window.
    videoContainerView->installEventFilter(this);

    m_rightViewMode = 0;
    updateSideViewButton();
    setVolume(70);
    m_playInfo->setIsPlaying(false);
    showFrameIfDebugging();
    video1View->hide();
    video2View->hide();

    updateAudioUI();

    m_mapPage = new RVXMapPage(mapWebView, this);
    updateCaptureActions();
    layoutWindow();
    // The editor's card search runs once at start, which names a found card "ZAMO".
    setLastDialogController(std::make_unique<RVXSettingController>());
    setLastDialogController(nullptr);
}

void RVXAppDelegate::evaluateMapScript(const QString& script) {
    if (m_mapPage)
        m_mapPage->evaluate(script);
}

void RVXAppDelegate::applicationDidFinishLaunching() {
    QSettings defaults;
    const QStringList languages = defaults.value(QStringLiteral("AppleLanguages")).toStringList();
    for (const QString& language : languages)
        RVXLog(QStringLiteral("SUPPORT_LANGUAGE=%1").arg(language));
    defaults.setValue(QStringLiteral("AppleLanguages"), QStringList{QStringLiteral("en")});

    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect frame = RVXWindowGeometry::minWindowFrame(screen->availableGeometry());
    window->setGeometry(frame);
    window->show();
    window->setInitialFrame(frame);

    m_mediaIndex = -1;
}

qsizetype RVXAppDelegate::numberOfRowsInTableView() const {
    return m_mediaList->count();
}

void RVXAppDelegate::clickMediaListViewButton() {
    if (m_rightViewMode == 0)
        return;
    m_rightViewMode = 0;
    updateSideViewButton();
}

void RVXAppDelegate::clickMapViewButton() {
    if (m_rightViewMode == 1)
        return;
    m_rightViewMode = 1;
    updateSideViewButton();
}

void RVXAppDelegate::clickEventsViewButton() {
    if (m_rightViewMode == 2)
        return;
    m_rightViewMode = 2;
    updateSideViewButton();
}

void RVXAppDelegate::setSideButtonImage(QToolButton* button, const QString& name) {
    button->setProperty("imageName", name);
    button->setIcon(QIcon(TKImageNamed(name)));
}

void RVXAppDelegate::updateSideViewButton() {
    const bool list = m_rightViewMode == 0;
    setSideButtonImage(recordButtonImageView,
                       list ? QStringLiteral("record_p") : QStringLiteral("record_n"));
    setSideButtonImage(informationButtonImageView, m_rightViewMode == 1
                                                       ? QStringLiteral("information_p")
                                                       : QStringLiteral("information_n"));
    if (m_events && m_events->eventsButton()) {
        setSideButtonImage(m_events->eventsButton(), m_rightViewMode == 2
                                                         ? QStringLiteral("events_p")
                                                         : QStringLiteral("events_n"));
        m_events->eventsView()->setVisible(m_rightViewMode == 2);
    }
    mapContainerView->setVisible(m_rightViewMode == 1);
    const bool trips = m_trips && m_trips->showsTrips();
    mediaListScrollView->setVisible(m_rightViewMode == 0 && !trips);
    if (m_trips && m_trips->tripListView())
        m_trips->tripListView()->setVisible(m_rightViewMode == 0 && trips);
    layoutMapContainer();
}

void RVXAppDelegate::showLoading(const QString&) {
    progressIndicator->setIndeterminate(true);
    m_stopVideoLoadingView = false;
    m_progress = 0;
    progressIndicator->setDoubleValue(progressIndicator->minimumValue());
    progressIndicator->show();
    progressIndicator->move(headBox->x() + (headBox->width() - progressIndicator->width()) / 2,
                            progressIndicator->y());
    QTimer::singleShot(300, this, [this] { updateLoadingWindow(15.0); });
}

void RVXAppDelegate::updateLoadingWindow(double seconds) {
    m_progress += 100.0 / (seconds / 0.3);
    progressIndicator->setDoubleValue(m_progress);
    if (m_progress >= 100 || m_stopVideoLoadingView) {
        progressIndicator->setDoubleValue(progressIndicator->minimumValue());
        progressIndicator->setIndeterminate(false);
        progressIndicator->hide();
        m_stopVideoLoadingView = true;
        return;
    }
    QTimer::singleShot(300, this, [this, seconds] { updateLoadingWindow(seconds); });
}

void RVXAppDelegate::hideLoading() {
    m_stopVideoLoadingView = true;
}

void RVXAppDelegate::setLastDialogController(std::unique_ptr<QObject> controller) {
    m_lastDialogController = std::move(controller);
}

QString RVXAppDelegate::openFolder() const {
    return m_mediaList ? m_mediaList->directoryPath().value_or(QString()) : QString();
}

void RVXAppDelegate::showSettingPanel() {
    showSettingPanelAt(0);
}

void RVXAppDelegate::showSettingPanelAt(int segment) {
    auto controller = std::make_unique<RVXSettingController>(openFolder());
    // A zone or summer time set right on the open card makes the clock bar's finding stale.
    connect(controller.get(), &RVXSettingController::settingFileSaved, this,
            [this](const QString& path) {
                const QString folder = QFileInfo(openFolder()).canonicalFilePath();
                if (!folder.isEmpty() && QFileInfo(path).canonicalPath() == folder)
                    m_events->tripsChanged();
            });
    controller->showWindow(segment);
    setLastDialogController(std::move(controller));
}

void RVXAppDelegate::showTimeSetupPanel() {
    auto controller = std::make_unique<RVXTimeSetupController>(openFolder());
    controller->showWindow();
    setLastDialogController(std::move(controller));
}

void RVXAppDelegate::closeWindow() {
    window->close();
}

void RVXAppDelegate::connectPlayer(VLCMediaPlayer* player) {
    // A spare pair preparing the next trip unit reports too; only the pair on screen counts.
    connect(player, &VLCMediaPlayer::mediaPlayerStateChanged, this, [this](VLCMediaPlayer* p) {
        if (p == player1 || p == player2)
            mediaPlayerStateChanged(p);
    });
    connect(player, &VLCMediaPlayer::mediaPlayerTimeChanged, this, [this](VLCMediaPlayer* p) {
        if (p == player1 || p == player2)
            mediaPlayerTimeChanged(p);
    });
}

void RVXAppDelegate::toggleTrips() {
    m_trips->toggleShowsTrips();
}

void RVXAppDelegate::die() {
    if (m_died)
        return;
    m_died = true;
    // Nothing scheduled may reach the players once they are gone: the end-of-recording
    // timer stops, and alignments and telemetry reads still under way find their
    // generation outdated.
    if (m_playStopTimer)
        m_playStopTimer->stop();
    m_sync.cancel();
    if (m_trips)
        m_trips->die();
    if (m_events)
        m_events->die();
    stopPlay();
    delete player1;
    player1 = nullptr;
    delete video1View;
    video1View = nullptr;
    delete player2;
    player2 = nullptr;
    delete video2View;
    video2View = nullptr;
}

void RVXAppDelegate::setVolume(unsigned volume) {
    if (m_volume == volume)
        return;
    m_volume = volume;
    Q_EMIT volumeChanged(volume);
}

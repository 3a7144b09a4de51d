// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/catalogue/RVXMediaList.h"
#include "core/catalogue/RVXMediaListDelegate.h"
#include "core/playback/RVXPlayerSync.h"
#include "core/scan/RVXCardScan.h"
#include "core/telemetry/RVXBlackBoxData.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class CustomWindow;
class GraphView;
class PMProgressIndicator;
class QAbstractButton;
class QAction;
class QLabel;
class QPrinter;
class QTemporaryDir;
class QMenu;
class QSlider;
class QTableView;
class QTimer;
class QToolButton;
class QWebEngineView;
class QWidget;
class RVXEventsController;
class RVXRepairController;
class RVXMapPage;
class RVXMediaListTableModel;
class RVXPlayInfo;
class RVXScrollableVideoContainerView;
class RVXTripController;
class TKImageButton;
class TKThreePartImageView;
class TKVideoBackgroundImageView;
class VLCMediaPlayer;
class VLCVideoView;
class RVXLibraryController;

// The application's one controller: it builds the main window and its players, opens
// folders, fills the recording list, plays pairs and lays the window out. Its
// implementation is spread over files by concern: the window's views (Interface), the
// list and start-up (this file's .cpp), playback (Playback), the telemetry read-out
// (Telemetry) and the layout (Layout).
class RVXAppDelegate : public QObject, public RVXMediaListDelegate {
    Q_OBJECT
    Q_PROPERTY(unsigned volume READ volume WRITE setVolume NOTIFY volumeChanged)
public:
    explicit RVXAppDelegate(QObject* parent = nullptr);
    ~RVXAppDelegate() override;

    // Start-up, in order: the views and players, then what the window needs once it is
    // shown.
    void awakeFromNib();
    void applicationDidFinishLaunching();

    // Actions.
    void openMediaDirectoryDialog();
    // The open action without the dialog: a folder from the command line or a drop (a
    // recording stands for its folder, and is chosen), or a folder with a recording under
    // it to choose once its list is there.
    void openMediaDirectory(const QString& path, const QString& selection = QString());
    void changeAndPlay();
    void clickMediaListViewButton();
    void clickMapViewButton();
    void clickEventsViewButton();
    void clickPlayButton();
    void swapPlayer();
    void videoPositionSliderMoved(double value);
    void jumpForward();
    void jumpBackward();
    void increaseSpeed();
    void decreaseSpeed();
    void volumeSliderMoved(int value);
    void volumeUp();
    void volumeDown();
    void toggleAudioChoice();
    // The audio toggle clicked from the keyboard: its state flips, then the action.
    void clickAudioToggle();
    void sizeUp();
    void sizeDown();
    void toggleFullScreen();
    // The recording list between its Files and its Trips.
    void toggleTrips();
    void closeWindow();
    // Opens the settings editor on the card, or on the open folder standing in for it.
    void showSettingPanel();
    // The editor on the page of a segment, in its order (RVXSettingPageNames).
    void showSettingPanelAt(int segment);
    // Opens the clock window for the card's timeset.cfg.
    void showTimeSetupPanel();
    // The evidence pack round the moment on screen (File > Export Evidence…), or round
    // moment (camera seconds, as trips count them).
    void exportEvidence();
    // event: the card scan's event the pack is made for, which its sheet names.
    void exportEvidenceAt(double moment, std::optional<RVXScanEvent> event = std::nullopt);
    // The camera's time of the picture on screen; none when nothing is loaded.
    std::optional<double> playingMoment() const;
    // The folder the window has open, empty when none.
    QString openFolder() const;

    // Offered to others.
    void showLoading(const QString& text);
    void hideLoading();
    void updateSideViewButton();
    void mediaListChanged(RVXMediaList* list) override;
    qsizetype numberOfRowsInTableView() const;

    // Playback.
    bool playAtIndex(int64_t index);
    bool playNext();
    void stopPlay();
    void updateVideoUI();
    void updateAudioUI();
    void chooseAudioAuto();
    bool hasAudio(const VLCMediaPlayer* player) const;
    bool isPlaying(const VLCMediaPlayer* player) const;
    void syncVideoPositionDelay(double seconds);
    void alignSecondPlayer(uint64_t generation);
    void didStartPlayer();
    void didFinishPlay();
    void startTimerPlayNext();
    void timerPlayNext();
    void initMediaControlView();
    void updatePlayInfoScale();
    // The telemetry read for the start counted by generation, handed over on the UI
    // thread: the players start once it is in place.
    void didReadTelemetry(uint64_t generation, RVXBlackBoxData data);
    void mediaPlayerStateChanged(VLCMediaPlayer* player);
    void mediaPlayerTimeChanged(VLCMediaPlayer* player);

    // Capture and print of the frame in the main video area.
    void captureVideo();
    void print();
    QPrinter* loadPrintInfo();
    void printPanelDidEnd(int returnCode);
    // The captured frame as a JPEG, in a folder private to the user.
    QString capturePath() const;
    void updateCaptureActions();
    // Stand-ins for the dialogs, for tests: the chosen path (empty: cancelled), the
    // print dialog's result with the printer set up, the image viewer.
    std::function<QString()> saveCapturePanel;
    std::function<int(QPrinter&)> printPanel;
    std::function<bool(const QUrl&)> openCapture;

    // The read-out of the telemetry at the published position.
    void updateGsensorUIByPlayPositon();
    void updateGpsUIByPlayPosition();

    // Layout.
    void layoutWindow();
    void layoutBodyBox();
    void layoutMapContainer();
    void showFrameIfDebugging();
    void setVideoScaleIndex(int k);

    // Keeps the most recently opened dialog window alive; opening another releases it.
    void setLastDialogController(std::unique_ptr<QObject> controller);
    QObject* lastDialogController() const { return m_lastDialogController.get(); }

    // Evaluates a script in the main window's map page.
    void evaluateMapScript(const QString& script);
    RVXMapPage* mapPage() const { return m_mapPage; }
    RVXTripController* tripController() const { return m_trips; }
    RVXEventsController* eventsController() const { return m_events; }
    RVXRepairController* repairController() const { return m_repairs; }
    RVXLibraryController* libraryController() const { return m_library; }

    void die();

    unsigned volume() const { return m_volume; }
    void setVolume(unsigned volume);

    // State, readable for the window's menus and for tests.
    RVXMediaList* mediaList() const { return m_mediaList.get(); }
    RVXPlayInfo* playInfo() const { return m_playInfo; }
    const RVXBlackBoxData& blackBoxData() const { return *m_blackBoxData; }
    int64_t mediaIndex() const { return m_mediaIndex; }
    int32_t rightViewMode() const { return m_rightViewMode; }
    bool waitingForPlayStart() const { return m_waitingForPlayStart; }
    bool preparingPlayNext() const { return m_preparingPlayNext; }
    bool swapping() const { return m_swapping; }
    bool moving() const { return m_moving; }
    double movingPosition() const { return m_movingPosition; }
    double progress() const { return m_progress; }
    bool stopVideoLoadingView() const { return m_stopVideoLoadingView; }
    QStringList columnNames() const { return m_columnNames; }

    // Views (the window's outlets).
    CustomWindow* window = nullptr;
    QWidget* backgroundBox = nullptr;
    QWidget* headBox = nullptr;
    QWidget* bodyBox = nullptr;
    QWidget* bodyLeftBox = nullptr;
    QWidget* bodyRightBox = nullptr;
    QWidget* videoBox = nullptr;
    RVXScrollableVideoContainerView* videoContainerView = nullptr;
    QWidget* gsensorBox = nullptr;
    QWidget* mediaControlBox = nullptr;
    TKThreePartImageView* mediaControlBoxForFullScreen = nullptr;
    QWidget* sideButtonBox = nullptr;
    QWidget* mediaListBox = nullptr;
    QWidget* subVideoBox = nullptr;
    QTableView* mediaListTableView = nullptr;
    QTableView* mediaListScrollView = nullptr;
    QWidget* mapContainerView = nullptr;
    QWidget* mapContainerTopView = nullptr;
    QWidget* mapContainerBottomView = nullptr;
    QWebEngineView* mapWebView = nullptr;
    GraphView* graphView = nullptr;
    TKVideoBackgroundImageView* player1BackgroundView = nullptr;
    TKVideoBackgroundImageView* player2BackgroundView = nullptr;
    RVXScrollableVideoContainerView* subVideoContainerView = nullptr;
    TKImageButton* playButton = nullptr;
    TKImageButton* playButtonForFullScreen = nullptr;
    QToolButton* speedTextButton = nullptr;
    QToolButton* sizeTextButton = nullptr;
    TKImageButton* audioToggleButton = nullptr;
    TKImageButton* captureButton = nullptr;
    TKImageButton* printButton = nullptr;
    QSlider* videoPositionSlider = nullptr;
    QSlider* videoPositionSliderForFullScreen = nullptr;
    QSlider* volumeSlider = nullptr;
    QToolButton* recordButtonImageView = nullptr;
    QToolButton* informationButtonImageView = nullptr;
    QLabel* gsensorXField = nullptr;
    QLabel* gsensorYField = nullptr;
    QLabel* gsensorZField = nullptr;
    QLabel* speedField = nullptr;
    QLabel* hdopField = nullptr;
    QLabel* sateliteField = nullptr;
    QLabel* timeField = nullptr;
    PMProgressIndicator* progressIndicator = nullptr;

    VLCVideoView* video1View = nullptr;
    VLCVideoView* video2View = nullptr;
    VLCMediaPlayer* player1 = nullptr;
    VLCMediaPlayer* player2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    void volumeChanged(unsigned volume);
    // The list was reloaded from a finished walk.
    void mediaListReloaded();

private:
    friend class RVXTripController;
    friend class RVXEventsController;
    friend class RVXRepairController;
    friend class RVXLibraryController;
    // The players' reports reach the controller only from the pair on screen.
    void connectPlayer(VLCMediaPlayer* player);
    // The logos behind the two views say which side each shows.
    void updatePlayerLogos();
    void followPausedSeek(double position);
    void showPausedTime();
    static QString scaleText(double scale);
    // Both players to their recordings' end.
    void seekToEnd();
    // Interface: the views the interface description would have made.
    void loadInterface();
    QWidget* makeHeadBox();
    QWidget* makeGsensorBox();
    QWidget* makeMediaControlBox();
    TKThreePartImageView* makeMediaControlBoxForFullScreen();
    QWidget* makeBodyRightBox();
    void makeMenus();
    void initMediaListTableView();
    void setupInitialValues();
    void updateLoadingWindow(double seconds);
    void reloadMediaList();
    void selectPendingRecording();
    void clearPlayback();
    void clearReadout();
    void showEmptyListNote();
    void setPositionSliders(double value);
    void setSideButtonImage(QToolButton* button, const QString& name);
    void observePlayInfo();
    void contentResized();
    void setPlayButtonsImage(const QString& name);
    double positionSliderValue() const;
    void animateSwap();
    void updateVideoViewsVisibility();
    void clearPlayers();
    bool isEmptyPause(const VLCMediaPlayer* player) const;
    bool hasFailed(const VLCMediaPlayer* player) const;
    // Snapshot of player1 into capturePath(); then(true) once the JPEG is complete.
    void takeSnapshot(const std::function<void(bool)>& then);
    QString runSaveCapturePanel();
    bool handleFailedStart();

    std::unique_ptr<RVXMediaList> m_mediaList;
    RVXPlayInfo* m_playInfo = nullptr;
    std::unique_ptr<RVXBlackBoxData> m_blackBoxData;
    RVXMediaListTableModel* m_tableModel = nullptr;
    int64_t m_mediaIndex = -1;
    // The chosen recording of m_mediaIndex that would not play, so its partner leads.
    QString m_unplayablePath;
    bool m_waitingForPlayStart = false;
    bool m_preparingPlayNext = false;
    bool m_swapping = false;
    bool m_moving = false;
    double m_movingPosition = 0;
    unsigned m_volume = 70;
    int32_t m_rightViewMode = 0;
    QTimer* m_playStopTimer = nullptr;
    QStringList m_columnNames;
    double m_progress = 0;
    bool m_stopVideoLoadingView = false;
    std::unique_ptr<QObject> m_lastDialogController;
    int32_t m_positionPublicationCounter = -1;
    // The slider's own value while the published position is pushed into it.
    bool m_updatingSliders = false;
    // Counts the starts so that a telemetry read finishing after a newer start is
    // dropped instead of starting the old recording.
    uint64_t m_startGeneration = 0;
    // Each discontinuity begins an alignment, so that one still checking an older one
    // gives up; it also learns how long player2's seeks take.
    RVXPlayerSync m_sync;
    // A recording named when its folder was opened, to select once the list is there.
    QString m_pendingSelection;
    QLabel* m_emptyListNote = nullptr;
    RVXMapPage* m_mapPage = nullptr;
    RVXTripController* m_trips = nullptr;
    RVXEventsController* m_events = nullptr;
    RVXRepairController* m_repairs = nullptr;
    RVXLibraryController* m_library = nullptr;
    // Where the next start opens its recordings, in seconds (a trip's unit from its middle);
    // used once.
    double m_startSecond = 0;
    std::unique_ptr<QPrinter> m_printInfo;
    mutable std::unique_ptr<QTemporaryDir> m_captureFolder;
    QAction* m_captureAction = nullptr;
    QAction* m_printAction = nullptr;
    QAction* m_evidenceAction = nullptr;
    bool m_died = false;
};

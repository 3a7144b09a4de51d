// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's views, as the interface description would have made them: the
// boxes of the layout, the controls inside them and the menus.
#include "gui/library/RVXLibraryController.h"
#include "gui/player/RVXAppDelegate.h"

#include "core/playback/RVXPlayInfo.h"
#include "core/support/RVXLocalizedString.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/GraphView.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/scan/RVXEventsController.h"
#include "gui/trips/RVXTripController.h"
#include "widgets/PMProgressIndicator.h"
#include "widgets/RVXPageHelpers.h"
#include "widgets/TKImageButton.h"
#include "widgets/TKThreePartImageView.h"
#include "widgets/TKVideoBackgroundImageView.h"

#include <QAction>
#include <QBoxLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QSlider>
#include <QTableView>
#include <QToolButton>
#include <QWebEngineView>

namespace {
QBoxLayout* boxLayout(QWidget* box, QBoxLayout::Direction direction, int spacing = 0) {
    auto* layout = new QBoxLayout(direction, box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

QWidget* namedBox(const char* name, QWidget* parent = nullptr) {
    auto* box = new QWidget(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

TKImageButton* imageButton(const char* name, const QString& image, const char* tipKey) {
    auto* button = new TKImageButton();
    button->setObjectName(QLatin1String(name));
    button->setImageName(image);
    button->setToolTip(withoutMnemonic(RVXLocalizedString(tipKey)));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QLabel* field(const char* name, const QString& text = QString()) {
    auto* label = new QLabel(text);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setFamily(QStringLiteral("monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(11);
    label->setFont(font);
    return label;
}

QSlider* positionSlider(const char* name) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setObjectName(QLatin1String(name));
    // Fine enough for the end-of-recording test at 0.998 of the length.
    slider->setRange(0, 100000);
    slider->setPageStep(5000);
    // A drag seeks once, when it is released.
    slider->setTracking(false);
    slider->setFocusPolicy(Qt::NoFocus);
    return slider;
}
} // namespace

void RVXAppDelegate::loadInterface() {
    window = new CustomWindow();
    window->setObjectName(QStringLiteral("window"));
    window->setWindowTitle(QStringLiteral("RUVEX Viewer"));

    auto* background = new CustomBackgroundBox();
    background->setObjectName(QStringLiteral("backgroundBox"));
    background->setFrameShape(QFrame::NoFrame);
    background->setStyleSheet(QStringLiteral(
        // At least 4.5:1 on the background (#6a5f5b), as text for reading must be.
        "QLabel { color: #f4f5f7; } "
        "QToolButton { color: #f4f5f7; border: 1px solid #4a4d53; border-radius: 3px; "
        "padding: 1px 6px; background: #2b2d31; } "
        "QToolButton:pressed { background: #17181b; }"));
    backgroundBox = background;
    window->setCentralWidget(backgroundBox);
    auto* backgroundLayout = boxLayout(backgroundBox, QBoxLayout::TopToBottom);

    headBox = makeHeadBox();
    window->setDragHandle(headBox);
    bodyBox = namedBox("bodyBox");
    backgroundLayout->addWidget(headBox);
    backgroundLayout->addWidget(m_events->makeClockBar());
    backgroundLayout->addWidget(m_library->makeCardBar());
    backgroundLayout->addWidget(bodyBox, 1);

    auto* bodyLayout = boxLayout(bodyBox, QBoxLayout::LeftToRight);
    bodyLeftBox = namedBox("bodyLeftBox");
    bodyRightBox = makeBodyRightBox();
    bodyLayout->addWidget(bodyLeftBox, 1);
    bodyLayout->addWidget(bodyRightBox);

    auto* leftLayout = boxLayout(bodyLeftBox, QBoxLayout::TopToBottom);
    videoBox = namedBox("videoBox");
    auto* videoLayout = boxLayout(videoBox, QBoxLayout::TopToBottom);
    player1BackgroundView = new TKVideoBackgroundImageView();
    player1BackgroundView->setObjectName(QStringLiteral("player1BackgroundView"));
    videoLayout->addWidget(player1BackgroundView);
    auto* player1Layout = boxLayout(player1BackgroundView, QBoxLayout::TopToBottom);
    videoContainerView = new RVXScrollableVideoContainerView();
    videoContainerView->setObjectName(QStringLiteral("videoContainerView"));
    player1Layout->addWidget(videoContainerView);

    gsensorBox = makeGsensorBox();
    mediaControlBox = makeMediaControlBox();
    mediaControlBoxForFullScreen = makeMediaControlBoxForFullScreen();
    leftLayout->addWidget(videoBox, 1);
    leftLayout->addSpacing(4);
    leftLayout->addWidget(gsensorBox);
    leftLayout->addSpacing(4);
    leftLayout->addWidget(mediaControlBox);
    leftLayout->addWidget(mediaControlBoxForFullScreen);

    makeMenus();
}

QWidget* RVXAppDelegate::makeHeadBox() {
    QWidget* box = namedBox("headBox");
    auto* title = new QLabel(QStringLiteral("RUVEX"), box);
    title->setObjectName(QStringLiteral("titleLabel"));
    QFont font = title->font();
    font.setBold(true);
    font.setPointSize(16);
    title->setFont(font);
    title->setGeometry(14, 0, 200, 50);
    progressIndicator = new PMProgressIndicator(box);
    progressIndicator->setObjectName(QStringLiteral("progressIndicator"));
    progressIndicator->setFixedSize(220, 12);
    progressIndicator->move(0, 19);
    progressIndicator->setTextVisible(false);
    progressIndicator->hide();
    return box;
}

QWidget* RVXAppDelegate::makeGsensorBox() {
    QWidget* box = namedBox("gsensorBox");
    auto* layout = boxLayout(box, QBoxLayout::LeftToRight, 8);
    graphView = new GraphView();
    graphView->setObjectName(QStringLiteral("graphView"));
    layout->addWidget(graphView, 1);

    auto* panel = new QWidget();
    panel->setObjectName(QStringLiteral("readoutPanel"));
    panel->setFixedWidth(190);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(4, 6, 4, 6);
    grid->setVerticalSpacing(2);
    gsensorXField = field("gsensorXField", QStringLiteral("X=+0.00"));
    gsensorYField = field("gsensorYField", QStringLiteral("Y=+0.00"));
    gsensorZField = field("gsensorZField", QStringLiteral("Z=+0.00"));
    speedField = field("speedField");
    hdopField = field("hdopField");
    sateliteField = field("sateliteField");
    grid->addWidget(gsensorXField, 0, 0, 1, 2);
    grid->addWidget(gsensorYField, 1, 0, 1, 2);
    grid->addWidget(gsensorZField, 2, 0, 1, 2);
    const struct {
        const char* key;
        QLabel* value;
    } rows[] = {{"readout.speed", speedField},
                {"readout.hdop", hdopField},
                {"readout.satellites", sateliteField}};
    int row = 3;
    for (const auto& r : rows) {
        auto* caption = new QLabel(RVXLocalizedString(r.key));
        caption->setObjectName(QLatin1String(r.key));
        // Quieter than the values, still 4.7:1 on the background.
        caption->setStyleSheet(QStringLiteral("color: #e2e2e2;"));
        grid->addWidget(caption, row, 0);
        grid->addWidget(r.value, row, 1);
        ++row;
    }
    layout->addWidget(panel);
    return box;
}

QWidget* RVXAppDelegate::makeMediaControlBox() {
    QWidget* box = namedBox("mediaControlBox");
    auto* layout = boxLayout(box, QBoxLayout::TopToBottom, 2);
    auto* sliderRow = boxLayout(new QWidget(), QBoxLayout::LeftToRight, 8);
    videoPositionSlider = positionSlider("videoPositionSlider");
    timeField = field("timeField", QStringLiteral("00:00 / 00:00"));
    sliderRow->addWidget(videoPositionSlider, 1);
    sliderRow->addWidget(timeField);
    layout->addWidget(sliderRow->parentWidget());

    auto* buttons = boxLayout(new QWidget(), QBoxLayout::LeftToRight, 6);
    auto* jumpBack = imageButton("jumpBackwardButton", QStringLiteral("icon_jump_back_n"),
                                 "action.jump_backward");
    playButton = imageButton("playButton", QStringLiteral("icon_play_n"), "action.play");
    auto* jumpFore = imageButton("jumpForwardButton", QStringLiteral("icon_jump_forward_n"),
                                 "action.jump_forward");
    auto* slower =
        imageButton("decreaseSpeedButton", QStringLiteral("icon_slower_n"), "action.slower");
    speedTextButton = new QToolButton();
    speedTextButton->setObjectName(QStringLiteral("speedTextButton"));
    speedTextButton->setText(QStringLiteral("1.0x"));
    speedTextButton->setToolTip(RVXLocalizedString("tooltip.playback_rate"));
    speedTextButton->setFocusPolicy(Qt::NoFocus);
    auto* faster =
        imageButton("increaseSpeedButton", QStringLiteral("icon_faster_n"), "action.faster");
    sizeTextButton = new QToolButton();
    sizeTextButton->setObjectName(QStringLiteral("sizeTextButton"));
    sizeTextButton->setText(scaleText(0));
    sizeTextButton->setToolTip(RVXLocalizedString("tooltip.window_scale"));
    sizeTextButton->setFocusPolicy(Qt::NoFocus);
    captureButton =
        imageButton("captureButton", QStringLiteral("icon_capture_n"), "action.capture");
    printButton = imageButton("printButton", QStringLiteral("icon_print_n"), "action.print");
    audioToggleButton =
        imageButton("audioToggleButton", QStringLiteral("icon_audio_n"), "action.audio_choice");
    audioToggleButton->setCheckable(true);
    volumeSlider = new QSlider(Qt::Horizontal);
    volumeSlider->setObjectName(QStringLiteral("volumeSlider"));
    volumeSlider->setRange(0, 200);
    volumeSlider->setFixedWidth(100);
    volumeSlider->setToolTip(RVXLocalizedString("tooltip.volume"));
    volumeSlider->setFocusPolicy(Qt::NoFocus);
    auto* fullScreen =
        imageButton("fullScreenButton", QStringLiteral("icon_fullscreen_n"), "action.full_screen");
    for (QWidget* w : std::initializer_list<QWidget*>{jumpBack, playButton, jumpFore, slower,
                                                      speedTextButton, faster, sizeTextButton})
        buttons->addWidget(w);
    buttons->addSpacing(10);
    buttons->addWidget(captureButton);
    buttons->addWidget(printButton);
    buttons->addStretch(1);
    buttons->addWidget(audioToggleButton);
    buttons->addWidget(volumeSlider);
    buttons->addSpacing(10);
    buttons->addWidget(fullScreen);
    layout->addWidget(buttons->parentWidget());

    connect(jumpBack, &QAbstractButton::clicked, this, &RVXAppDelegate::jumpBackward);
    connect(playButton, &QAbstractButton::clicked, this, &RVXAppDelegate::clickPlayButton);
    connect(jumpFore, &QAbstractButton::clicked, this, &RVXAppDelegate::jumpForward);
    connect(slower, &QAbstractButton::clicked, this, &RVXAppDelegate::decreaseSpeed);
    connect(faster, &QAbstractButton::clicked, this, &RVXAppDelegate::increaseSpeed);
    connect(speedTextButton, &QAbstractButton::clicked, this, [this] {
        // The rate has two steps: the text button goes to the other one.
        if (player1 && m_playInfo && m_playInfo->speed() > 1.0)
            decreaseSpeed();
        else
            increaseSpeed();
    });
    connect(sizeTextButton, &QAbstractButton::clicked, this, &RVXAppDelegate::sizeUp);
    connect(audioToggleButton, &QAbstractButton::clicked, this, &RVXAppDelegate::toggleAudioChoice);
    connect(captureButton, &QAbstractButton::clicked, this, &RVXAppDelegate::captureVideo);
    connect(printButton, &QAbstractButton::clicked, this, &RVXAppDelegate::print);
    connect(volumeSlider, &QSlider::valueChanged, this, [this](int value) {
        if (!m_updatingSliders)
            volumeSliderMoved(value);
    });
    connect(fullScreen, &QAbstractButton::clicked, this, &RVXAppDelegate::toggleFullScreen);
    return box;
}

TKThreePartImageView* RVXAppDelegate::makeMediaControlBoxForFullScreen() {
    auto* box = new TKThreePartImageView();
    box->setObjectName(QStringLiteral("mediaControlBoxForFullScreen"));
    auto* layout = boxLayout(box, QBoxLayout::LeftToRight, 8);
    layout->setContentsMargins(8, 2, 8, 2);
    playButtonForFullScreen =
        imageButton("playButtonForFullScreen", QStringLiteral("icon_play_n"), "action.play");
    videoPositionSliderForFullScreen = positionSlider("videoPositionSliderForFullScreen");
    auto* leave = imageButton("leaveFullScreenButton", QStringLiteral("icon_fullscreen_n"),
                              "action.full_screen");
    layout->addWidget(playButtonForFullScreen);
    layout->addWidget(videoPositionSliderForFullScreen, 1);
    layout->addWidget(leave);
    connect(playButtonForFullScreen, &QAbstractButton::clicked, this,
            &RVXAppDelegate::clickPlayButton);
    connect(leave, &QAbstractButton::clicked, this, &RVXAppDelegate::toggleFullScreen);
    box->hide();
    return box;
}

QWidget* RVXAppDelegate::makeBodyRightBox() {
    QWidget* box = namedBox("bodyRightBox");
    auto* layout = boxLayout(box, QBoxLayout::TopToBottom);

    sideButtonBox = namedBox("sideButtonBox");
    auto* sideLayout = boxLayout(sideButtonBox, QBoxLayout::LeftToRight, 4);
    recordButtonImageView = new QToolButton();
    recordButtonImageView->setObjectName(QStringLiteral("recordButtonImageView"));
    recordButtonImageView->setToolTip(withoutMnemonic(RVXLocalizedString("action.show_list")));
    informationButtonImageView = new QToolButton();
    informationButtonImageView->setObjectName(QStringLiteral("informationButtonImageView"));
    informationButtonImageView->setToolTip(withoutMnemonic(RVXLocalizedString("action.show_map")));
    for (QToolButton* b : {recordButtonImageView, informationButtonImageView}) {
        b->setAutoRaise(true);
        b->setIconSize(QSize(40, 28));
        b->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
        b->setFocusPolicy(Qt::NoFocus);
        sideLayout->addWidget(b);
    }
    sideLayout->addStretch(1);
    connect(recordButtonImageView, &QAbstractButton::clicked, this,
            &RVXAppDelegate::clickMediaListViewButton);
    connect(informationButtonImageView, &QAbstractButton::clicked, this,
            &RVXAppDelegate::clickMapViewButton);

    mediaListBox = namedBox("mediaListBox");
    auto* listLayout = boxLayout(mediaListBox, QBoxLayout::TopToBottom);
    mediaListTableView = new QTableView();
    mediaListTableView->setObjectName(QStringLiteral("mediaListTableView"));
    mediaListScrollView = mediaListTableView;
    listLayout->addWidget(mediaListScrollView);
    m_trips->makeViews(listLayout, sideLayout);
    m_events->makeViews(sideLayout, listLayout);

    mapContainerView = namedBox("mapContainerView");
    auto* mapLayout = boxLayout(mapContainerView, QBoxLayout::TopToBottom);
    mapContainerTopView = namedBox("mapContainerTopView");
    mapContainerBottomView = namedBox("mapContainerBottomView");
    mapLayout->addWidget(mapContainerTopView, 1);
    mapLayout->addWidget(mapContainerBottomView);
    auto* topLayout = boxLayout(mapContainerTopView, QBoxLayout::TopToBottom);
    mapWebView = new QWebEngineView();
    mapWebView->setObjectName(QStringLiteral("mapWebView"));
    topLayout->addWidget(mapWebView);
    auto* bottomLayout = boxLayout(mapContainerBottomView, QBoxLayout::TopToBottom);
    bottomLayout->setContentsMargins(8, 4, 8, 4);
    auto* mapHint = new QLabel(RVXLocalizedString("map.hint"));
    mapHint->setObjectName(QStringLiteral("mapHint"));
    mapHint->setWordWrap(true);
    bottomLayout->addWidget(mapHint);

    subVideoBox = namedBox("subVideoBox");
    auto* subLayout = boxLayout(subVideoBox, QBoxLayout::TopToBottom);
    player2BackgroundView = new TKVideoBackgroundImageView();
    player2BackgroundView->setObjectName(QStringLiteral("player2BackgroundView"));
    subLayout->addWidget(player2BackgroundView);
    auto* player2Layout = boxLayout(player2BackgroundView, QBoxLayout::TopToBottom);
    subVideoContainerView = new RVXScrollableVideoContainerView();
    subVideoContainerView->setObjectName(QStringLiteral("subVideoContainerView"));
    player2Layout->addWidget(subVideoContainerView);

    layout->addWidget(sideButtonBox);
    layout->addWidget(mediaListBox, 1);
    layout->addWidget(subVideoBox);
    return box;
}

void RVXAppDelegate::makeMenus() {
    struct Item {
        const char* key;
        QList<QKeySequence> keys;
        void (RVXAppDelegate::*action)();
    };
    const auto menu = [this](const char* titleKey, const std::vector<Item>& items) {
        QMenu* m = window->menuBar()->addMenu(RVXLocalizedString(titleKey));
        for (const Item& item : items) {
            if (!item.key) {
                m->addSeparator();
                continue;
            }
            QAction* a = m->addAction(RVXLocalizedString(item.key));
            a->setObjectName(QLatin1String(item.key));
            a->setShortcuts(item.keys);
            // On the window as well, so that the keys work while the menu bar is hidden
            // in full screen.
            window->addAction(a);
            connect(a, &QAction::triggered, this, item.action);
            if (item.action == &RVXAppDelegate::captureVideo)
                m_captureAction = a;
            else if (item.action == &RVXAppDelegate::print)
                m_printAction = a;
            else if (item.action == &RVXAppDelegate::exportEvidence)
                m_evidenceAction = a;
        }
    };
    using K = QKeySequence;
    menu("menu.file",
         {{"action.open", {K::Open}, &RVXAppDelegate::openMediaDirectoryDialog},
          {nullptr, {}, nullptr},
          {"action.capture", {K(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, &RVXAppDelegate::captureVideo},
          {"action.print", {K::Print}, &RVXAppDelegate::print},
          {"action.export_evidence", {K(Qt::CTRL | Qt::Key_E)}, &RVXAppDelegate::exportEvidence},
          {nullptr, {}, nullptr},
          {"action.close", {K::Close}, &RVXAppDelegate::closeWindow},
          {"action.quit", {K::Quit}, &RVXAppDelegate::closeWindow}});
    menu("menu.playback",
         {{"action.play", {K(Qt::Key_Space)}, &RVXAppDelegate::clickPlayButton},
          {"action.jump_backward", {K(Qt::Key_Left)}, &RVXAppDelegate::jumpBackward},
          {"action.jump_forward", {K(Qt::Key_Right)}, &RVXAppDelegate::jumpForward},
          {nullptr, {}, nullptr},
          {"action.slower", {K(Qt::CTRL | Qt::Key_BracketLeft)}, &RVXAppDelegate::decreaseSpeed},
          {"action.faster", {K(Qt::CTRL | Qt::Key_BracketRight)}, &RVXAppDelegate::increaseSpeed},
          {nullptr, {}, nullptr},
          {"action.swap", {K(Qt::CTRL | Qt::Key_T)}, &RVXAppDelegate::swapPlayer},
          {"action.volume_up", {K(Qt::CTRL | Qt::Key_Up)}, &RVXAppDelegate::volumeUp},
          {"action.volume_down", {K(Qt::CTRL | Qt::Key_Down)}, &RVXAppDelegate::volumeDown},
          {"action.audio_choice", {K(Qt::CTRL | Qt::Key_A)}, &RVXAppDelegate::clickAudioToggle}});
    menu("menu.card", {{"action.camera_settings",
                        {K(Qt::CTRL | Qt::Key_Comma)},
                        &RVXAppDelegate::showSettingPanel},
                       {"action.clock_file", {}, &RVXAppDelegate::showTimeSetupPanel}});
    menu(
        "menu.view",
        {{"action.show_list", {K(Qt::CTRL | Qt::Key_1)}, &RVXAppDelegate::clickMediaListViewButton},
         {"action.show_map", {K(Qt::CTRL | Qt::Key_2)}, &RVXAppDelegate::clickMapViewButton},
         {"action.show_events", {K(Qt::CTRL | Qt::Key_3)}, &RVXAppDelegate::clickEventsViewButton},
         {"action.toggle_trips", {K(Qt::CTRL | Qt::Key_G)}, &RVXAppDelegate::toggleTrips},
         {nullptr, {}, nullptr},
         {"action.size_up", {K::ZoomIn, K(Qt::CTRL | Qt::Key_Equal)}, &RVXAppDelegate::sizeUp},
         {"action.size_down", {K::ZoomOut}, &RVXAppDelegate::sizeDown},
         {"action.full_screen", {K(Qt::Key_F11)}, &RVXAppDelegate::toggleFullScreen}});
}

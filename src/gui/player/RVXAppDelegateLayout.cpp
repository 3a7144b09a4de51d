// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's arrangement: normal and full screen, list and map, size steps.
#include "gui/player/RVXAppDelegate.h"

#include "gui/library/RVXLibraryController.h"

#include <algorithm>

#include "core/playback/RVXPlayInfo.h"
#include "core/playback/RVXWindowGeometry.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/RVXScrollableVideoContainerView.h"
#include "gui/player/VLCMediaPlayer.h"
#include "gui/player/VLCVideoView.h"
#include "gui/scan/RVXEventsController.h"
#include "widgets/TKThreePartImageView.h"

#include <QBoxLayout>
#include <QEvent>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QTableView>

namespace {
void setMargins(QWidget* box, int left, int top, int right, int bottom) {
    box->layout()->setContentsMargins(left, top, right, bottom);
}
} // namespace

void RVXAppDelegate::layoutWindow() {
    const bool full = window->isFullScreen();
    QSettings().setValue(
        QStringLiteral("NSConstraintBasedLayoutVisualizeMutuallyExclusiveConstraints"), true);
    headBox->setFixedHeight(50);
    headBox->setVisible(!full);
    window->menuBar()->setVisible(!full);
    m_events->updateClockBar();
    layoutBodyBox();
}

void RVXAppDelegate::layoutBodyBox() {
    const bool full = window->isFullScreen();
    bodyRightBox->setVisible(!full);
    if (full) {
        setMargins(bodyBox, 0, 0, 0, 2);
    } else {
        setMargins(bodyBox, 10, 0, 10, 8);
        static_cast<QBoxLayout*>(bodyBox->layout())->setSpacing(10);
        bodyRightBox->setFixedWidth(334);
    }

    mediaControlBoxForFullScreen->setVisible(full);
    gsensorBox->setVisible(!full);
    mediaControlBox->setVisible(!full);
    auto* left = static_cast<QBoxLayout*>(bodyLeftBox->layout());
    // The 4-point gaps around the G-sensor box belong to the normal arrangement.
    for (int i = 0; i < left->count(); ++i) {
        if (QSpacerItem* spacer = left->itemAt(i)->spacerItem())
            spacer->changeSize(0, full ? 0 : 4, QSizePolicy::Minimum, QSizePolicy::Fixed);
    }
    left->invalidate();
    if (full) {
        mediaControlBoxForFullScreen->setFixedHeight(36);
        mediaControlBoxForFullScreen->setContentsMargins(0, 0, 2, 0);
    } else {
        gsensorBox->setFixedHeight(130);
        mediaControlBox->setFixedHeight(72);
        sideButtonBox->setFixedHeight(32);
        subVideoBox->setFixedHeight(250);
    }
    layoutMapContainer();
}

void RVXAppDelegate::layoutMapContainer() {
    if (window->isFullScreen())
        return;
    if (m_rightViewMode != 0 && m_library && m_library->isOpenInWindow()) {
        // The library's days, what a place holds and the list of it share the panel with
        // the map.
        mapContainerBottomView->setFixedHeight(std::max(150, mediaListBox->height() / 2));
    } else if (m_rightViewMode != 0) {
        mapContainerBottomView->setFixedHeight(57);
    }
    mediaListBox->layout()->invalidate();
}

void RVXAppDelegate::showFrameIfDebugging() {
    // The boxes show the window's background through them; the second video's box is
    // black behind its picture.
    for (QWidget* box : {backgroundBox, headBox, bodyBox, bodyLeftBox, bodyRightBox,
                         mediaControlBox, sideButtonBox, mediaListBox})
        box->setAutoFillBackground(false);
    QPalette palette = subVideoBox->palette();
    palette.setColor(QPalette::Window, Qt::black);
    subVideoBox->setPalette(palette);
    subVideoBox->setAutoFillBackground(true);
}

// The steps size the window, so they work whether or not anything plays.
void RVXAppDelegate::sizeUp() {
    setVideoScaleIndex(1);
}

void RVXAppDelegate::sizeDown() {
    setVideoScaleIndex(-1);
}

void RVXAppDelegate::setVideoScaleIndex(int k) {
    QScreen* screen = window->screen();
    const QSize screenSize = screen ? screen->geometry().size() : QSize();
    const RVXWindowGeometry::Step step =
        RVXWindowGeometry::sizeStep(window->size(), k, screenSize, window->isFullScreen());
    switch (step.action) {
    case RVXWindowGeometry::StepAction::Nothing:
        return;
    case RVXWindowGeometry::StepAction::EnterFullScreen:
        window->enterFullscreen();
        return;
    case RVXWindowGeometry::StepAction::LeaveFullScreen:
        window->leaveFullscreen();
        return;
    case RVXWindowGeometry::StepAction::Resize: {
        // The window grows from its top-left corner, as windows on this desktop do, and
        // moves up or left only as far as it must to stay on screen with its decorations.
        const QRect client(window->geometry().topLeft(), step.size);
        const QMargins decorations(window->geometry().left() - window->frameGeometry().left(),
                                   window->geometry().top() - window->frameGeometry().top(),
                                   window->frameGeometry().right() - window->geometry().right(),
                                   window->frameGeometry().bottom() - window->geometry().bottom());
        const QRect visible = screen ? screen->availableGeometry() : client + decorations;
        window->setFrame(RVXWindowGeometry::keptInside(client + decorations, visible) - decorations,
                         true);
        return;
    }
    }
}

void RVXAppDelegate::toggleFullScreen() {
    if (!window->isFullScreen())
        window->enterFullscreen();
    else
        window->leaveFullscreen();
}

bool RVXAppDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (watched == videoContainerView && event->type() == QEvent::Resize)
        contentResized();
    return QObject::eventFilter(watched, event);
}

void RVXAppDelegate::contentResized() {
    updatePlayInfoScale();
}

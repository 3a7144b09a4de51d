// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/playback/RVXPlayInfo.h"
#include "gui/player/CustomWindow.h"
#include "gui/player/RVXAppDelegate.h"
#include "gui/player/VLCMediaPlayer.h"
#include "support/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <functional>
#include <memory>

inline QString demoCard() {
    return qEnvironmentVariable("RUVEX_TEST_DEMO_CARD");
}

// A main window started as the program starts it.
class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::exists(demoCard())) << "the demo card fixture is missing";
        delegate = std::make_unique<RVXAppDelegate>();
        delegate->awakeFromNib();
        delegate->applicationDidFinishLaunching();
        ASSERT_TRUE(waitFor([&] { return delegate->window->isVisible(); }));
    }
    void TearDown() override { delegate.reset(); }

    // Opens a folder and waits for its list.
    void open(const QString& path) {
        bool reloaded = false;
        auto c = QObject::connect(delegate.get(), &RVXAppDelegate::mediaListReloaded,
                                  [&] { reloaded = true; });
        delegate->openMediaDirectory(path);
        ASSERT_TRUE(waitFor([&] { return reloaded; }));
        QObject::disconnect(c);
    }

    // Starts a row and waits until player1 really plays.
    void playAndWait(int64_t row) {
        ASSERT_TRUE(delegate->playAtIndex(row));
        ASSERT_TRUE(waitFor([&] {
            return !delegate->waitingForPlayStart() && delegate->playInfo()->isPlaying();
        })) << "row "
            << row << " did not start";
    }

    std::unique_ptr<RVXAppDelegate> delegate;
};

// Where a slider draws its handle or its groove, in its own coordinates.
inline QRect sliderPart(const QSlider* slider, QStyle::SubControl part) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.subControls = QStyle::SC_All;
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, part, slider);
}

// A list's columns fit its width, nothing to scroll sideways to, and the text of cell
// (row 0, column) shows whole.
inline testing::AssertionResult columnsFit(QAbstractItemView* view, QHeaderView* header,
                                           int column) {
    const int width = view->viewport()->width();
    if (view->horizontalScrollBar()->isVisible() || header->length() > width)
        return testing::AssertionFailure()
               << "the columns are " << header->length() << " px wide in " << width << " ("
               << header->sectionSize(0) << ", " << header->sectionSize(1) << ", "
               << header->sectionSize(2) << ", " << header->sectionSize(3) << ")";
    const QString text = view->model()->index(0, column).data().toString();
    const int needed = view->fontMetrics().horizontalAdvance(text) + 6;
    if (header->sectionSize(column) < needed)
        return testing::AssertionFailure() << qPrintable(text) << " needs " << needed
                                           << " px, its column has " << header->sectionSize(column);
    return testing::AssertionSuccess();
}

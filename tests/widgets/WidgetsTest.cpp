// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/PMProgressIndicator.h"
#include "widgets/PMProgressIndicatorController.h"
#include "widgets/SMDoubleSlider.h"
#include "widgets/TKImageButton.h"
#include "widgets/TKVideoBackgroundImageView.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

TEST(SMDoubleSliderCell, SettersKeepLowBelowHighInsideTheRange) {
    SMDoubleSliderCell c;
    c.setDoubleHiValue(60);
    c.setDoubleLoValue(80);
    EXPECT_EQ(c.doubleLoValue(), 60);
    c.setDoubleLoValue(-5);
    EXPECT_EQ(c.doubleLoValue(), 0);
    c.setDoubleLoValue(40);
    c.setDoubleHiValue(20);
    EXPECT_EQ(c.doubleHiValue(), 40);
    c.setDoubleHiValue(150);
    EXPECT_EQ(c.doubleHiValue(), 100);

    SMDoubleSliderCell m;
    m.setDoubleHiValue(30);
    m.setDoubleLoValue(10);
    m.setMinValue(50);
    EXPECT_EQ(m.doubleLoValue(), 50);
    EXPECT_EQ(m.doubleHiValue(), 50);

    SMDoubleSliderCell l;
    l.setDoubleHiValue(70);
    l.setDoubleLoValue(20);
    l.setLockedSliders(true);
    EXPECT_EQ(l.doubleLoValue(), 70);
}

TEST(SMDoubleSliderCell, ConversionsOfTheValues) {
    SMDoubleSliderCell c;
    c.setMinValue(5);
    c.setDoubleHiValue(100);
    c.setObjectLoValue(QStringLiteral("12.5"));
    EXPECT_EQ(c.doubleLoValue(), 12.5);
    EXPECT_EQ(c.stringLoValue(), QStringLiteral("12.5"));
    EXPECT_EQ(c.intLoValue(), 12);
    EXPECT_EQ(c.stringHiValue(), QStringLiteral("100"));
    c.setObjectLoValue(QVariant());
    EXPECT_EQ(c.doubleLoValue(), 5) << "no object is 0, raised to the minimum";
    c.setObjectLoValue(QStringLiteral("many"));
    EXPECT_EQ(c.doubleLoValue(), 5);
    c.setTrackingLoKnob(true);
    c.setDoubleValue(30);
    EXPECT_EQ(c.doubleLoValue(), 30);
    EXPECT_EQ(c.doubleHiValue(), 100);
}

TEST(SMDoubleSliderCell, DragsStopAtTheOtherKnob) {
    SMDoubleSliderCell c;
    c.setDoubleHiValue(60);
    c.setDoubleLoValue(20);
    ASSERT_TRUE(c.startTracking(true, false));
    c.continueTracking(90);
    EXPECT_EQ(c.doubleLoValue(), 60);
    EXPECT_EQ(c.doubleHiValue(), 60);
    EXPECT_TRUE(c.stopTracking());
    EXPECT_EQ(c.doubleLoValue(), 60);
    c.setDoubleLoValue(20);
    ASSERT_FALSE(c.startTracking(false, false));
    c.continueTracking(5);
    EXPECT_EQ(c.doubleHiValue(), 20);
    EXPECT_FALSE(c.stopTracking());
    // Stacked at the minimum, the high knob is taken so the two can be pulled apart.
    SMDoubleSliderCell s;
    EXPECT_FALSE(s.startTracking(true, true));
    s.stopTracking();
    s.setDoubleHiValue(50);
    s.setDoubleLoValue(50);
    EXPECT_TRUE(s.startTracking(true, true));
}

class SliderWidget : public testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        before = new QLineEdit;
        slider = new SMDoubleSlider;
        after = new QLineEdit;
        layout->addWidget(before);
        layout->addWidget(slider);
        layout->addWidget(after);
        window->resize(300, 120);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    QPoint centreOf(double value) const { return slider->knobRect(value).center(); }
    std::unique_ptr<QWidget> window;
    QLineEdit* before = nullptr;
    SMDoubleSlider* slider = nullptr;
    QLineEdit* after = nullptr;
};

TEST_F(SliderWidget, LoadsItsImages) {
    EXPECT_FALSE(slider->knobLeftImage.isNull());
    EXPECT_FALSE(slider->knobRightImage.isNull());
    EXPECT_FALSE(slider->barFillImage.isNull());
}

TEST_F(SliderWidget, BoundValuesEnableAndDisable) {
    slider->setMinValue(10);
    slider->setObjectHiValue(QVariant());
    EXPECT_FALSE(slider->isEnabled());
    EXPECT_EQ(slider->doubleHiValue(), 10) << "a missing value is 0, clamped";
    slider->setObjectHiValue(80);
    EXPECT_TRUE(slider->isEnabled());
    EXPECT_EQ(slider->doubleHiValue(), 80);
    // The two properties bind to a model both ways through their signals.
    QLineEdit model;
    QObject::connect(slider, &SMDoubleSlider::loValueChanged, &model,
                     [&](double v) { model.setText(QString::number(v)); });
    slider->setProperty("objectLoValue", 30.0);
    EXPECT_EQ(model.text(), QStringLiteral("30"));
}

TEST_F(SliderWidget, MouseDownOnStackedKnobs) {
    QTest::mousePress(slider, Qt::LeftButton, {}, centreOf(0));
    EXPECT_FALSE(slider->cell().isDraggingLoKnob()) << "both at 0: the high knob";
    QTest::mouseRelease(slider, Qt::LeftButton, {}, centreOf(0));
    slider->setDoubleHiValue(50);
    slider->setDoubleLoValue(50);
    QTest::mousePress(slider, Qt::LeftButton, {}, centreOf(50));
    EXPECT_TRUE(slider->cell().isDraggingLoKnob()) << "both at 50: the low knob";
    QTest::mouseRelease(slider, Qt::LeftButton, {}, centreOf(50));
}

TEST_F(SliderWidget, DraggingSendsValuesAndStopsAtTheOtherKnob) {
    slider->setDoubleHiValue(60);
    slider->setDoubleLoValue(20);
    QList<double> lows;
    QObject::connect(slider, &SMDoubleSlider::loValueChanged, [&](double v) { lows << v; });
    QTest::mousePress(slider, Qt::LeftButton, {}, centreOf(20));
    QMouseEvent move(QEvent::MouseMove, QPointF(centreOf(95)),
                     slider->mapToGlobal(QPointF(centreOf(95))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(slider, &move);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, centreOf(95));
    EXPECT_EQ(slider->doubleLoValue(), 60);
    EXPECT_EQ(slider->doubleHiValue(), 60);
    ASSERT_FALSE(lows.isEmpty());
    EXPECT_EQ(lows.last(), 60);
}

TEST_F(SliderWidget, TabWalksLowHighThenTheNextControl) {
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(slider->hasFocus());
    EXPECT_TRUE(slider->trackingLoKnob());
    QTest::keyClick(slider, Qt::Key_Tab);
    EXPECT_TRUE(slider->hasFocus());
    EXPECT_FALSE(slider->trackingLoKnob());
    QTest::keyClick(slider, Qt::Key_Right);
    EXPECT_EQ(slider->doubleHiValue(), 1) << "arrows move the addressed knob";
    QTest::keyClick(slider, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    QTest::keyClick(after, Qt::Key_Backtab);
    ASSERT_TRUE(slider->hasFocus());
    EXPECT_FALSE(slider->trackingLoKnob()) << "Shift-Tab arrives at the high knob";
    QTest::keyClick(slider, Qt::Key_Backtab);
    EXPECT_TRUE(slider->trackingLoKnob());
    QTest::keyClick(slider, Qt::Key_Backtab);
    EXPECT_TRUE(before->hasFocus());
}

TEST(EcoSliderAxisView, TickPositions) {
    EXPECT_DOUBLE_EQ(EcoSliderAxisView::tickX(0, 208), 8);
    EXPECT_DOUBLE_EQ(EcoSliderAxisView::tickX(21, 208), 21 * 240 / 22.0 + 8);
}

TEST(PMProgressIndicator, RedrawsOnlyWhenTheWholeNumberChanges) {
    PMProgressIndicator p;
    p.setDrawDockProgress(false);
    p.setDoubleValue(10.2);
    p.setDoubleValue(10.7);
    p.setDoubleValue(10.9);
    EXPECT_EQ(p.redrawCount(), 1);
    EXPECT_EQ(p.lastValue(), 10);
    p.setDoubleValue(11.0);
    EXPECT_EQ(p.redrawCount(), 2);
}

TEST(PMProgressIndicator, PhrasesOfTheRemainingTime) {
    EXPECT_EQ(PMProgressIndicator::remainingTimePhrase(50),
              QStringLiteral("Less than a minute remaining"));
    EXPECT_EQ(PMProgressIndicator::remainingTimePhrase(700),
              QStringLiteral("About 12 minutes remaining"));
    EXPECT_EQ(PMProgressIndicator::remainingTimePhrase(600),
              QStringLiteral("About ten minutes remaining"));
    EXPECT_EQ(PMProgressIndicator::remainingTimePhrase(51),
              QStringLiteral("About one minute remaining"));
    EXPECT_EQ(PMProgressIndicator::remainingTimePhrase(76),
              QStringLiteral("About two minutes remaining"));
    EXPECT_EQ(PMProgressIndicator::remainingTimePhrase(6),
              QStringLiteral("About ten seconds remaining"));
    EXPECT_EQ(PMProgressIndicator::remainingTimePhrase(5),
              QStringLiteral("About five seconds remaining"));
    EXPECT_EQ(PMProgressIndicator::remainingTimePhrase(-3), std::nullopt);
    EXPECT_EQ(PMProgressIndicator::remainingTimePhrase(std::numeric_limits<double>::infinity()),
              std::nullopt);
}

TEST(PMProgressIndicator, ProgressLineFromTheSlidingWindow) {
    QLabel text;
    PMProgressIndicator p;
    p.setDrawDockProgress(false);
    p.setProgressText(&text);
    p.setDisplayPercentage(true);
    double clock = 100;
    p.setClock([&clock] { return clock; });
    p.setDoubleValue(40);
    EXPECT_EQ(text.text(), QStringLiteral("40 % completed"))
        << "within the first 0.5 s only the percentage";
    clock = 110;
    p.setDoubleValue(50);
    EXPECT_EQ(text.text(), QStringLiteral("50 % completed - Less than a minute remaining"));
    p.setDisplayPercentage(false);
    clock = 110.2;
    p.setDoubleValue(51);
    EXPECT_TRUE(text.text().endsWith(QLatin1String("remaining")));
    EXPECT_FALSE(text.text().contains(u'%'));
    p.setIndeterminate(true);
    p.setDoubleValue(60);
    EXPECT_TRUE(text.text().isEmpty());
}

TEST(PMProgressIndicator, LeavesTheIconAtTheEnds) {
    auto* controller = PMProgressIndicatorController::sharedInstance();
    const int before = controller->numProgressIndicators();
    PMProgressIndicator fraction;
    fraction.setRange(0, 1);
    fraction.setDoubleValue(0.5); // whole number 0 equals lastValue 0: nothing happens
    EXPECT_EQ(controller->numProgressIndicators(), before);
    PMProgressIndicator percent;
    percent.setDoubleValue(50);
    EXPECT_EQ(controller->numProgressIndicators(), before + 1);
    percent.setDoubleValue(100); // f = 1 is not above 100 - 0.00001: still shown
    EXPECT_EQ(controller->numProgressIndicators(), before + 1);
    const QImage icon = controller->drawProgressIndicators();
    EXPECT_EQ(icon.size(), QSize(128, 128));
    percent.setDoubleValue(0);
    EXPECT_EQ(controller->numProgressIndicators(), before);
    percent.setDoubleValue(30);
    percent.setDrawDockProgress(false);
    EXPECT_EQ(controller->numProgressIndicators(), before);
}

TEST(TKImageButton, StateImagesByName) {
    TKImageButton b;
    b.setImageName(QStringLiteral("icon_pause_n"));
    EXPECT_EQ(b.rolloverImage().toImage(), TKImageNamed(QStringLiteral("icon_pause_f")).toImage());
    EXPECT_EQ(b.pressedImage().toImage(), TKImageNamed(QStringLiteral("icon_pause_p")).toImage());
    EXPECT_FALSE(b.rolloverImage().isNull());
    TKImageButton lonely;
    lonely.setImageName(QStringLiteral("bottom-background"));
    EXPECT_TRUE(lonely.rolloverImage().isNull()) << "no such hover image: empty";
}

TEST(TKImageButton, HoverCountNeverBelowZeroAndNotWhenDisabled) {
    TKImageButton b;
    b.setImageName(QStringLiteral("icon_play_n"));
    const QImage normal = TKImageNamed(QStringLiteral("icon_play_n")).toImage();
    b.mouseEntered();
    b.mouseExited();
    b.mouseExited();
    EXPECT_EQ(b.numberOfCaptures(), 0);
    EXPECT_EQ(b.displayedImage().toImage(), normal);
    b.mouseEntered();
    EXPECT_EQ(b.displayedImage().toImage(), b.rolloverImage().toImage());
    b.setEnabled(false);
    EXPECT_FALSE(b.shouldDisplayRollOver());
    EXPECT_EQ(b.displayedImage().toImage(), normal);
}

TEST(TKImageButton, PointerNearTheButtonCounts) {
    QWidget parent;
    parent.resize(200, 100);
    auto* b = new TKImageButton(&parent);
    b->setImageName(QStringLiteral("icon_play_n"));
    b->setGeometry(50, 30, 32, 32);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    QTest::mouseMove(&parent, QPoint(47, 40)); // 3 units left of the button
    EXPECT_EQ(b->numberOfCaptures(), 1);
    QTest::mouseMove(&parent, QPoint(44, 40)); // 6 units left
    EXPECT_EQ(b->numberOfCaptures(), 0);
}

TEST(TKVideoBackgroundImageView, FrameWithAndWithoutLogo) {
    TKVideoBackgroundImageView plain, withLogo;
    for (auto* v : {&plain, &withLogo}) {
        v->setBackgroundNineImageName(QStringLiteral("v1"));
        v->resize(160, 90);
    }
    const QPixmap logo = TKImageNamed(QStringLiteral("v1_front_logo"));
    withLogo.setLogoImage(logo);
    EXPECT_EQ(TKVideoBackgroundImageView::logoOrigin(QRect(0, 0, 160, 90), QSize(64, 64)),
              QPoint(48, 13));
    const QImage a = plain.grab().toImage(), b = withLogo.grab().toImage();
    EXPECT_NE(a, b);
    // Where the logo's ring lies, the plain frame shows only its black centre.
    bool logoDrawn = false;
    for (int x = 48; x < 112 && !logoDrawn; ++x)
        logoDrawn = b.pixelColor(x, 45) != a.pixelColor(x, 45);
    EXPECT_TRUE(logoDrawn);
    EXPECT_EQ(a.pixelColor(80, 45), QColor(Qt::black));
}

TEST(Backgrounds, ColourViewAndCustomBox) {
    TKColorBackgroundView v;
    v.resize(20, 20);
    v.setBackgroundColor(QColor(10, 200, 30));
    EXPECT_EQ(v.grab().toImage().pixelColor(10, 10), QColor(10, 200, 30));
    CustomBackgroundBox box;
    box.resize(20, 20);
    EXPECT_EQ(box.grab().toImage().pixelColor(10, 10).rgb(),
              CustomBackgroundBox::fillColor().rgb());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

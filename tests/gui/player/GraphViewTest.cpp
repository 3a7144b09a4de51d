// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/player/GraphView.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {
// A 340 x 130 view: a 300 x 114 plot from x 20, a quarter (28.5) per g, the zero line
// 65 points above the bottom.
constexpr int kWidth = 340, kHeight = 130;

QImage draw(GraphView& view, std::vector<RVXGSensor> values, double position = 0) {
    view.resize(kWidth, kHeight);
    view.setGraphData(std::move(values));
    view.updateTimePosition(position);
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    view.drawRect(painter, image.size());
    return image;
}

// Image row of a height above the view's bottom.
int rowOf(double y) {
    return kHeight - int(y) - 1;
}

bool isChannel(QRgb p, int channel) {
    const int c[3] = {qRed(p), qGreen(p), qBlue(p)};
    if (qAlpha(p) < 60 || c[channel] < 90)
        return false;
    for (int i = 0; i < 3; ++i) {
        if (i != channel && c[i] > c[channel] / 2)
            return false;
    }
    return true;
}

// Whether column x has a pixel of the curve channel within two rows of row.
bool curveNear(const QImage& image, int x, int row, int channel) {
    for (int r = row - 2; r <= row + 2; ++r) {
        if (isChannel(image.pixel(x, r), channel))
            return true;
    }
    return false;
}

int countCurvePixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 21; x < image.width(); ++x)
            for (int c = 0; c < 3; ++c)
                n += isChannel(image.pixel(x, y), c);
    return n;
}

bool isWhite(QRgb p) {
    return qAlpha(p) == 255 && qRed(p) == 255 && qGreen(p) == 255 && qBlue(p) == 255;
}
} // namespace

TEST(GraphView, GridAndLabelsWithoutSamplesButNoCurvesOrMarker) {
    GraphView view;
    const QImage image = draw(view, {}, 0.5);
    const QRgb grid = qRgb(204, 204, 204);
    for (int k = 0; k <= 4; ++k)
        EXPECT_EQ(image.pixel(170, rowOf(8 + k * 28.5)), grid) << "grid line " << k;
    EXPECT_EQ(image.pixel(20, rowOf(40)), grid) << "vertical axis";
    EXPECT_NE(image.pixel(170, rowOf(40)), grid);
    EXPECT_EQ(countCurvePixels(image), 0);
    for (int y = 10; y < 120; ++y)
        EXPECT_FALSE(isWhite(image.pixel(170, y))) << y;
    // The labels are white text left of the axis.
    int labelPixels = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < 19; ++x)
            labelPixels += qAlpha(image.pixel(x, y)) > 0;
    EXPECT_GT(labelPixels, 20);
}

TEST(GraphView, OneSampleIsAFlatLineAtItsValue) {
    GraphView view;
    // x on the top grid line (+2 g), y on the zero line, z on the bottom line (-2 g).
    const QImage image = draw(view, {RVXGSensor(2.0f, 0.0f, -2.0f)});
    for (int x : {30, 120, 250, 318}) {
        EXPECT_TRUE(curveNear(image, x, rowOf(8 + 114), 0)) << "x curve at " << x;
        EXPECT_TRUE(curveNear(image, x, rowOf(65), 1)) << "y curve at " << x;
        EXPECT_TRUE(curveNear(image, x, rowOf(8), 2)) << "z curve at " << x;
    }
    // Nothing beyond the plot's right end.
    EXPECT_FALSE(curveNear(image, 330, rowOf(65), 1));
}

TEST(GraphView, CurvesFollowTheSamplesAcrossThePlot) {
    GraphView view;
    std::vector<RVXGSensor> values(600, RVXGSensor(0, 0, 1));
    for (size_t i = 300; i < 600; ++i)
        values[i] = RVXGSensor(0, 0, -1);
    const QImage image = draw(view, values);
    EXPECT_TRUE(curveNear(image, 80, rowOf(65 + 28.5), 2));
    EXPECT_TRUE(curveNear(image, 260, rowOf(65 - 28.5), 2));
    EXPECT_FALSE(curveNear(image, 260, rowOf(65 + 28.5), 2));
}

TEST(GraphView, MarkerSitsOnTheAxisAtZeroAndAtTheEndAtOne) {
    GraphView view;
    QImage image = draw(view, {RVXGSensor(0, 0, 0)}, 0.0);
    EXPECT_TRUE(isWhite(image.pixel(20, rowOf(40))));
    EXPECT_TRUE(isWhite(image.pixel(21, rowOf(40))));
    EXPECT_FALSE(isWhite(image.pixel(23, rowOf(40))));
    image = draw(view, {RVXGSensor(0, 0, 0)}, 1.0);
    EXPECT_TRUE(isWhite(image.pixel(320, rowOf(40))));
    EXPECT_TRUE(isWhite(image.pixel(321, rowOf(40))));
    EXPECT_FALSE(isWhite(image.pixel(318, rowOf(40))));
}

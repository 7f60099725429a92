// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include <QLabel>
#include <QScrollBar>

#include <cmath>
#include <numeric>
#include <vector>

namespace {

TEST_F(Window, RinkHasCrosshairAndTracksTheMouseWithoutAButton) {
    EXPECT_EQ(rink()->cursor().shape(), Qt::CrossCursor);
    EXPECT_TRUE(rink()->hasMouseTracking());
}

TEST_F(Window, MouseMovesPutThePaddleAtThePointerInTwips) {
    const rink::Shape& paddle = form.game().controls.paddle1;
    QTest::mouseMove(rink(), QPoint(48, 266)); // (720, 3990) twips
    EXPECT_EQ(paddle.Left, 600);
    EXPECT_EQ(paddle.Top, 3870);
    QTest::mouseMove(rink(), QPoint(100, 20)); // far above the centre line
    EXPECT_EQ(paddle.Left, 1380);
    EXPECT_EQ(paddle.Top, 2880);

    form.resize(866, 830); // twice the scale, rink 200 pixels from the left
    QTest::mouseMove(rink(), QPoint(96, 532));
    EXPECT_EQ(paddle.Left, 600);
    EXPECT_EQ(paddle.Top, 3870);
    QTest::mouseMove(rink(), QPoint(30, 700));
    EXPECT_EQ(paddle.Left, 105);
    EXPECT_EQ(paddle.Top, 5130);
}

TEST_F(Window, MovesOffTheRinkLeaveThePaddle) {
    const rink::Shape& paddle = form.game().controls.paddle1;
    QTest::mouseMove(rink(), QPoint(48, 266));
    QTest::mouseMove(&form, QPoint(20, 405));                   // under the rink
    QTest::mouseMove(child<QScrollBar>("cpu"), QPoint(100, 8)); // on the slider
    QTest::mouseMove(child<QLabel>("Label1"), QPoint(10, 10));  // on its caption
    EXPECT_EQ(paddle.Left, 600);
    EXPECT_EQ(paddle.Top, 3870);
}

// The rows of column `x` of `image` that are full black.
std::vector<int> blackRows(const QImage& image, int x) {
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixelColor(x, y) == QColor(0, 0, 0)) {
            rows.push_back(y);
        }
    }
    return rows;
}

std::vector<int> span(int first, int count) {
    std::vector<int> rows(count);
    std::iota(rows.begin(), rows.end(), first);
    return rows;
}

TEST_F(Window, LinesAreWholeRowsOfBlackAtEveryIntegerScale) {
    for (int k : {1, 2, 3}) {
        form.resize(233 * k, 415 * k);
        const QImage rink = this->rink()->grab().toImage();
        // The centre line at 2880 twips, 1 pixel wide as laid out: k rows whose middle is as
        // near the line's as the grid allows. Column 10 lies left of every shape.
        const std::vector<int> centre = blackRows(rink, 10 * k);
        ASSERT_EQ(centre.size(), std::size_t(k)) << "at " << k << "x";
        ASSERT_EQ(centre, span(centre.front(), k)) << "at " << k << "x";
        EXPECT_LE(std::abs(centre.front() + k / 2.0 - 192 * k), 0.5) << "at " << k << "x";
        EXPECT_EQ(rink.pixelColor(10 * k, centre.front() - 1), QColor(236, 244, 248));
        EXPECT_EQ(rink.pixelColor(10 * k, centre.back() + 1), QColor(236, 244, 248));
        // The goal lines, 10 pixels wide: the top one half outside the rink.
        std::vector<int> lines = span(0, 5 * k);
        lines.insert(lines.end(), centre.begin(), centre.end());
        const std::vector<int> bottom = span(371 * k, 10 * k);
        lines.insert(lines.end(), bottom.begin(), bottom.end());
        EXPECT_EQ(blackRows(rink, 120 * k), lines) << "at " << k << "x";
    }
}

} // namespace

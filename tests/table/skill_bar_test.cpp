// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_fixture.h"

#include <QScrollBar>

namespace {

TEST_F(Window, SliderIsTheSkillAndWorksFromTheKeyboard) {
    QScrollBar* cpu = child<QScrollBar>("cpu");
    EXPECT_EQ(cpu->minimum(), 5);
    EXPECT_EQ(cpu->maximum(), 150);
    EXPECT_EQ(cpu->value(), 70);
    EXPECT_EQ(cpu->singleStep(), 20);
    EXPECT_EQ(cpu->pageStep(), 30);
    EXPECT_EQ(cpu->accessibleName(), "CPU skill");
    EXPECT_TRUE(cpu->focusPolicy() & Qt::TabFocus);
    QTest::keyClick(cpu, Qt::Key_Right);
    EXPECT_EQ(cpu->value(), 90);
    EXPECT_EQ(form.game().controls.cpu.Value, 90);
    QTest::keyClick(cpu, Qt::Key_PageUp);
    EXPECT_EQ(form.game().controls.cpu.Value, 120);
    QTest::keyClick(cpu, Qt::Key_End);
    EXPECT_EQ(form.game().controls.cpu.Value, 150);
    QTest::keyClick(cpu, Qt::Key_Left);
    EXPECT_EQ(form.game().controls.cpu.Value, 130);
}

// The bounding box of the dark pixels (the arrow) in the slider's left arrow button.
QRect leftArrow(QScrollBar* cpu) {
    const QImage image = cpu->grab().toImage();
    QRect arrow;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.height(); ++x) {
            if (qGray(image.pixel(x, y)) < 110) {
                arrow |= QRect(x, y, 1, 1);
            }
        }
    }
    return arrow;
}

TEST_F(Window, TheWholeSliderScalesWithTheWindowArrowsIncluded) {
    QScrollBar* cpu = child<QScrollBar>("cpu");
    const QRect small = leftArrow(cpu);
    ASSERT_FALSE(small.isEmpty());
    for (int k : {2, 3}) {
        form.resize(233 * k, 415 * k);
        const QRect large = leftArrow(cpu);
        EXPECT_NEAR(large.width(), k * small.width(), k) << "at " << k << "x";
        EXPECT_NEAR(large.height(), k * small.height(), k) << "at " << k << "x";
        EXPECT_NEAR(large.left(), k * small.left(), k) << "at " << k << "x";
    }
    // The mouse meets the arrows where they are drawn: at the inner tip of the right one.
    const QRect large = leftArrow(cpu);
    cpu->setValue(70);
    QTest::mouseClick(cpu, Qt::LeftButton, {},
                      QPoint(cpu->width() - 1 - large.right(), cpu->height() / 2));
    EXPECT_EQ(cpu->value(), 90); // one small step, not a page
}

} // namespace

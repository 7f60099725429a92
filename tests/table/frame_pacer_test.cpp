// SPDX-License-Identifier: GPL-3.0-or-later
#include "frame_pacer.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// Without a frame clock (here the offscreen platform, as on X11) a change is drawn at once, and
// only while the window is exposed.
TEST(FramePacer, WithoutAFrameClockDrawsEachChangeAtOnceWhileExposed) {
    QWidget window;
    int drawn = 0;
    FramePacer pacer(&window, [&drawn] {
        ++drawn;
        return FramePacer::Drawn{true, true};
    });
    EXPECT_FALSE(pacer.paced());

    pacer.changed(); // not shown yet
    EXPECT_EQ(drawn, 0);

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    pacer.changed();
    pacer.changed();
    EXPECT_EQ(drawn, 2);
    EXPECT_EQ(pacer.frames(), 2);

    window.hide();
    ASSERT_TRUE(QTest::qWaitFor([&window] { return !window.windowHandle()->isExposed(); }));
    pacer.changed();
    QTest::qWait(20);
    EXPECT_EQ(drawn, 2) << "drawn while hidden";
    EXPECT_EQ(pacer.frames(), 2);
}

} // namespace

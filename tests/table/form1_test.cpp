// SPDX-License-Identifier: GPL-3.0-or-later
#include "click_sound.h"
#include "form1.h"
#include "rink_view.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct Window : ::testing::Test {
    void SetUp() override {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    template <typename T> T* child(const char* name) {
        T* widget = form.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    RinkView* rink() { return child<RinkView>("Picture1"); }
    QPoint inForm(QWidget* w) { return w->mapTo(&form, QPoint(0, 0)); }

    Form1 form;
};

TEST_F(Window, LaidOutAtFifteenTwipsAPixel) {
    EXPECT_EQ(form.windowTitle(), "Velmaro");
    EXPECT_EQ(form.size(), QSize(233, 415));
    EXPECT_EQ(form.minimumSize(), QSize(233, 415));
    EXPECT_EQ(rink()->geometry(), QRect(0, 0, 233, 385));
    EXPECT_EQ(child<QScrollBar>("cpu")->geometry(), QRect(48, 392, 185, 17));
    EXPECT_EQ(child<QLabel>("Label1")->geometry(), QRect(0, 392, 49, 25));
    // The score labels keep their laid-out corners; they may grow to fit their captions.
    const QRect red = child<QLabel>("Scorered")->geometry();
    const QRect blue = child<QLabel>("Scoreblue")->geometry();
    EXPECT_EQ(red.topLeft(), QPoint(192, 200));
    EXPECT_EQ(blue.topLeft(), QPoint(192, 160));
    EXPECT_GE(red.width(), 25);
    EXPECT_GE(red.height(), 25);
    EXPECT_EQ(blue.size(), red.size());
    const QFont score = child<QLabel>("Scorered")->font();
    EXPECT_TRUE(score.bold());
    EXPECT_EQ(score.pixelSize(), 24); // 18 point
    EXPECT_EQ(child<QLabel>("Label1")->text(), "CPU skill");
    EXPECT_EQ(child<QLabel>("Scoreblue")->text(), "0");
}

TEST_F(Window, ScalesUniformlyAndCentresInSpareSpace) {
    form.resize(466, 830);
    EXPECT_EQ(rink()->geometry(), QRect(0, 0, 466, 770));
    EXPECT_EQ(child<QScrollBar>("cpu")->geometry(), QRect(96, 784, 370, 34));
    EXPECT_EQ(child<QLabel>("Scorered")->pos(), QPoint(384, 400));
    EXPECT_GE(child<QLabel>("Scorered")->width(), 50);
    EXPECT_EQ(child<QLabel>("Scorered")->font().pixelSize(), 48);

    form.resize(866, 830); // 400 pixels of spare width, 200 on each side
    EXPECT_EQ(rink()->geometry(), QRect(200, 0, 466, 770));
    EXPECT_EQ(inForm(child<QScrollBar>("cpu")), QPoint(296, 784));

    form.resize(466, 1030); // spare height, split above and below
    EXPECT_EQ(rink()->geometry(), QRect(0, 100, 466, 770));
}

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

TEST_F(Window, TabGoesFromTheRinkToTheSlider) {
    QWidget* next = rink()->nextInFocusChain();
    while (next != &form && !(next->focusPolicy() & Qt::TabFocus)) {
        next = next->nextInFocusChain();
    }
    EXPECT_EQ(next, child<QScrollBar>("cpu"));
}

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

TEST_F(Window, TimerTicksAboutSixtyFourTimesASecondWithoutCatchingUp) {
    const QTimer& timer = form.timer();
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.timerType(), Qt::PreciseTimer);
    EXPECT_GE(timer.interval(), 15);
    EXPECT_LE(timer.interval(), 16);
    EXPECT_FALSE(timer.isSingleShot());
    QTest::qWait(100);
    EXPECT_GT(form.ticks(), 0);
    // The puck of the start falls straight down from (600, 3360).
    EXPECT_GT(form.game().controls.puck.Top, 3360);
    EXPECT_EQ(form.game().controls.puck.Left, 600);
}

// Puts a goal at the bottom two ticks away and answers the box through `answer`.
void goalAtTheBottom(Form1& form) {
    rink::GameState& s = form.game().state;
    s.puckX = 1600;
    s.puckY = 5470;
    s.vx = 0;
    s.vy = 100;
}

QMessageBox* openBox() {
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

TEST_F(Window, GoalIsAnnouncedInARealModalBoxAndNoTickRunsWhileItIsOpen) {
    int beeps = 0;
    form.beeper = [&beeps] { ++beeps; };
    goalAtTheBottom(form);
    bool seen = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QMessageBox* box = openBox();
        if (!box || seen) {
            return;
        }
        seen = true;
        EXPECT_EQ(box->windowTitle(), "Blue goal");
        EXPECT_EQ(box->text(), "1 to 0");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->standardButton(box->buttons().first()), QMessageBox::Ok);
        EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
        EXPECT_EQ(form.findChild<QLabel*>("Scoreblue")->text(), "1");
        const long long ticks = form.ticks();
        const float top = form.game().controls.paddle2.Top;
        QTimer::singleShot(200, box, [&, box, ticks, top] {
            EXPECT_EQ(form.ticks(), ticks) << "a tick ran while the box was open";
            EXPECT_EQ(form.game().controls.paddle2.Top, top);
            EXPECT_TRUE(form.game().state.goalPending);
            QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
        });
    });
    poll.start();
    const long long before = form.ticks();
    QTRY_VERIFY_WITH_TIMEOUT(seen && !openBox(), 5000);
    poll.stop();
    EXPECT_FALSE(form.game().state.goalPending);
    EXPECT_EQ(form.game().state.puckY, 2880);
    EXPECT_EQ(form.game().state.vx, 100);
    EXPECT_EQ(form.findChild<QLabel*>("Scoreblue")->text(), "1");
    EXPECT_EQ(form.findChild<QLabel*>("Scorered")->text(), "0");
    EXPECT_TRUE(form.timer().isActive());
    const long long after = form.ticks();
    QTRY_VERIFY(form.ticks() > after + 2); // play resumes
    EXPECT_GT(after, before);
    EXPECT_EQ(beeps, 0) << "a goal makes no sound";
}

TEST_F(Window, ClosingTheWindowWhileTheBoxIsOpenEndsCleanly) {
    goalAtTheBottom(form);
    bool closed = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (openBox() && !closed) {
            closed = true;
            form.close(); // as the window manager would, from inside the box's own loop
        }
    });
    poll.start();
    QTRY_VERIFY_WITH_TIMEOUT(closed && !openBox(), 5000);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.timer().isActive());
    const long long ticks = form.ticks();
    QTest::qWait(50);
    EXPECT_EQ(form.ticks(), ticks);
}

TEST_F(Window, WallFoldsBeepThroughTheWindow) {
    int beeps = 0;
    form.beeper = [&beeps] { ++beeps; };
    rink::GameState& s = form.game().state;
    s.puckX = -5;
    s.puckY = 2000;
    s.vx = -10;
    s.vy = 0;
    QTRY_VERIFY(beeps >= 1);
    EXPECT_GE(form.game().state.vx, 0);
}

TEST(Sound, WithoutAnAudioOutputTheClickFallsBackToTheBell) {
    ClickSound click;
    EXPECT_FALSE(click.audible());
    click.play(); // rings the bell instead; must neither block nor throw
}

TEST_F(Window, PlaysOnWithoutAnAudioOutput) {
    // The default beeper goes to the click; with no sound card the game still ticks and folds.
    rink::GameState& s = form.game().state;
    s.puckX = -5;
    s.vx = -10;
    const long long ticks = form.ticks();
    QTRY_VERIFY(form.ticks() > ticks + 5);
    EXPECT_GE(form.game().state.vx, 0);
}

} // namespace

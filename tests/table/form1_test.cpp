// SPDX-License-Identifier: GPL-3.0-or-later
#include "../lib/goal_setup.h"
#include "window_fixture.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <cmath>
#include <string>
#include <tuple>

namespace {

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

TEST_F(Window, TabGoesFromTheRinkToTheSlider) {
    QWidget* next = rink()->nextInFocusChain();
    while (next != &form && !(next->focusPolicy() & Qt::TabFocus)) {
        next = next->nextInFocusChain();
    }
    EXPECT_EQ(next, child<QScrollBar>("cpu"));
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
    QTRY_VERIFY(form.game().state.vx > 0);
    EXPECT_EQ(beeps, 1);
    // Nothing else in its way for a while: one fold, one beep.
    const long long ticks = form.ticks();
    QTRY_VERIFY(form.ticks() > ticks + 10);
    EXPECT_EQ(beeps, 1);
}

// Scores a goal at the top with the scores at `red` - 1 and `blue`, and answers the box.
void redScores(Form1& form, int red, int blue) {
    form.game().controls.Scorered.Caption = std::to_string(red - 1);
    form.game().controls.Scoreblue.Caption = std::to_string(blue);
    rink::GameState& s = form.game().state;
    s.puckX = 1600;
    s.puckY = 10;
    s.vx = 0;
    s.vy = -100;
    QTimer poll;
    bool answered = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QMessageBox* box = openBox(); box && !answered) {
            answered = true;
            QTest::mouseClick(box->buttons().first(), Qt::LeftButton);
        }
    });
    poll.start(5);
    QTRY_VERIFY_WITH_TIMEOUT(answered && !openBox(), 5000);
}

TEST_F(Window, ScoresReadInFullAtEverySizeWithoutPassingTheRink) {
    for (const auto& [red, blue] : {std::pair{10, 100}, {99999, 99999}, {100, 7}}) {
        redScores(form, red, blue);
        for (const QSize size : {QSize(233, 415), QSize(350, 623), QSize(466, 830), QSize(560, 996),
                                 QSize(900, 415)}) {
            form.resize(size);
            const QRect rink = this->rink()->rect();
            for (const auto& [name, score, laidOutTop] :
                 {std::tuple{"Scorered", red, 3000}, {"Scoreblue", blue, 2400}}) {
                const QLabel* label = child<QLabel>(name);
                const QString text = QString::number(score);
                ASSERT_EQ(label->text(), text);
                const double scale = rink.width() / 3495.0;
                const QRect at = label->geometry();
                const QFontMetrics metrics(label->font());
                const QString where = QStringLiteral("%1 \"%2\" in %3x%4")
                                          .arg(name, text)
                                          .arg(size.width())
                                          .arg(size.height());
                // The whole caption fits: its advance and the ink of its last digit.
                EXPECT_GE(at.width(), metrics.horizontalAdvance(text)) << where.toStdString();
                EXPECT_GE(at.width(), metrics.boundingRect(text).right() + 1)
                    << where.toStdString();
                EXPECT_GE(at.height(), metrics.height()) << where.toStdString();
                EXPECT_TRUE(rink.contains(at)) << where.toStdString();
                EXPECT_NEAR(at.top(), laidOutTop * scale, 1) << where.toStdString();
                // The laid-out left edge, unless the rink's right edge makes room to the left.
                if (std::lround(2880 * scale) + at.width() <= rink.width()) {
                    EXPECT_NEAR(at.left(), 2880 * scale, 1) << where.toStdString();
                } else {
                    EXPECT_EQ(at.right(), rink.right()) << where.toStdString();
                }
            }
        }
        form.resize(233, 415);
    }
}

int differingPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y) {
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            count += a.pixel(x, y) != b.pixel(x, y);
        }
    }
    return count;
}

TEST_F(Window, FocusStartsOnTheRinkAndTheFocusedControlShowsIt) {
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QScrollBar* cpu = child<QScrollBar>("cpu");
    EXPECT_EQ(QApplication::focusWidget(), rink());
    const QColor highlight = rink()->palette().color(QPalette::Highlight);
    EXPECT_EQ(rink()->grab().toImage().pixelColor(0, 100), highlight);
    const QImage unfocused = cpu->grab().toImage();

    QTest::keyClick(&form, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), cpu);
    const QImage focused = cpu->grab().toImage();
    EXPECT_GE(differingPixels(unfocused, focused), 2 * (cpu->width() + cpu->height()));
    EXPECT_EQ(focused.pixelColor(0, cpu->height() / 2), highlight);
    EXPECT_NE(rink()->grab().toImage().pixelColor(0, 100), highlight);
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

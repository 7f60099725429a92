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

#include <cmath>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

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

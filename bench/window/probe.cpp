// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the real game window and measures it from inside, on whatever display it is given.
//   velmaro-bench-probe startup          prints the wall-clock time (ns since the epoch) at
//                                         which the rink was first painted, then quits
//   velmaro-bench-probe pacing SECONDS   plays for SECONDS and prints the tick intervals:
//                                         "ticks N nominal_ms X mean_ms M p99_dev_ms D"
//   velmaro-bench-probe idle             an empty window of the same title and size with the
//                                         same timer and nothing else: the floor under the
//                                         game's CPU figures on this machine
//   velmaro-bench-probe pointer MOVES    moves the pointer over the rink MOVES times, 20 a
//                                         second, between two places in the player's half, and
//                                         prints "pointer_median_ms M pointer_p90_ms P": from the
//                                         mouse move reaching the rink to the rink's paint that
//                                         shows the red paddle there
//   velmaro-bench-probe disc             a window of the same size that moves one disc of the
//                                         puck's size every tick, repainting its old and new
//                                         places through QWidget::update: what a naive Qt
//                                         program costs on this display

#include "form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Quits at the first paint event of the rink, printing when it came.
class FirstPaint : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            const auto now = std::chrono::system_clock::now().time_since_epoch();
            std::printf("%lld\n",
                        static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()));
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

  private:
    bool seen_ = false;
};

int startup(Form1& form) {
    FirstPaint probe;
    form.findChild<QWidget*>("Picture1")->installEventFilter(&probe);
    form.show();
    return QApplication::exec();
}

int pacing(Form1& form, double seconds) {
    std::vector<qint64> stamps;
    stamps.reserve(std::size_t(seconds * 200));
    QElapsedTimer clock;
    clock.start();
    // Connected after the window's own tick, so each stamp follows a whole tick.
    QObject::connect(&form.timer(), &QTimer::timeout,
                     [&] { stamps.push_back(clock.nsecsElapsed()); });
    form.beeper = [] {};
    form.show();
    QTimer::singleShot(int(seconds * 1000), qApp, &QCoreApplication::quit);
    QApplication::exec();
    if (stamps.size() < 3) {
        std::fprintf(stderr, "velmaro-bench-probe: too few ticks (%zu)\n", stamps.size());
        return 1;
    }
    // The first interval includes showing the window; measure steady play.
    std::vector<double> intervals;
    for (std::size_t i = 2; i < stamps.size(); ++i) {
        intervals.push_back(double(stamps[i] - stamps[i - 1]) / 1e6);
    }
    const double nominal = form.timer().interval();
    double sum = 0;
    for (double v : intervals) {
        sum += v;
    }
    const double mean = sum / double(intervals.size());
    std::vector<double> deviations;
    for (double v : intervals) {
        deviations.push_back(std::fabs(v - nominal));
    }
    std::sort(deviations.begin(), deviations.end());
    const double p99 = deviations[std::min(
        deviations.size() - 1, std::size_t(std::ceil(0.99 * double(deviations.size()))) - 1)];
    std::printf("ticks %zu nominal_ms %.3f mean_ms %.3f p99_dev_ms %.3f\n", intervals.size(),
                nominal, mean, p99);
    return 0;
}

int idle() {
    QWidget window;
    window.setWindowTitle(QStringLiteral("Velmaro"));
    window.resize(Form1().minimumSize());
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(Form1().timer().interval());
    long long ticks = 0;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();
    window.show();
    return QApplication::exec();
}

// Times each synthetic mouse move over the rink to the rink's paint that shows the paddle there.
class PointerToPaint : public QObject {
  public:
    PointerToPaint(Form1& form, int moves) : form_(form), moves_(moves) {
        rink_ = form.findChild<QWidget*>("Picture1");
        rink_->installEventFilter(this);
        connect(&mover_, &QTimer::timeout, this, [this] { move(); });
    }
    void start() { mover_.start(50); }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && waiting_ &&
            form_.game().controls.paddle1.Left != before_) {
            waiting_ = false;
            latencies_.push_back(double(clock_.nsecsElapsed() - sent_) / 1e6);
        }
        return false;
    }

  private:
    void move() {
        if (int(latencies_.size()) >= moves_) {
            mover_.stop();
            std::sort(latencies_.begin(), latencies_.end());
            std::printf("pointer_median_ms %.2f pointer_p90_ms %.2f\n",
                        latencies_[latencies_.size() / 2], latencies_[latencies_.size() * 9 / 10]);
            QCoreApplication::quit();
            return;
        }
        // Alternately at a third and at two thirds of the rink's width, low in the player's half.
        const bool left = sentCount_++ % 2 == 0;
        const QPointF at(rink_->width() * (left ? 1.0 / 3 : 2.0 / 3), rink_->height() * 0.85);
        before_ = form_.game().controls.paddle1.Left;
        QMouseEvent event(QEvent::MouseMove, at, rink_->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        waiting_ = true;
        sent_ = clock_.nsecsElapsed();
        QApplication::sendEvent(rink_, &event);
    }

    Form1& form_;
    QWidget* rink_;
    int moves_;
    int sentCount_ = 0;
    QTimer mover_;
    QElapsedTimer clock_ = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    qint64 sent_ = 0;
    float before_ = 0; // the paddle before the move
    bool waiting_ = false;
    std::vector<double> latencies_;
};

int pointer(Form1& form, int moves) {
    form.beeper = [] {};
    PointerToPaint probe(form, moves);
    form.show();
    QTimer::singleShot(1000, &probe, [&probe] { probe.start(); });
    return QApplication::exec();
}

// One disc of the puck's size crossing the window and rebounding from its edges.
class MovingDisc : public QWidget {
  public:
    MovingDisc() {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setWindowTitle(QStringLiteral("Velmaro"));
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, [this] { step(); });
        timer_.start(Form1().timer().interval());
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), QColor(236, 244, 248));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawEllipse(disc());
    }

  private:
    static constexpr double side = 17; // 255 twips
    QRectF disc() const { return QRectF(x_, y_, side, side); }
    QRect place() const { return disc().toAlignedRect().adjusted(-1, -1, 1, 1); }
    void step() {
        update(place());
        x_ += dx_;
        y_ += dy_;
        if (x_ < 0 || x_ + side > width()) {
            dx_ = -dx_;
        }
        if (y_ < 0 || y_ + side > height()) {
            dy_ = -dy_;
        }
        update(place());
    }

    QTimer timer_;
    double x_ = 40, y_ = 224, dx_ = 5, dy_ = 12;
};

int disc() {
    MovingDisc window;
    window.resize(Form1().minimumSize());
    window.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], "idle") == 0) {
        return idle();
    }
    if (argc == 2 && std::strcmp(argv[1], "disc") == 0) {
        return disc();
    }
    Form1 form;
    if (argc == 2 && std::strcmp(argv[1], "startup") == 0) {
        return startup(form);
    }
    if (argc == 3 && std::strcmp(argv[1], "pointer") == 0 && std::atoi(argv[2]) > 0) {
        return pointer(form, std::atoi(argv[2]));
    }
    if (argc == 3 && std::strcmp(argv[1], "pacing") == 0) {
        const double seconds = std::atof(argv[2]);
        if (seconds > 0) {
            return pacing(form, seconds);
        }
    }
    std::fprintf(
        stderr,
        "usage: velmaro-bench-probe startup | pacing SECONDS | pointer MOVES | idle | disc\n");
    return 2;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"

#include "click_sound.h"
#include "frame_pacer.h"
#include "rink_view.h"
#include "skill_bar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>

#include <algorithm>
#include <cmath>

// Off unless asked for (QT_LOGGING_RULES="velmaro.frames.debug=true"): one line a drawn frame,
// "frame MICROSECONDS LEFT TOP RUN AT": the monotonic clock, the puck's corner as drawn, the
// straight run of the puck it was drawn on (TickBlend::runAt; 0 where frames are not blended)
// and the time on the ticks' cadence that it shows; and one line a tick, "tick MICROSECONDS
// DATED", when it ended on the same clock and its time on their cadence. A tick or frame the
// event loop got to late moves the motion drawn round it, which the frames alone do not show.
Q_LOGGING_CATEGORY(lcFrames, "velmaro.frames", QtWarningMsg)

namespace {

// Where the controls stand, in twips of the client area (and of the rink for those inside it).
const QRectF picture1Rect(0, 0, 3495, 5775);
const QRectF cpuRect(720, 5880, 2775, 255);
const QRectF label1Rect(0, 5880, 735, 375);
const QRectF scoreredRect(2880, 3000, 375, 375);
const QRectF scoreblueRect(2880, 2400, 375, 375);

// Font heights in twips: 18 point for the scores, 8 point for the caption (20 twips a point).
constexpr double scoreFontTwips = 18 * 20;
constexpr double captionFontTwips = 8 * 20;

// Ticks of about 1/64 s, as often as a desktop window timer fires.
constexpr int tickMilliseconds = 15;

QLabel* scoreLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(QStringLiteral("0"), parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// Makes `box` wide enough for its whole title in the title bar, whether a window manager draws
// it (X11) or Qt itself (the client-side decoration on Wayland). The title bar's font and layout
// are not known here: this allows a bold face half again as large as the box's own, centred in
// the bar as most decorations centre it, with room on either side for an icon or three buttons,
// five lines' height in all.
void widenForTitle(QMessageBox& box) {
    QFont bold = box.font();
    bold.setBold(true);
    const QFontMetrics title(bold);
    const int width = int(std::ceil(1.5 * title.horizontalAdvance(box.windowTitle()))) +
                      2 * 5 * box.fontMetrics().height();
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

void scaleFont(QWidget* widget, double twips, bool bold, const TwipsScale& scale) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setBold(bold);
    font.setPixelSize(scale.pixels(twips));
    widget->setFont(font);
}

} // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent), blend_(std::int64_t(tickMilliseconds) * 1000 * 1000),
      tickTimes_(std::int64_t(tickMilliseconds) * 1000 * 1000) {
    setObjectName("Form1");
    setWindowTitle(QStringLiteral("Velmaro"));

    auto* click = new ClickSound(&QApplication::beep, this);
    beeper = [click] { click->play(); };

    Picture1 = new RinkView(game_.controls, this);
    Picture1->onMouseMove = [this](QPointF twips) { Picture1_MouseMove(twips); };
    pacer_ = new FramePacer(
        this, [this] { return draw(); }, this);

    const rink::Slider& skill = game_.controls.cpu;
    cpu = new SkillBar(this);
    cpu->setObjectName("cpu");
    cpu->setRange(skill.Min, skill.Max);
    cpu->setValue(skill.Value);
    cpu->setSingleStep(skill.SmallChange);
    cpu->setPageStep(skill.LargeChange);
    cpu->setFocusPolicy(Qt::StrongFocus);
    cpu->setInvertedControls(false); // Right and Page Up raise the skill
    connect(cpu, &QScrollBar::valueChanged, this,
            [this](int value) { game_.controls.cpu.Value = value; });

    Label1 = new QLabel(QStringLiteral("CPU skill"), this);
    Label1->setObjectName("Label1");
    Label1->setBuddy(cpu);
    cpu->setAccessibleName(Label1->text());

    Scoreblue = scoreLabel("Scoreblue", Picture1);
    Scorered = scoreLabel("Scorered", Picture1);
    QPalette red = Scorered->palette();
    red.setColor(QPalette::WindowText, QColor(128, 0, 0));
    Scorered->setPalette(red);
    QPalette blue = Scoreblue->palette();
    blue.setColor(QPalette::WindowText, blue.color(QPalette::Highlight));
    Scoreblue->setPalette(blue);

    setTabOrder(Picture1, cpu);
    Picture1->setFocus(); // the first in the tab order has the keyboard when the window opens

    // The load handler: the crosshair over the rink; the game state was loaded with the game.
    Picture1->setCursor(Qt::CrossCursor);

    const QSize smallest = TwipsScale().toPixels(QRectF(QPointF(), layoutTwips)).size();
    setMinimumSize(smallest);
    resize(smallest);
    layoutControls();

    clock_.start();
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(tickMilliseconds);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    Timer1.start();
}

Form1::~Form1() = default;

void Form1::Timer1_Timer() {
    // The goal box runs its own event loop inside a tick; no tick may start before it closes.
    if (inTick_) {
        return;
    }
    inTick_ = true;
    game_.tick(*this);
    ++ticks_;
    inTick_ = false;
    const rink::Controls& c = game_.controls;
    const std::int64_t now = clock_.nsecsElapsed();
    const std::int64_t dated = tickTimes_.at(now);
    qCDebug(lcFrames).noquote() << "tick" << now / 1000 << dated / 1000;
    blend_.tick(dated, {QPointF(c.puck.Left, c.puck.Top), QPointF(c.paddle2.Left, c.paddle2.Top)});
    pacer_->changed();
}

FramePacer::Drawn Form1::draw() {
    const std::int64_t now = clock_.nsecsElapsed();
    const auto logged = [&](bool painted, QPointF puck, long long run, std::int64_t drawnAt) {
        if (painted && lcFrames().isDebugEnabled()) {
            qCDebug(lcFrames).noquote()
                << "frame" << now / 1000 << QString::number(float(puck.x()), 'g', 9)
                << QString::number(float(puck.y()), 'g', 9) << run << drawnAt / 1000;
        }
        return painted;
    };
    if (!pacer_->paced()) {
        // No frame clock: each tick is drawn as it comes.
        const rink::Shape& puck = game_.controls.puck;
        return {logged(Picture1->refresh(), QPointF(puck.Left, puck.Top), 0, now), true};
    }
    // At the frame's time on the compositor's cadence, a little over a tick behind, so that frames
    // show even steps at any refresh rate; the player's paddle stays where the pointer put it, to
    // add no lag to it. A frame after one that painted nothing (and so sent the compositor
    // nothing to answer) is handed over at once, off the compositor's beat: it is dated when it
    // is drawn and kept out of the cadence, which it would pull ahead of the clock.
    const std::int64_t shown = offBeat_ ? now : frameTimes_.at(now);
    const TickBlend::Places at = blend_.at(shown);
    const bool painted = logged(Picture1->refreshAt(at[0], at[1]), at[0], blend_.runAt(shown),
                                shown - blend_.behind());
    offBeat_ = !painted;
    return {painted, blend_.settled(shown)};
}

void Form1::Picture1_MouseMove(QPointF twips) {
    game_.mouseMove(float(twips.x()), float(twips.y()));
    pacer_->changed();
}

void Form1::showScores() {
    const auto show = [](QLabel* label, const std::string& caption) {
        const QString text = QString::fromStdString(caption);
        if (label->text() != text) {
            label->setText(text);
        }
    };
    show(Scorered, game_.controls.Scorered.Caption);
    show(Scoreblue, game_.controls.Scoreblue.Caption);
    placeScores();
}

void Form1::placeScores() {
    // Each label keeps its laid-out top-left corner and grows to fit its caption; where it would
    // pass the rink's right edge it grows to the left instead, so every score reads in full.
    const TwipsScale inRink(scale_.pixelsPerTwip());
    for (const auto& [label, twips] :
         {std::pair{Scorered, scoreredRect}, {Scoreblue, scoreblueRect}}) {
        QRect box = inRink.toPixels(twips);
        const QFontMetrics metrics(label->font());
        const QSize text = label->sizeHint();
        const int ink = metrics.boundingRect(label->text()).right() + 1;
        box.setWidth(std::max({box.width(), text.width(), ink}));
        box.setHeight(std::max(box.height(), text.height()));
        const int room = Picture1->width() - box.left();
        if (box.width() > room) {
            box.moveLeft(std::max(0, Picture1->width() - box.width()));
        }
        label->setGeometry(box);
    }
}

void Form1::beep() {
    if (beeper) {
        beeper();
    }
}

void Form1::messageBox(const std::string& prompt, const std::string& title) {
    Timer1.stop();
    blend_.jump(); // the serve puts the puck on the centre line at once
    showScores();
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title),
                    QString::fromStdString(prompt), QMessageBox::Ok, this);
    box.setWindowModality(Qt::ApplicationModal);
    widenForTitle(box);
    box_ = &box;
    if (QApplication::applicationState() == Qt::ApplicationActive) {
        box.exec();
    } else {
        // Working in another program's window, the player keeps the keyboard: the box comes up
        // without taking it and the game's window asks for attention. Qt would activate a modal
        // window, so the game's controls wait for the box, disabled as under a modal one, and
        // the box takes the focus once the player comes back.
        box.setWindowModality(Qt::NonModal);
        box.setAttribute(Qt::WA_ShowWithoutActivating);
        const auto comeBack = connect(qApp, &QGuiApplication::applicationStateChanged, &box,
                                      [&box](Qt::ApplicationState state) {
                                          if (state == Qt::ApplicationActive) {
                                              box.raise();
                                              box.activateWindow();
                                          }
                                      });
        QWidget* const focused = focusWidget();
        Picture1->setEnabled(false);
        cpu->setEnabled(false);
        QEventLoop answered;
        connect(&box, &QDialog::finished, &answered, &QEventLoop::quit);
        box.show();
        QApplication::alert(this);
        answered.exec();
        disconnect(comeBack);
        Picture1->setEnabled(true);
        cpu->setEnabled(true);
        if (focused) {
            focused->setFocus();
        }
    }
    box_ = nullptr;
    if (!closing_) {
        Timer1.start();
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    closing_ = true;
    Timer1.stop();
    if (box_) {
        box_->reject();
    }
    event->accept();
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void Form1::layoutControls() {
    scale_ = TwipsScale::fit(layoutTwips, size());
    Picture1->setGeometry(scale_.toPixels(picture1Rect));
    const TwipsScale inRink(scale_.pixelsPerTwip());
    Picture1->setScale(inRink);
    cpu->setGeometry(scale_.toPixels(cpuRect));
    cpu->setScale(scale_.pixelsPerTwip() / TwipsScale().pixelsPerTwip());
    Label1->setGeometry(scale_.toPixels(label1Rect));
    scaleFont(Scorered, scoreFontTwips, true, scale_);
    scaleFont(Scoreblue, scoreFontTwips, true, scale_);
    scaleFont(Label1, captionFontTwips, false, scale_);
    placeScores();
}

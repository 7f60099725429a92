// SPDX-License-Identifier: GPL-3.0-or-later
#include "rink_view.h"

#include "focus_frame.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {

const QColor ice(236, 244, 248);
const QColor markings(0, 0, 0);
const QColor puckColour(0, 0, 0);
const QColor redPaddle(255, 0, 0);
const QColor bluePaddle(0, 0, 255);

// Line widths as laid out, in twips (15 twips to a laid-out pixel).
constexpr double goalLineWidth = 10 * 15;
constexpr double centreLineWidth = 1 * 15;
// The keyboard focus frame round the rink's edge, in twips.
constexpr double focusFrameWidth = 2 * 15;

} // namespace

RinkView::RinkView(const rink::Controls& controls, QWidget* parent)
    : QWidget(parent),
      controls_(controls), drawn_{controls.paddle2, controls.paddle1, controls.puck},
      discs_{DiscSprite(bluePaddle), DiscSprite(redPaddle), DiscSprite(puckColour)} {
    setObjectName("Picture1");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::TabFocus);
}

void RinkView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void RinkView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void RinkView::setScale(const TwipsScale& scale) {
    scale_ = scale;
    update();
}

QRect RinkView::pixelsOf(const QRectF& twips) const {
    // A pixel of margin for the antialiased rim.
    return scale_.toPixels(twips).adjusted(-1, -1, 1, 1);
}

QRectF RinkView::twipsOf(const rink::Shape& shape) {
    return QRectF(shape.Left, shape.Top, shape.Width, shape.Height);
}

bool RinkView::refresh() {
    const auto corner = [](const rink::Shape& shape) { return QPointF(shape.Left, shape.Top); };
    return moveTo({corner(controls_.paddle2), corner(controls_.paddle1), corner(controls_.puck)});
}

bool RinkView::refreshAt(QPointF puck, QPointF paddle2) {
    return moveTo({paddle2, QPointF(controls_.paddle1.Left, controls_.paddle1.Top), puck});
}

QPoint RinkView::devicePixelOf(const rink::Shape& shape) const {
    const QPointF corner = scale_.toPixelsF(QPointF(shape.Left, shape.Top)) * devicePixelRatioF();
    return QPoint(int(std::lround(corner.x())), int(std::lround(corner.y())));
}

bool RinkView::moveTo(const std::array<QPointF, 3>& corners) {
    QRegion moved;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        rink::Shape& was = drawn_[i];
        const auto left = float(corners[i].x());
        const auto top = float(corners[i].y());
        if (was.Left == left && was.Top == top) {
            continue;
        }
        const QPoint from = devicePixelOf(was);
        const QRect before = pixelsOf(twipsOf(was));
        was.Left = left;
        was.Top = top;
        if (devicePixelOf(was) == from) {
            continue; // drawn on the same pixels: nothing to repaint
        }
        // One rectangle for a short move (fewer, larger pieces cost less to paint and send
        // than the ragged region of two overlapping squares), two for a jump.
        const QRect after = pixelsOf(twipsOf(was));
        if (before.adjusted(-1, -1, 1, 1).intersects(after)) {
            moved += before.united(after);
        } else {
            moved += before;
            moved += after;
        }
    }
    // Painted now rather than on a later pass of the event loop: the caller has chosen the
    // moment (after a tick, or at the compositor's frame).
    if (moved.isEmpty()) {
        return false;
    }
    repaint(moved);
    return true;
}

void RinkView::paintEvent(QPaintEvent* event) {
    // Only what lies in the damaged region is drawn: most ticks touch a few small rectangles.
    const QRegion& damaged = event->region();
    const auto needed = [&](const QRectF& twips) { return damaged.intersects(pixelsOf(twips)); };
    const qreal ratio = devicePixelRatioF();
    QPainter painter(this);
    painter.fillRect(event->rect(), ice);
    if (hasFocus()) {
        // Under the markings and shapes, so that it never hides where they are.
        drawFocusFrame(painter, rect(), focusFrameWidth * scale_.pixelsPerTwip(),
                       palette().color(QPalette::Highlight));
    }
    // Lines are filled bands on the device pixel grid: a line N pixels wide is N full rows.
    for (const auto& [line, width] : {std::pair{&controls_.Line3, goalLineWidth},
                                      {&controls_.Line2, goalLineWidth},
                                      {&controls_.Line1, centreLineWidth}}) {
        const QRectF band =
            scale_.snappedLine({line->X1, line->Y1}, {line->X2, line->Y2}, width, ratio);
        if (damaged.intersects(band.toAlignedRect())) {
            painter.fillRect(band, markings);
        }
    }
    painter.setRenderHint(QPainter::Antialiasing);
    for (std::size_t i = 0; i < std::size(drawn_); ++i) {
        const rink::Shape& shape = drawn_[i];
        const QRectF twips = twipsOf(shape);
        if (needed(twips)) {
            const QPointF corner = scale_.toPixelsF(twips.topLeft());
            discs_[i].draw(painter, corner, double(shape.Width) * scale_.pixelsPerTwip());
        }
    }
}

void RinkView::mouseMoveEvent(QMouseEvent* event) {
    if (onMouseMove) {
        onMouseMove(scale_.toTwips(event->position()));
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "skill_bar.h"

#include "focus_frame.h"
#include "scaled_bar_style.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionSlider>

#include <cmath>

namespace {

// A fresh instance of the application's style, for the bar's own proxy style to own.
QStyle* freshStyle() {
    QStyle* style = QStyleFactory::create(QApplication::style()->name());
    return style ? style : QStyleFactory::create(QStringLiteral("Fusion"));
}

// The keyboard focus frame, in laid-out pixels.
constexpr double focusFrameWidth = 2;

} // namespace

SkillBar::SkillBar(QWidget* parent)
    : QScrollBar(Qt::Horizontal, parent),
      hits_(std::make_unique<ScaledBarStyle>(freshStyle(), [this] { return scale_; })) {
    setStyle(hits_.get());
}

SkillBar::~SkillBar() {
    setStyle(nullptr);
}

void SkillBar::setScale(double scale) {
    scale_ = scale;
    update();
}

void SkillBar::focusInEvent(QFocusEvent* event) {
    QScrollBar::focusInEvent(event);
    update();
}

void SkillBar::focusOutEvent(QFocusEvent* event) {
    QScrollBar::focusOutEvent(event);
    update();
}

void SkillBar::mousePressEvent(QMouseEvent* event) {
    QStyleOptionSlider option;
    initStyleOption(&option);
    pressed_ = style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option,
                                              event->position().toPoint(), this);
    QScrollBar::mousePressEvent(event);
}

void SkillBar::mouseReleaseEvent(QMouseEvent* event) {
    pressed_ = QStyle::SC_None;
    QScrollBar::mouseReleaseEvent(event);
    update();
}

void SkillBar::paintEvent(QPaintEvent*) {
    // Drawn here in window pixels, not by the style and magnified: the parts stand where the
    // scaled style puts them (and so where the mouse meets them), and every edge and arrow stays
    // sharp at any scale.
    QStyleOptionSlider option;
    initStyleOption(&option);
    const auto part = [&](QStyle::SubControl control) {
        return QRectF(style()->subControlRect(QStyle::CC_ScrollBar, &option, control, this));
    };
    QStyle::SubControl hovered = QStyle::SC_None;
    if (pressed_ == QStyle::SC_None && underMouse()) {
        hovered = style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option,
                                                 mapFromGlobal(QCursor::pos()), this);
    }
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QColor button = palette().color(group, QPalette::Button);
    const QColor edge = palette().color(group, QPalette::Mid);
    const auto shade = [&](QStyle::SubControl control) {
        if (pressed_ == control) {
            return button.darker(115);
        }
        return hovered == control ? button.lighter(106) : button;
    };

    QPainter painter(this);
    const double line = std::max(1.0, std::round(scale_));
    drawBox(painter, QRectF(rect()), palette().color(group, QPalette::Window).darker(108), edge,
            line);

    const QColor glyph = palette().color(group, QPalette::WindowText);
    for (const auto& [control, points] :
         {std::pair{QStyle::SC_ScrollBarSubLine, -1}, {QStyle::SC_ScrollBarAddLine, 1}}) {
        const QRectF box = part(control);
        drawBox(painter, box, shade(control), edge, line);
        drawArrow(painter, box, points, glyph);
    }
    const QRectF handle = part(QStyle::SC_ScrollBarSlider);
    if (!handle.isEmpty() && isEnabled()) {
        drawBox(painter, handle, shade(QStyle::SC_ScrollBarSlider), edge, line);
    }
    if (hasFocus()) {
        drawFocusFrame(painter, rect(), focusFrameWidth * scale_,
                       palette().color(QPalette::Highlight));
    }
}

void SkillBar::drawBox(QPainter& painter, const QRectF& box, const QColor& fill, const QColor& edge,
                       double line) {
    painter.fillRect(box, edge);
    painter.fillRect(box.adjusted(line, line, -line, -line), fill);
}

void SkillBar::drawArrow(QPainter& painter, const QRectF& box, int points, const QColor& colour) {
    // A solid triangle a third of the button high, its tip toward `points` (-1 left, 1 right).
    const double half = box.height() / 6;
    const QPointF centre = box.center();
    const double tip = centre.x() + points * half;
    const double back = centre.x() - points * half;
    const QPointF corners[] = {
        {tip, centre.y()}, {back, centre.y() - half * 1.6}, {back, centre.y() + half * 1.6}};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(corners, 3);
    painter.restore();
}

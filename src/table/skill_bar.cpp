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

// The application's style, a fresh instance of it (the bar's styles must not be shared).
QStyle* freshStyle() {
    QStyle* style = QStyleFactory::create(QApplication::style()->name());
    return style ? style : QStyleFactory::create(QStringLiteral("Fusion"));
}

// The keyboard focus frame, in laid-out pixels.
constexpr double focusFrameWidth = 2;

} // namespace

SkillBar::SkillBar(QWidget* parent)
    : QScrollBar(Qt::Horizontal, parent), look_(freshStyle()),
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
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    if (pressed_ != QStyle::SC_None) {
        option.activeSubControls = pressed_;
        option.state |= QStyle::State_Sunken;
    } else if (underMouse()) {
        option.activeSubControls = style()->hitTestComplexControl(
            QStyle::CC_ScrollBar, &option, mapFromGlobal(QCursor::pos()), this);
    }
    option.rect =
        QRect(0, 0, int(std::lround(width() / scale_)), int(std::lround(height() / scale_)));
    painter.save();
    painter.scale(width() / double(option.rect.width()), height() / double(option.rect.height()));
    look_->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
    painter.restore();
    if (hasFocus()) {
        drawFocusFrame(painter, rect(), focusFrameWidth * scale_,
                       palette().color(QPalette::Highlight));
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "focus_frame.h"

#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

void drawFocusFrame(QPainter& painter, const QRectF& bounds, double width, const QColor& colour) {
    const qreal ratio = painter.device()->devicePixelRatioF();
    const double w = std::max(2.0, std::round(width * ratio)) / ratio;
    painter.fillRect(QRectF(bounds.left(), bounds.top(), bounds.width(), w), colour);
    painter.fillRect(QRectF(bounds.left(), bounds.bottom() - w, bounds.width(), w), colour);
    painter.fillRect(QRectF(bounds.left(), bounds.top(), w, bounds.height()), colour);
    painter.fillRect(QRectF(bounds.right() - w, bounds.top(), w, bounds.height()), colour);
}

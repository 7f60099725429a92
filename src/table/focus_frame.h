// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// Fills a frame just inside `bounds` (logical pixels of `painter`'s untransformed device):
// `width` logical pixels wide, rounded to a whole number of device pixels and at least two, so
// that a control with the keyboard focus stands out at any scale.
void drawFocusFrame(QPainter& painter, const QRectF& bounds, double width, const QColor& colour);

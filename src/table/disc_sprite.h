// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QPixmap>

class QPainter;

// A filled, antialiased disc of one colour, rendered once per size and pixel density and then
// copied into place: rasterising a circle on every repaint costs far more than copying it.
class DiscSprite {
  public:
    explicit DiscSprite(QColor colour) : colour_(colour) {}

    // Draws the disc of `diameter` logical pixels with its bounding box's top-left at `topLeft`
    // (logical pixels, snapped to the nearest device pixel) on `painter`, which must be
    // untransformed.
    void draw(QPainter& painter, QPointF topLeft, double diameter);

  private:
    QColor colour_;
    QPixmap pixmap_;
    double diameter_ = -1;
    qreal ratio_ = -1;
};

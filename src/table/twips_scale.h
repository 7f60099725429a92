// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointF>
#include <QRect>
#include <QRectF>

// The one mapping between the table's twips and a widget's pixels: a uniform scale and the
// pixel position of the twips origin. Drawing and mouse input both go through it.
class TwipsScale {
  public:
    // `pixelsPerTwip` > 0; `origin` is where twips (0, 0) falls, in the widget's pixels.
    explicit TwipsScale(double pixelsPerTwip = 1.0 / 15, QPointF origin = {});

    // The largest scale at which `twips` fits in `pixels`, centred in the spare space.
    static TwipsScale fit(QSizeF twips, QSizeF pixels);

    double pixelsPerTwip() const { return pixelsPerTwip_; }
    QPointF origin() const { return origin_; }

    // A twips rectangle in pixels, each edge rounded to the nearest pixel, so that rectangles
    // that touch in twips touch in pixels.
    QRect toPixels(const QRectF& twips) const;

    // A twips position in pixels, unrounded.
    QPointF toPixelsF(QPointF twips) const { return origin_ + twips * pixelsPerTwip_; }

    // A pixel position in twips.
    QPointF toTwips(QPointF pixels) const;

    // The band a horizontal or vertical line from `a` to `b` (twips) covers when drawn
    // `widthTwips` wide with flat ends, on a device of `ratio` device pixels to a pixel: a whole
    // number of device pixels across (at least 1), centred on the line as closely as the grid
    // allows, with every edge on the device pixel grid. In the widget's (logical) pixels.
    QRectF snappedLine(QPointF a, QPointF b, double widthTwips, double ratio) const;

    // A length in twips as a whole number of pixels, at least 1 (for font sizes).
    int pixels(double twips) const;

  private:
    double pixelsPerTwip_;
    QPointF origin_;
};

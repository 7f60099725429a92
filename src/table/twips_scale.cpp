// SPDX-License-Identifier: GPL-3.0-or-later
#include "twips_scale.h"

#include <QPainter>
#include <QSizeF>

#include <algorithm>
#include <cmath>

TwipsScale::TwipsScale(double pixelsPerTwip, QPointF origin)
    : pixelsPerTwip_(pixelsPerTwip), origin_(origin) {}

TwipsScale TwipsScale::fit(QSizeF twips, QSizeF pixels) {
    const double s = std::min(pixels.width() / twips.width(), pixels.height() / twips.height());
    const QPointF origin((pixels.width() - twips.width() * s) / 2,
                         (pixels.height() - twips.height() * s) / 2);
    return TwipsScale(s, origin);
}

QRect TwipsScale::toPixels(const QRectF& twips) const {
    const auto x = [this](double t) { return int(std::lround(origin_.x() + t * pixelsPerTwip_)); };
    const auto y = [this](double t) { return int(std::lround(origin_.y() + t * pixelsPerTwip_)); };
    const int left = x(twips.left());
    const int top = y(twips.top());
    return QRect(left, top, x(twips.right()) - left, y(twips.bottom()) - top);
}

QPointF TwipsScale::toTwips(QPointF pixels) const {
    return (pixels - origin_) / pixelsPerTwip_;
}

int TwipsScale::pixels(double twips) const {
    return std::max(1, int(std::lround(twips * pixelsPerTwip_)));
}

void TwipsScale::apply(QPainter& painter) const {
    painter.translate(origin_);
    painter.scale(pixelsPerTwip_, pixelsPerTwip_);
}

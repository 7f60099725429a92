// SPDX-License-Identifier: GPL-3.0-or-later
#include "twips_scale.h"

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

QRectF TwipsScale::snappedLine(QPointF a, QPointF b, double widthTwips, double ratio) const {
    const QPointF from = toPixelsF(a) * ratio;
    const QPointF to = toPixelsF(b) * ratio;
    const double across = std::max(1.0, std::round(widthTwips * pixelsPerTwip_ * ratio));
    // The first of `across` device rows (or columns) whose middle is nearest the line's middle.
    const auto start = [across](double middle) { return std::floor(middle - across / 2 + 0.5); };
    const auto end = [](double v) { return std::round(v); };
    QRectF device;
    if (a.y() == b.y()) {
        const double left = end(std::min(from.x(), to.x()));
        device = QRectF(left, start(from.y()), end(std::max(from.x(), to.x())) - left, across);
    } else {
        const double top = end(std::min(from.y(), to.y()));
        device = QRectF(start(from.x()), top, across, end(std::max(from.y(), to.y())) - top);
    }
    return QRectF(device.topLeft() / ratio, device.size() / ratio);
}

int TwipsScale::pixels(double twips) const {
    return std::max(1, int(std::lround(twips * pixelsPerTwip_)));
}

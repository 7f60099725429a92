// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_sprite.h"

#include <QPainter>

#include <cmath>

namespace {
// Transparent border round the disc, in device pixels, for its antialiased rim.
constexpr int rim = 1;
} // namespace

void DiscSprite::draw(QPainter& painter, QPointF topLeft, double diameter) {
    const qreal ratio = painter.device()->devicePixelRatioF();
    if (diameter != diameter_ || ratio != ratio_) {
        const int side = int(std::ceil(diameter * ratio)) + 2 * rim;
        pixmap_ = QPixmap(side, side);
        pixmap_.fill(Qt::transparent);
        QPainter disc(&pixmap_);
        disc.setRenderHint(QPainter::Antialiasing);
        disc.setPen(Qt::NoPen);
        disc.setBrush(colour_);
        disc.drawEllipse(QRectF(rim, rim, diameter * ratio, diameter * ratio));
        disc.end();
        pixmap_.setDevicePixelRatio(ratio);
        diameter_ = diameter;
        ratio_ = ratio;
    }
    const QPointF device = topLeft * ratio - QPointF(rim, rim);
    const QPointF snapped(std::round(device.x()) / ratio, std::round(device.y()) / ratio);
    painter.drawPixmap(snapped, pixmap_);
}

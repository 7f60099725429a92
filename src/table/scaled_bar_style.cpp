// SPDX-License-Identifier: GPL-3.0-or-later
#include "scaled_bar_style.h"

#include <cmath>
#include <utility>

ScaledBarStyle::ScaledBarStyle(QStyle* base, std::function<double()> scale)
    : QProxyStyle(base), scale_(std::move(scale)) {}

int ScaledBarStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                const QWidget* widget) const {
    const int base = QProxyStyle::pixelMetric(metric, option, widget);
    switch (metric) {
    case PM_ScrollBarExtent:
    case PM_ScrollBarSliderMin:
        return int(std::lround(base * scale_()));
    default:
        return base;
    }
}

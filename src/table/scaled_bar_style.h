// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>

#include <functional>

// The style of a scroll bar that scales with the window: the metrics that place its arrow buttons
// and its handle are the base style's times the bar's scale, so that the parts are drawn and met
// by the mouse in proportion at any size. Everything else is the base style's.
class ScaledBarStyle : public QProxyStyle {
  public:
    // Takes ownership of `base`; `scale` gives the bar's current scale (window pixels per
    // laid-out pixel) and must outlive the style.
    ScaledBarStyle(QStyle* base, std::function<double()> scale);

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

  private:
    std::function<double()> scale_;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollBar>
#include <QStyle>

#include <memory>

class QPainter;

class ScaledBarStyle;

// cpu, the skill slider: a horizontal scroll bar that scales with the window as a whole, arrows
// and handle included (drawn in window pixels, so sharp at any scale), and that is framed in the
// highlight colour while it has the keyboard focus.
class SkillBar : public QScrollBar {
    Q_OBJECT

  public:
    explicit SkillBar(QWidget* parent = nullptr);
    ~SkillBar() override;

    // Window pixels per laid-out pixel, > 0: 1 at the laid-out size. Repaints.
    void setScale(double scale);
    double scale() const { return scale_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // Fills `box` with `fill` inside an `edge` border `line` pixels wide.
    static void drawBox(QPainter& painter, const QRectF& box, const QColor& fill,
                        const QColor& edge, double line);
    // Draws the arrow glyph of a button `box`, pointing left (`points` -1) or right (1).
    static void drawArrow(QPainter& painter, const QRectF& box, int points, const QColor& colour);

    double scale_ = 1;
    QStyle::SubControl pressed_ = QStyle::SC_None; // the part the mouse holds down, drawn sunken
    std::unique_ptr<ScaledBarStyle> hits_;         // the bar's own style: where the mouse meets it
};

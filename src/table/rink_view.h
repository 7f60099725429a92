// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls.h"
#include "disc_sprite.h"
#include "twips_scale.h"

#include <QWidget>

#include <array>
#include <functional>

// Picture1, the rink: draws the lines and the three round shapes of the table's controls in
// twips, framed in the highlight colour while it has the keyboard focus, and reports mouse moves
// over it in twips. It only reads the controls it is given.
class RinkView : public QWidget {
    Q_OBJECT

  public:
    // `controls` must outlive the view.
    explicit RinkView(const rink::Controls& controls, QWidget* parent = nullptr);

    // Takes the twips-to-pixels scale of the rink (origin at the view's top-left) and repaints.
    void setScale(const TwipsScale& scale);
    const TwipsScale& scale() const { return scale_; }

    // Repaints at once what moved since the last call: the old and new places of each shape
    // that moved by a device pixel or more, nothing else. Says whether anything was painted.
    bool refresh();
    // The same, with the puck's and the computer's paddle's corners (twips) given: drawn where
    // they stand at a frame's time rather than at the last tick.
    bool refreshAt(QPointF puck, QPointF paddle2);

    // Called with the pointer position in twips on every mouse move over the rink.
    std::function<void(QPointF twips)> onMouseMove;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    // A twips rectangle in pixels of the view, with a pixel of margin for antialiasing.
    QRect pixelsOf(const QRectF& twips) const;
    static QRectF twipsOf(const rink::Shape& shape);
    // The device pixel a shape's disc is drawn from (the disc sprites snap to whole pixels).
    QPoint devicePixelOf(const rink::Shape& shape) const;
    // Moves the drawn paddle2, paddle1 and puck to `corners` (twips), repainting what moved.
    bool moveTo(const std::array<QPointF, 3>& corners);

    const rink::Controls& controls_;
    TwipsScale scale_;
    rink::Shape drawn_[3]; // paddle2, paddle1 and the puck as drawn, in the order they are drawn
    DiscSprite discs_[3];  // their looks, in the same order
};

#pragma once

#include "controls.h"
#include "disc_sprite.h"
#include "twips_scale.h"

#include <QWidget>

#include <functional>

// Picture1, the rink: draws the lines and the three round shapes of the table's controls in
// twips, and reports mouse moves over it in twips. It only reads the controls it is given.
class RinkView : public QWidget {
    Q_OBJECT

  public:
    // `controls` must outlive the view.
    explicit RinkView(const rink::Controls& controls, QWidget* parent = nullptr);

    // Takes the twips-to-pixels scale of the rink (origin at the view's top-left) and repaints.
    void setScale(const TwipsScale& scale);
    const TwipsScale& scale() const { return scale_; }

    // Schedules a repaint of what moved since the last call: the old and new places of each
    // shape, nothing else.
    void refresh();

    // Called with the pointer position in twips on every mouse move over the rink.
    std::function<void(QPointF twips)> onMouseMove;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    QRect pixelsOf(const rink::Shape& shape) const;

    const rink::Controls& controls_;
    TwipsScale scale_;
    rink::Shape drawn_[3]; // paddle2, paddle1 and the puck where the last refresh left them
    DiscSprite discs_[3];  // their looks, in the same order
};

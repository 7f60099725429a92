// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace rink {

// A filled circle of the rink, placed by its top-left corner in twips.
struct Shape {
    float Left = 0;
    float Top = 0;
    float Width = 255;
    float Height = 255;
};

// A straight line of the rink, ends in twips.
struct Line {
    float X1 = 0;
    float Y1 = 0;
    float X2 = 0;
    float Y2 = 0;
};

// The horizontal skill slider. Value is what the opponent reads every tick.
struct Slider {
    int Min = 5;
    int Max = 150;
    int Value = 70;
    int SmallChange = 20;
    int LargeChange = 30;
};

// A text label whose caption the game reads and writes.
struct Label {
    std::string Caption = "0";
};

// The controls the game logic reads and writes, as laid out on the table. The window renders
// them; the logic never creates or removes one.
struct Controls {
    Shape paddle2{600, 240};
    Line Line3{1320, 0, 2160, 0};       // top goal mouth; its ends bound both goal mouths
    Line Line2{1320, 5640, 2160, 5640}; // bottom goal mouth, drawn only
    Shape paddle1{1200, 4800};
    Shape puck{600, 3360};
    Line Line1{0, 2880, 3480, 2880}; // centre line
    Label Scorered;                  // the player's score
    Label Scoreblue;                 // the computer's score
    Slider cpu;                      // the computer's skill
};

} // namespace rink

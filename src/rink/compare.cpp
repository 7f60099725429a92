// SPDX-License-Identifier: GPL-3.0-or-later
#include "compare.h"

namespace rink {

float max(float a, float b) {
    if (a > b) {
        return a;
    }
    return b;
}

float min(float a, float b) {
    if (a < 0) {
        return b;
    }
    if (a <= b) {
        return a;
    }
    return b;
}

} // namespace rink

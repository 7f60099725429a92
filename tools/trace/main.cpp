// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace_script.h"

#include <iostream>

int main() {
    std::ios::sync_with_stdio(false);
    return trace::run(std::cin, std::cout, std::cerr);
}

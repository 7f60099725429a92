// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Runs the bytes as a trace script against a fresh table and checks what the trace tool
// promises whatever its input: status 0 with nothing on the error stream, or status 2 with one
// message line naming the script's line; output made of whole lines. Returns what broke that
// promise, or "" when it held.
std::string traceFault(const std::uint8_t* data, std::size_t size);

} // namespace fuzz

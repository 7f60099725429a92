// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace_input.h"

#include "trace_script.h"

#include <sstream>

namespace fuzz {

std::string traceFault(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out, err;
    const int status = trace::run(in, out, err);
    const std::string printed = out.str();
    const std::string message = err.str();
    if (status != 0 && status != trace::badInput) {
        return "exit status " + std::to_string(status);
    }
    if (!printed.empty() && printed.back() != '\n') {
        return "output ends inside a line";
    }
    if (status == 0 && !message.empty()) {
        return "status 0 with a message: " + message;
    }
    if (status == trace::badInput && (message.rfind("velmaro-trace: line ", 0) != 0 ||
                                      message.find('\n') + 1 != message.size())) {
        return "bad input without one message line: " + message;
    }
    return "";
}

} // namespace fuzz

// SPDX-License-Identifier: GPL-3.0-or-later
#include "start_up_guard.h"

#include <QRegularExpression>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

struct Held {
    QtMsgType type;
    std::string category;
    QString text;
};

// What the guard gathers while Qt starts; the message handler is a plain function.
std::vector<Held> held;
std::vector<std::string> failedPlugins;
QtMessageHandler passOn = nullptr;

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string describe(const std::string& plugin) {
    if (plugin == "xcb") {
        const std::string display = environment("DISPLAY");
        return display.empty() ? "no display (DISPLAY is not set)"
                               : "cannot connect to the X display \"" + display + "\"";
    }
    if (plugin == "wayland" || plugin == "wayland-egl") {
        const std::string display = environment("WAYLAND_DISPLAY");
        return display.empty() ? "no Wayland display (WAYLAND_DISPLAY is not set)"
                               : "cannot connect to the Wayland display \"" + display + "\"";
    }
    return "the \"" + plugin + "\" window system did not start";
}

} // namespace

StartUpGuard::StartUpGuard() {
    held.clear();
    failedPlugins.clear();
    previous_ = qInstallMessageHandler(&StartUpGuard::handle);
    passOn = previous_;
}

StartUpGuard::~StartUpGuard() {
    release();
}

void StartUpGuard::release() {
    if (released_) {
        return;
    }
    released_ = true;
    qInstallMessageHandler(previous_);
    for (const Held& message : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
        qt_message_output(message.type, context, message.text);
    }
    held.clear();
}

std::string StartUpGuard::failureLine(const std::vector<std::string>& plugins) {
    std::string reasons;
    for (const std::string& plugin : plugins) {
        const std::string reason = describe(plugin);
        if (reasons.find(reason) == std::string::npos) {
            reasons += (reasons.empty() ? "" : "; ") + reason;
        }
    }
    return "velmaro: cannot open a window: " + reasons;
}

void StartUpGuard::handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    static const QRegularExpression notLoaded(
        QStringLiteral("Could not load the Qt platform plugin \"([^\"]+)\""));
    if (const auto match = notLoaded.match(text); match.hasMatch()) {
        failedPlugins.push_back(match.captured(1).toStdString());
    }
    if (type == QtFatalMsg && failedPlugins.empty()) {
        // Some other fatal error: Qt's own handler reports it and ends the program as usual.
        if (passOn) {
            passOn(type, context, text);
        } else {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
        return;
    }
    if (type != QtFatalMsg) {
        held.push_back({type, context.category ? context.category : "", text});
        return;
    }
    // Qt gives up when no platform plugin starts: with no display there is nothing to show, so
    // this is the user's situation to fix, not a crash.
    const std::string line = failureLine(failedPlugins) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    ::_exit(1);
}

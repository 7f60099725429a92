// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <string>
#include <vector>

// Watches the window system's start-up, from construction until release(): Qt's messages are held
// back, and if Qt finds no display to open a window on, the program prints one line saying what
// was tried and exits with status 1 instead of aborting. One instance at a time, on the main
// thread.
class StartUpGuard {
  public:
    StartUpGuard();
    ~StartUpGuard();
    StartUpGuard(const StartUpGuard&) = delete;
    StartUpGuard& operator=(const StartUpGuard&) = delete;

    // Start-up went well: passes the held messages on to Qt's usual handler and stops watching.
    void release();

    // The line printed when no window system could be reached, from the platform plugins that Qt
    // reported it could not load (in order) and the environment that names their displays.
    static std::string failureLine(const std::vector<std::string>& failedPlugins);

  private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text);

    QtMessageHandler previous_ = nullptr;
    bool released_ = false;
};

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a clean quit of the application's event loop, so that a
// game stopped from a terminal or by the session closes its window like any other close.
// One instance at a time; it lives as long as the event loop runs.
class QuitOnSignal : public QObject {
    Q_OBJECT

  public:
    explicit QuitOnSignal(QObject* parent = nullptr);
    ~QuitOnSignal() override;

  private:
    QSocketNotifier* notifier_ = nullptr;
};

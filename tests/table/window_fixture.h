// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "form1.h"
#include "rink_view.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

// The game's window, shown on the test platform, for tests of it and of the controls in it.
struct Window : ::testing::Test {
    void SetUp() override {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    // The child widget called `name`; a failed expectation (and null) when there is none.
    template <typename T> T* child(const char* name) {
        T* widget = form.findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    RinkView* rink() { return child<RinkView>("Picture1"); }
    // Where `w`'s top-left corner lies in the window, in pixels.
    QPoint inForm(QWidget* w) { return w->mapTo(&form, QPoint(0, 0)); }

    Form1 form;
};

// The goal box while one is open, else null.
inline QMessageBox* openBox() {
    return qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
}

#pragma once

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <string>

#include "fakes/form_harness.h"
#include "platform/qt/main_window.h"

// The model with test doubles for its seams, rendered by the real view.
class WindowHarness final {
public:
    // By default the in-process fake database answers; a test of the real
    // road hands in the ODBC data access.
    explicit WindowHarness(DataAccess* dataAccess = nullptr) : h(dataAccess), window(h.form) {}

    // Shows the window as the program does at start-up and waits until it
    // has the keyboard focus.
    void start()
    {
        window.start();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    template <typename W = QWidget>
    W* widget(const std::string& name) const
    {
        return window.findChild<W*>(QString::fromStdString(name));
    }

    // The control whose widget has the keyboard focus (a combo box's text
    // part counts as the combo box).
    std::string focusedControl() const
    {
        for (QWidget* w = QApplication::focusWidget(); w && w != &window; w = w->parentWidget()) {
            if (h.form.findControl(w->objectName().toStdString()))
                return w->objectName().toStdString();
        }
        return {};
    }

    FormHarness h;
    MainWindow window;
};

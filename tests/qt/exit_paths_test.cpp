// Every way out of the program, run inside the real event loop: each ends
// it and takes the tray icon away; nothing else ends it.

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTimer>
#include <QtGui/private/qguiapplication_p.h>
#include <functional>

#include "platform/qt/qt_message_box.h"
#include "window_harness.h"

namespace {

constexpr int kNotEnded = 99;

// Runs the event loop with the action queued; a program that does not end
// is stopped by the watchdog and reported.
int runUntilExit(const std::function<void()>& action)
{
    QTimer::singleShot(0, action);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(kNotEnded); });
    watchdog.start(10000);
    return QCoreApplication::exec();
}

struct ExitPath {
    const char* name;
    std::function<void(WindowHarness&)> take;
};

const ExitPath kExitPaths[] = {
    {"ExitButton", [](WindowHarness& w) { QTest::mouseClick(w.widget("Command8"), Qt::LeftButton); }},
    {"TrayMenuExit",
     [](WindowHarness& w) {
         w.h.windowSystem.menuChoice = "mnuExit";
         w.window.relayTrayEvent(TrayService::Event::ContextMenu);
     }},
    {"CloseBox", [](WindowHarness& w) { w.window.close(); }},
    // The desktop session ends: Qt is told to quit from outside the model.
    {"SessionEnd", [](WindowHarness&) { QCoreApplication::quit(); }},
};

void PrintTo(const ExitPath& path, std::ostream* out)
{
    *out << path.name;
}

class ExitPaths : public ::testing::TestWithParam<ExitPath> {};

TEST_P(ExitPaths, endTheProgramAndRemoveTheTrayIcon)
{
    WindowHarness w;
    w.h.form.Form_Load();
    w.start();
    w.h.form.iconm();
    ASSERT_TRUE(w.h.tray.icon.has_value());

    EXPECT_EQ(runUntilExit([&] { GetParam().take(w); }), 0);

    EXPECT_TRUE(w.h.form.unloaded());
    EXPECT_FALSE(w.h.tray.icon.has_value());
    ASSERT_FALSE(w.h.tray.requests.empty());
    EXPECT_EQ(w.h.tray.requests.back().kind, FakeTrayService::Hide);
    EXPECT_FALSE(w.window.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Window, ExitPaths, ::testing::ValuesIn(kExitPaths),
                         [](const auto& test) { return std::string(test.param.name); });

// A session manager asks to commit data (and to save the session's state)
// at every session save and at a logout the user may still cancel: the
// program goes on, in the tray or shown, with its schedule.
TEST(ExitPaths, aSessionSaveOrACancellableLogoutDoesNotEndTheProgram)
{
    for (bool hidden : {false, true}) {
        WindowHarness w;
        w.h.form.Form_Load();
        w.start();
        w.h.form.iconm();
        if (hidden)
            QTest::mouseClick(w.widget("Command5"), Qt::LeftButton);
        w.h.form.Timer1.setEnabled(true);

        struct {
            bool unloaded = true;
            bool icon = false;
            bool ticking = false;
            bool shown = false;
        } after;
        const int result = runUntilExit([&] {
            // As Qt's session management delivers them from the session manager.
            QGuiApplicationPrivate::instance()->commitData();
            QGuiApplicationPrivate::instance()->saveState();
            // Looked at inside the loop, once it has had the chance to end:
            // leaving the loop itself quits.
            QTimer::singleShot(0, [&] {
                after = {w.h.form.unloaded(), w.h.tray.icon.has_value(), w.h.form.Timer1.enabled(),
                         w.window.isVisible()};
                QCoreApplication::exit(7);
            });
        });
        EXPECT_EQ(result, 7) << "hidden " << hidden;
        EXPECT_FALSE(after.unloaded);
        EXPECT_TRUE(after.icon);
        EXPECT_TRUE(after.ticking);
        EXPECT_EQ(after.shown, !hidden);
    }
}

TEST(ExitPaths, closingABoxWhileTheWindowIsInTheTrayDoesNotEndTheProgram)
{
    WindowHarness w;
    w.h.form.Form_Load();
    w.start();
    QTest::mouseClick(w.widget("Command5"), Qt::LeftButton);
    ASSERT_FALSE(w.window.isVisible());

    QtMessageBox box;
    box.setOwner(&w.window);
    bool unloadedAfterBox = true;
    const int result = runUntilExit([&] {
        QTimer::singleShot(0, [] {
            if (QWidget* open = QApplication::activeModalWidget())
                open->close();
        });
        box.show("暂无此功能!", "提示", MessageBox::OkOnly);
        // Only the test ends the loop, once the box is gone and the loop has
        // had the chance to quit on its own.
        QTimer::singleShot(0, [&] {
            unloadedAfterBox = w.h.form.unloaded();
            QCoreApplication::exit(7);
        });
    });
    EXPECT_EQ(result, 7);
    EXPECT_FALSE(unloadedAfterBox);
}

} // namespace

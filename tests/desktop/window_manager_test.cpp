// The window under a real window manager (openbox), which frames it.

#include <gtest/gtest.h>

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <cstdlib>

#include "desktop_session.h"
#include "fakes/form_harness.h"
#include "platform/qt/main_window.h"

namespace {

// X11 reports the frame only once the window is shown: the window opens
// with its frame, title bar included, in the middle of the screen.
TEST(WindowManager, theWindowOpensWithItsFrameCentred)
{
    FormHarness h;
    h.form.Form_Load();
    MainWindow window(h.form);
    window.start();
    // The frame as the platform knows it now: the widget's frameGeometry()
    // keeps the frame it learnt at its last move. A loaded machine (CI runs
    // tests side by side) can take its time, and while openbox reparents the
    // window X11 may report a passing frame smaller than the window: the
    // frame is the one that encloses it.
    const auto frame = [&] { return window.windowHandle()->frameGeometry(); };
    const auto framed = [&] {
        const QSize outer = frame().size();
        return outer != window.size() && outer.width() >= window.width() && outer.height() >= window.height();
    };
    ASSERT_TRUE(DesktopSession::waitFor(framed, 30000))
        << "openbox put no frame around the window: visible " << window.isVisible() << ", frame " << frame().width()
        << "x" << frame().height() << ", window " << window.width() << "x" << window.height();
    const QRect screen = window.screen()->geometry();
    const auto wanted = [&] {
        return QPoint((screen.width() - frame().width()) / 2, (screen.height() - frame().height()) / 2);
    };
    EXPECT_TRUE(DesktopSession::waitFor([&] {
        const QPoint off = frame().topLeft() - wanted();
        return framed() && std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1;
    })) << "frame at "
        << frame().x() << "," << frame().y() << " size " << frame().width() << "x" << frame().height() << ", wanted "
        << wanted().x() << "," << wanted().y();
    // The model knows where the window is.
    EXPECT_NEAR(h.form.left(), static_cast<float>(frame().x()) * 15, 15);
    EXPECT_NEAR(h.form.top(), static_cast<float>(frame().y()) * 15, 15);
}

} // namespace

// The window under a real window manager (openbox), which frames it.

#include <gtest/gtest.h>

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
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
    // A loaded machine (CI runs tests side by side) can take its time.
    ASSERT_TRUE(DesktopSession::waitFor([&] { return window.frameGeometry().size() != window.size(); }, 30000))
        << "openbox put no frame around the window: visible " << window.isVisible() << ", frame "
        << window.frameGeometry().width() << "x" << window.frameGeometry().height() << ", window "
        << window.width() << "x" << window.height();
    const QRect screen = window.screen()->geometry();
    const QPoint wanted((screen.width() - window.frameGeometry().width()) / 2,
                        (screen.height() - window.frameGeometry().height()) / 2);
    EXPECT_TRUE(DesktopSession::waitFor([&] {
        const QPoint off = window.frameGeometry().topLeft() - wanted;
        return std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1;
    })) << "frame at "
        << window.frameGeometry().x() << "," << window.frameGeometry().y() << ", wanted " << wanted.x() << ","
        << wanted.y();
    // The model knows where the window is.
    EXPECT_NEAR(h.form.left(), static_cast<float>(window.frameGeometry().x()) * 15, 15);
    EXPECT_NEAR(h.form.top(), static_cast<float>(window.frameGeometry().y()) * 15, 15);
}

} // namespace

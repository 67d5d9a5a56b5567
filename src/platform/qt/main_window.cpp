#include "platform/qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include "app/form1.h"
#include "platform/qt/control_kinds.h"
#include "platform/qt/guard.h"
#include "platform/qt/icons.h"
#include "platform/qt/qt_tray_service.h"
#include "platform/qt/stale_input_filter.h"
#include "platform/qt/twips.h"
#include "platform/qt/view_fonts.h"

namespace {

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

Qt::WindowFlags flagsFor(bool inTaskbar)
{
    // A tool window stays off the taskbar; the tray icon brings it back.
    return (inTaskbar ? Qt::Window : Qt::Tool) | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
}

} // namespace

MainWindow::MainWindow(Form1& form, QWidget* parent)
    : QWidget(parent)
    , m_form(form)
    , m_twipsPerPixel(Twips::perPixel(*this))
    , m_relay(logToQt, [this](const Control& control) { render(control); })
{
    setObjectName(QStringLiteral("Form1"));
    // Only the model's exit paths end the program: a message box closed while
    // this window sits in the tray must not.
    QApplication::setQuitOnLastWindowClosed(false);
    setFont(ViewFonts::windowFont());
    setFixedSize(Twips::toPixels(static_cast<float>(Form1::kClientWidthTwips), m_twipsPerPixel),
                 Twips::toPixels(static_cast<float>(Form1::kClientHeightTwips), m_twipsPerPixel));
    buildControls();
    // Clicks and keys that waited while a statement held the window are not
    // replayed once it answers again.
    qApp->installEventFilter(new StaleInputFilter(this));

    QPointer<MainWindow> self(this);
    m_form.ended.connect([self] {
        if (self)
            self->onEnded();
    });
    // A session manager asks to commit data at every session save and at a
    // logout that may still be cancelled: that is no end, and Ondrel has
    // nothing to commit (settings are saved only by "保存配置"). The session
    // really ends with Qt's quit, which closes the window; whatever else
    // quits takes the tray icon away as every exit does.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { unload(); });
    m_presenter.emplace(m_form, m_native);
    m_frameWatch.setInterval(kFrameCheckMs);
    connect(&m_frameWatch, &QTimer::timeout, this, [this] { followFrame(); });
}

void MainWindow::buildControls()
{
    // Frames first: what is not inside a frame is a child of the window
    // created after them, so that it lies above them.
    std::map<const Control*, QWidget*> frames;
    for (Control* control : m_form.controls()) {
        if (control->kind() == ControlKind::Frame)
            frames[control] = createWidget(*control, this);
    }
    for (Control* control : m_form.controls()) {
        if (control->kind() == ControlKind::Frame)
            continue;
        const auto frame = frames.find(control->container());
        createWidget(*control, frame == frames.end() ? this : frame->second);
    }
    for (Control* control : m_form.controls())
        render(*control);
}

QWidget* MainWindow::createWidget(Control& control, QWidget* parent)
{
    QWidget* widget = adapterFor(control.kind()).create(control, parent, m_relay);
    widget->setObjectName(qs(control.name()));
    widget->setGeometry(Twips::toPixels(control.rect(), m_twipsPerPixel));
    m_widgets[&control] = widget;
    QPointer<MainWindow> self(this);
    control.changed.connect([self, &control] {
        if (self)
            self->render(control);
    });
    return widget;
}

QWidget* MainWindow::widgetFor(const Control& control) const
{
    const auto found = m_widgets.find(&control);
    return found == m_widgets.end() ? nullptr : found->second;
}

void MainWindow::render(const Control& control)
{
    QWidget* widget = widgetFor(control);
    if (!widget)
        return;
    widget->setEnabled(control.enabled());
    widget->setHidden(!control.visible());
    adapterFor(control.kind()).render(control, widget);
}

// --- The window's side of WindowPresenter -----------------------------------

void MainWindow::Native::setTitle(const std::string& caption)
{
    m_window.setWindowTitle(qs(caption));
}

void MainWindow::Native::setIcon(Icon icon)
{
    m_window.setWindowIcon(Icons::forPicture(icon));
}

bool MainWindow::Native::setTaskbarEntry(bool inTaskbar)
{
    const bool wasVisible = m_window.isVisible();
    // Changing the flags hides the window.
    m_window.setWindowFlags(flagsFor(inTaskbar));
    return wasVisible;
}

void MainWindow::Native::moveTo(TwipsPoint outer)
{
    const QPoint corner(Twips::toPixels(outer.left, m_window.m_twipsPerPixel),
                        Twips::toPixels(outer.top, m_window.m_twipsPerPixel));
    // The frame goes where the model says, with the margins the platform
    // knows now: move() would use the ones the widget learnt at its last
    // move.
    const QWindow* handle = m_window.windowHandle();
    const QMargins frame = handle ? handle->frameMargins() : QMargins();
    m_window.setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), m_window.size()));
}

void MainWindow::Native::hide()
{
    m_window.hide();
}

void MainWindow::Native::minimise()
{
    m_window.showMinimized();
}

void MainWindow::Native::showInFront()
{
    if (m_window.isMinimized())
        m_window.showNormal();
    else
        m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

std::optional<NativeWindow::Sizes> MainWindow::Native::sizes() const
{
    const QScreen* screen = m_window.screen();
    if (!screen)
        return std::nullopt;
    const float perPixel = m_window.m_twipsPerPixel;
    const QSize area = screen->geometry().size();
    const QSize outer = m_window.outerGeometry().size();
    return Sizes{{static_cast<float>(area.width()) * perPixel, static_cast<float>(area.height()) * perPixel},
                 {static_cast<float>(outer.width()) * perPixel, static_cast<float>(outer.height()) * perPixel}};
}

void MainWindow::start()
{
    // The platform window exists before it is measured: where the platform
    // knows the frame in advance, it is then part of the outer size.
    create();
    const std::vector<Control*>& order = m_form.tabOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(widgetFor(*order[i - 1]), widgetFor(*order[i]));
    m_presenter->start();
    if (!order.empty())
        widgetFor(*order.front())->setFocus(Qt::OtherFocusReason);
    // X11 reports the frame a window manager puts around the window only
    // once it is shown: centre again when it is known, unless the window
    // has been moved meanwhile.
    if (outerGeometry().size() == size())
        m_frameWatch.start();
}

// The window with the frame around it, as the platform knows it now. The
// widget's own frameGeometry() keeps the frame it learnt at its last move or
// resize, and X11 can announce the frame after both.
QRect MainWindow::outerGeometry() const
{
    const QWindow* handle = windowHandle();
    return handle ? handle->frameGeometry() : frameGeometry();
}

void MainWindow::followFrame()
{
    // While the window manager reparents the window, X11 can report a frame
    // smaller than the window itself; only one that encloses it is the frame.
    const QSize outer = outerGeometry().size();
    const bool framed = outer != size() && outer.width() >= width() && outer.height() >= height();
    if (!framed) {
        if (++m_frameChecks >= kFrameChecks)
            m_frameWatch.stop();
        return;
    }
    m_frameWatch.stop();
    if (!m_presenter->atModelPosition() || !isVisible())
        return;
    m_presenter->centre();
}

void MainWindow::attachTray(QtTrayService& tray)
{
    tray.setEventHandler([this](TrayService::Event event) { relayTrayEvent(event); });
    tray.setMenuHandler([this](const std::string& item) { relayTrayMenuChoice(item); });
    tray.setMenu(m_form.mnuPopUp.entries());
    const QPointer<QtTrayService> shown(&tray);
    for (MenuItem* item : m_form.mnuPopUp.items()) {
        // The model outlives its own signals; the tray may go first.
        item->changed.connect([shown, &form = m_form] {
            if (shown)
                shown->setMenu(form.mnuPopUp.entries());
        });
    }
}

void MainWindow::relayTrayEvent(TrayService::Event event)
{
    runGuarded("tray message", [&] { m_form.TrayNotified(event); });
}

void MainWindow::relayTrayMenuChoice(const std::string& item)
{
    runGuarded("tray menu", [&] { m_form.TrayMenuChosen(item); });
}

void MainWindow::changeEvent(QEvent* event)
{
    // Brought back from the taskbar by the operator (where there is no tray
    // icon to do it); the model ignores a restore it made itself.
    if (event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        if (change->oldState().testFlag(Qt::WindowMinimized) && !isMinimized())
            runGuarded("restore", [&] { m_form.RestoredFromTaskbar(); });
    }
    QWidget::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The close box is an exit like "退出": it is never refused.
    unload();
    event->accept();
}

void MainWindow::unload()
{
    runGuarded("Unload", [&] { m_form.Unload(); });
}

void MainWindow::onEnded()
{
    hide();
    // quit() rather than exit(): it does nothing once the event loop has
    // returned, where exit() would make every later modal loop return at once.
    QCoreApplication::quit();
}

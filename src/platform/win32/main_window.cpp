#include "platform/win32/main_window.h"

#include "app/form1.h"
#include "platform/win32/caption_painter.h"
#include "platform/win32/controls/combo_box.h"
#include "platform/win32/guard.h"
#include "platform/win32/twips.h"
#include "platform/win32/win32_tray_service.h"

namespace Win32 {

namespace {

// Counts the renderings under way: what the view writes into a control
// comes back as a notification, which is not the operator's input.
class Rendering final {
public:
    explicit Rendering(int& depth) : m_depth(depth) { ++m_depth; }
    ~Rendering() { --m_depth; }
    Rendering(const Rendering&) = delete;
    Rendering& operator=(const Rendering&) = delete;

private:
    int& m_depth;
};

} // namespace

MainWindow::MainWindow(Form1& form)
    : m_form(form)
    , m_relay(logToDebugger, [this](const Control& control) { render(control); })
    , m_self(std::make_shared<MainWindow*>(this))
{
    const WindowClass windowClass{kClassName, ::LoadCursorW(nullptr, IDC_ARROW),
                                  reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
    m_window = createWindowFor(*this, windowClass, 0, Wide::fromUtf8(m_form.caption()).c_str(), kStyle,
                               {CW_USEDEFAULT, CW_USEDEFAULT}, {CW_USEDEFAULT, CW_USEDEFAULT}, nullptr);
    if (!m_window)
        return;
    m_dpi = ::GetDpiForWindow(m_window);
    // Explorer runs with less privilege than a program started as
    // administrator: its broadcast must still reach us.
    ::ChangeWindowMessageFilterEx(m_window, Win32TrayService::taskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
    m_fonts = std::make_unique<ViewFonts>(m_dpi);
    buildControls();
    layOut();
    RECT placed{};
    ::GetWindowRect(m_window, &placed);
    fitClientArea(placed.left, placed.top);

    std::weak_ptr<MainWindow*> self = m_self;
    m_form.ended.connect([self] {
        if (const auto window = self.lock())
            (*window)->onEnded();
    });
    m_presenter.emplace(m_form, m_native);
}

MainWindow::~MainWindow()
{
    m_self.reset();
    m_presenter.reset();
    if (m_window)
        ::DestroyWindow(m_window);
}

// --- The window procedure ---------------------------------------------------

LRESULT MainWindow::onMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The window's handle is known from its first message on, before
    // CreateWindowExW returns it.
    if (message == WM_NCCREATE)
        m_window = window;
    return handle(message, wParam, lParam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == Win32TrayService::taskbarCreatedMessage()) {
        if (m_taskbarCreated)
            runGuarded("TaskbarCreated", [&] { m_taskbarCreated(); });
        return 0;
    }
    switch (message) {
    case Win32TrayService::kCallbackMessage:
        onTrayEvent(lParam);
        return 0;
    case WM_COMMAND:
        if (lParam != 0)
            onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DRAWITEM:
        if (onDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)))
            return TRUE;
        break;
    case WM_SETCURSOR:
        if (onSetCursor(reinterpret_cast<HWND>(wParam)))
            return TRUE;
        break;
    case WM_SIZE:
        onSize(wParam);
        return 0;
    case WM_ACTIVATE:
        // As a dialog does: the control that had the focus gets it back.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = ::GetFocus();
            if (focus && ::IsChild(m_window, focus))
                m_lastFocus = focus;
        } else if (m_lastFocus && ::IsWindow(m_lastFocus) && ::IsWindowEnabled(m_lastFocus)) {
            ::SetFocus(m_lastFocus);
            return 0;
        }
        break;
    case WM_DPICHANGED:
        onDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_CLOSE:
        // The close box, Alt+F4 and the system menu: an exit like "退出".
        unload();
        return 0;
    case WM_QUERYENDSESSION:
        // The program never holds up the end of the session.
        return TRUE;
    case WM_ENDSESSION:
        // Only a session that really ends takes the program with it.
        if (wParam)
            unload();
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(m_window, message, wParam, lParam);
}

// --- The controls -----------------------------------------------------------

void MainWindow::buildControls()
{
    const std::vector<Control*>& controls = m_form.controls();
    m_views.resize(controls.size());
    std::vector<int> created(controls.size(), 0);
    const auto create = [&](Control* control, bool groupStart) {
        for (std::size_t i = 0; i < controls.size(); ++i) {
            if (controls[i] != control || created[i])
                continue;
            created[i] = 1;
            m_views[i] = {control,
                          adapterFor(control->kind())
                              .create(*control, m_window, kFirstControlId + static_cast<int>(i), groupStart)};
        }
    };
    // Windows moves the focus along the children's order, the focus order
    // first; then the labels; the frames last, beneath everything they
    // surround. Option buttons next to each other in the focus order are a
    // group that the arrow keys move in.
    const std::vector<Control*>& order = m_form.tabOrder();
    for (std::size_t i = 0; i < order.size(); ++i) {
        const bool joinsPrevious = i > 0 && order[i]->kind() == ControlKind::OptionButton
            && order[i - 1]->kind() == ControlKind::OptionButton && order[i]->container() == order[i - 1]->container();
        create(order[i], !joinsPrevious);
    }
    for (Control* control : controls) {
        if (control->kind() != ControlKind::Frame)
            create(control, false);
    }
    for (Control* control : controls)
        create(control, false);

    std::weak_ptr<MainWindow*> self = m_self;
    for (View& view : m_views) {
        Control& control = *view.model;
        control.changed.connect([self, &control] {
            if (const auto window = self.lock())
                (*window)->render(control);
        });
        if (control.kind() == ControlKind::ComboBox) {
            auto& combo = static_cast<::ComboBox&>(control);
            combo.itemsChanged.connect([self, &combo] {
                if (const auto window = self.lock())
                    (*window)->renderCombo(combo, true);
            });
        }
    }
    // The model is filled before the view exists (Form_Load reads the list
    // from the settings file): the first rendering writes a combo box's
    // entries too, which later only their changes rewrite.
    for (const View& view : m_views) {
        if (view.model->kind() == ControlKind::ComboBox)
            renderCombo(static_cast<const ::ComboBox&>(*view.model), true);
        render(*view.model);
    }
}

RECT MainWindow::pixelRect(const Control& control) const
{
    // A control drawn in a frame is placed relative to it.
    TwipsRect rect = control.rect();
    for (const Control* container = control.container(); container; container = container->container()) {
        rect.left += container->rect().left;
        rect.top += container->rect().top;
    }
    return Twips::toPixels(rect, m_dpi);
}

void MainWindow::layOut()
{
    for (const View& view : m_views) {
        const ControlKindAdapter& kind = adapterFor(view.model->kind());
        view.window.setFont(kind.font(*view.model, *m_fonts));
        kind.place(view.window, pixelRect(*view.model));
    }
}

void MainWindow::fitClientArea(int left, int top)
{
    const int width = Twips::toPixels(Form1::kClientWidthTwips, m_dpi);
    const int height = Twips::toPixels(Form1::kClientHeightTwips, m_dpi);
    RECT outer{0, 0, width, height};
    ::AdjustWindowRectExForDpi(&outer, kStyle, FALSE, static_cast<DWORD>(::GetWindowLongPtrW(m_window, GWL_EXSTYLE)),
                               m_dpi);
    int outerWidth = outer.right - outer.left;
    int outerHeight = outer.bottom - outer.top;
    ::SetWindowPos(m_window, nullptr, left, top, outerWidth, outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    // Where the frame drawn differs from the one computed (a caption of
    // another size), the difference goes to the frame, not the client area.
    RECT client{};
    ::GetClientRect(m_window, &client);
    if (client.right != width || client.bottom != height) {
        outerWidth += width - client.right;
        outerHeight += height - client.bottom;
        ::SetWindowPos(m_window, nullptr, 0, 0, outerWidth, outerHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

Window MainWindow::windowFor(const Control& control) const
{
    const View* view = viewFor(control);
    return view ? view->window : Window();
}

MainWindow::View* MainWindow::viewFor(int id)
{
    const int index = id - kFirstControlId;
    if (index < 0 || static_cast<std::size_t>(index) >= m_views.size())
        return nullptr;
    return &m_views[static_cast<std::size_t>(index)];
}

const MainWindow::View* MainWindow::viewFor(const Control& control) const
{
    for (const View& view : m_views) {
        if (view.model == &control)
            return &view;
    }
    return nullptr;
}

// --- From the model to the screen ---------------------------------------------

void MainWindow::render(const Control& control)
{
    const View* view = viewFor(control);
    if (!view || !m_window)
        return;
    const Rendering rendering(m_rendering);
    const Window& window = view->window;
    if (window.isEnabled() != control.enabled())
        window.enable(control.enabled());
    if (window.isVisible() != control.visible())
        window.show(control.visible() ? SW_SHOWNA : SW_HIDE);
    adapterFor(control.kind()).render(control, window, *this);
}

void MainWindow::renderCombo(const ::ComboBox& combo, bool refill)
{
    const View* view = viewFor(combo);
    if (!view || !m_window)
        return;
    const Rendering rendering(m_rendering);
    renderComboBox(combo, ComboBox(view->window.handle()), refill);
}

// Windows clicks an option button that receives the keyboard focus (as if
// the operator chose it), so the Tab key must never land on one that is not
// selected: as in any group of option buttons, only the selected one is a
// tab stop, or the first of the group while none is.
void MainWindow::renderOptionTabStops()
{
    std::vector<const OptionButton*> options;
    for (const Control* control : m_form.tabOrder()) {
        if (control->kind() == ControlKind::OptionButton)
            options.push_back(static_cast<const OptionButton*>(control));
    }
    for (const OptionButton* option : options) {
        bool tabStop = option->value();
        if (!tabStop) {
            bool anySelected = false;
            const OptionButton* first = nullptr;
            for (const OptionButton* other : options) {
                if (other->container() != option->container())
                    continue;
                anySelected = anySelected || other->value();
                if (!first)
                    first = other;
            }
            tabStop = !anySelected && first == option;
        }
        const View* view = viewFor(*option);
        if (!view)
            continue;
        const HWND handle = view->window.handle();
        const LONG_PTR style = ::GetWindowLongPtrW(handle, GWL_STYLE);
        const LONG_PTR wanted = tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        if (wanted != style)
            ::SetWindowLongPtrW(handle, GWL_STYLE, wanted);
    }
}

// --- The window's side of WindowPresenter -----------------------------------

void MainWindow::Native::setTitle(const std::string& caption)
{
    const Window window(m_window.m_window);
    if (window && window.text() != caption)
        window.setText(caption);
}

void MainWindow::Native::setIcon(Icon icon)
{
    const Window window(m_window.m_window);
    if (!window)
        return;
    WindowIcons icons(icon, m_window.m_dpi);
    window.send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.bigIcon()));
    window.send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.smallIcon()));
    m_window.m_icons = std::move(icons); // the icons shown before are released now
}

bool MainWindow::Native::setTaskbarEntry(bool inTaskbar)
{
    const HWND handle = m_window.m_window;
    if (!handle)
        return false;
    const LONG_PTR exStyle = ::GetWindowLongPtrW(handle, GWL_EXSTYLE);
    // A tool window has no taskbar button; the tray icon brings it back.
    const LONG_PTR wanted =
        inTaskbar ? (exStyle & ~static_cast<LONG_PTR>(WS_EX_TOOLWINDOW)) : (exStyle | WS_EX_TOOLWINDOW);
    if (wanted == exStyle)
        return false;
    // The taskbar notices the change when the window is shown again.
    const bool wasVisible = ::IsWindowVisible(handle) != 0;
    if (wasVisible)
        ::ShowWindow(handle, SW_HIDE);
    ::SetWindowLongPtrW(handle, GWL_EXSTYLE, wanted);
    ::SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    // A tool window's caption may be lower: the client area keeps its size.
    RECT placed{};
    ::GetWindowRect(handle, &placed);
    m_window.fitClientArea(placed.left, placed.top);
    return wasVisible;
}

void MainWindow::Native::moveTo(TwipsPoint outer)
{
    if (!m_window.m_window)
        return;
    ::SetWindowPos(m_window.m_window, nullptr, Twips::toPixels(outer.left, m_window.m_dpi),
                   Twips::toPixels(outer.top, m_window.m_dpi), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::Native::hide()
{
    if (m_window.m_window)
        ::ShowWindow(m_window.m_window, SW_HIDE);
}

void MainWindow::Native::minimise()
{
    if (m_window.m_window)
        ::ShowWindow(m_window.m_window, SW_MINIMIZE);
}

void MainWindow::Native::showInFront()
{
    const HWND handle = m_window.m_window;
    if (!handle)
        return;
    ::ShowWindow(handle, ::IsIconic(handle) ? SW_RESTORE : SW_SHOW);
    ::SetForegroundWindow(handle);
}

std::optional<NativeWindow::Sizes> MainWindow::Native::sizes() const
{
    const HWND handle = m_window.m_window;
    const HMONITOR monitor = ::MonitorFromWindow(handle, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT outer{};
    if (!::GetMonitorInfoW(monitor, &info) || !::GetWindowRect(handle, &outer))
        return std::nullopt;
    const float perPixel = Twips::perPixel(m_window.m_dpi);
    const RECT& screen = info.rcMonitor;
    const auto twips = [perPixel](LONG pixels) { return static_cast<float>(pixels) * perPixel; };
    return Sizes{{twips(screen.right - screen.left), twips(screen.bottom - screen.top)},
                 {twips(outer.right - outer.left), twips(outer.bottom - outer.top)}};
}

void MainWindow::start()
{
    if (!m_window)
        return;
    m_presenter->start();
    const std::vector<Control*>& order = m_form.tabOrder();
    if (!order.empty()) {
        if (const Window first = windowFor(*order.front()))
            first.focus();
    }
}

// --- From the operator to the model ---------------------------------------------

void MainWindow::onCommand(int id, int code)
{
    View* view = viewFor(id);
    if (!view || m_rendering > 0)
        return;
    adapterFor(view->model->kind()).relay(*view->model, view->window, code, m_relay);
}

// The notification icon's mouse events, and nothing else, reach the model
// as tray events; the window's own mouse movement never does.
void MainWindow::onTrayEvent(LPARAM report)
{
    const std::optional<TrayService::Event> event = Win32TrayService::eventOf(report);
    if (event)
        runGuarded("tray", [&] { m_form.TrayNotified(*event); });
}

void MainWindow::onSize(WPARAM kind)
{
    if (kind == SIZE_MINIMIZED) {
        m_minimized = true;
    } else if (kind == SIZE_RESTORED && m_minimized) {
        m_minimized = false;
        // Brought back from the taskbar by the operator (where there is no
        // tray icon to do it); the model ignores a restore it made itself.
        runGuarded("restore", [&] { m_form.RestoredFromTaskbar(); });
    }
}

void MainWindow::onDpiChanged(UINT dpi, const RECT& suggested)
{
    m_dpi = dpi;
    // The controls take the new fonts before the old ones are deleted.
    auto oldFonts = std::move(m_fonts);
    m_fonts = std::make_unique<ViewFonts>(dpi);
    layOut();
    oldFonts.reset();
    fitClientArea(suggested.left, suggested.top);
    m_presenter->renderIconAgain();
}

bool MainWindow::onDrawItem(const DRAWITEMSTRUCT& item)
{
    if (item.CtlType != ODT_STATIC)
        return false;
    for (const View& view : m_views) {
        if (view.window.handle() != item.hwndItem || view.model->kind() != ControlKind::Label)
            continue;
        FontSpec plain = static_cast<const Label&>(*view.model).font();
        const bool underline = plain.underline;
        plain.underline = false;
        CaptionPainter::paint(item, m_fonts->fontFor(plain), underline);
        return true;
    }
    return false;
}

bool MainWindow::onSetCursor(HWND over)
{
    for (const View& view : m_views) {
        if (view.window.handle() == over && isLink(*view.model)) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return true;
        }
    }
    return false;
}

void MainWindow::unload()
{
    runGuarded("Unload", [&] { m_form.Unload(); });
}

void MainWindow::onEnded()
{
    if (m_window)
        ::DestroyWindow(m_window);
}

} // namespace Win32

#include "platform/win32/main_window.h"

#include "app/form1.h"
#include "platform/win32/caption_painter.h"
#include "platform/win32/controls/button.h"
#include "platform/win32/controls/combo_box.h"
#include "platform/win32/controls/edit.h"
#include "platform/win32/guard.h"
#include "platform/win32/twips.h"
#include "platform/win32/win32_tray_service.h"

namespace Win32 {

namespace {

// A dropped-down list shows this many lines of the edit field's height.
constexpr int kDroppedLines = 8;

bool isLink(const Control& control)
{
    return control.kind() == ControlKind::Label && static_cast<const Label&>(control).font().underline;
}

// The native control of each kind: class, styles and extended styles.
struct NativeKind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
    bool tabStop;
};

NativeKind nativeKindOf(const Control& control)
{
    switch (control.kind()) {
    case ControlKind::Frame:
        return {L"Button", BS_GROUPBOX, 0, false};
    case ControlKind::Label:
        // Drawn by CaptionPainter: one line from the top-left corner, clipped
        // at the label's edge, the underline of a link kept inside.
        return {L"Static", static_cast<DWORD>(SS_OWNERDRAW | SS_NOPREFIX | (isLink(control) ? SS_NOTIFY : 0)), 0,
                false};
    case ControlKind::TextBox: {
        const bool password = static_cast<const TextBox&>(control).passwordChar() != '\0';
        return {L"Edit", static_cast<DWORD>(ES_LEFT | ES_AUTOHSCROLL | (password ? ES_PASSWORD : 0)), WS_EX_CLIENTEDGE,
                true};
    }
    case ControlKind::CommandButton:
        return {L"Button", BS_PUSHBUTTON, 0, true};
    case ControlKind::ComboBox:
        return {L"ComboBox", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0, true};
    // The model decides which option is selected and what a click on the
    // lock does: neither kind changes its own state.
    case ControlKind::OptionButton:
        return {L"Button", BS_RADIOBUTTON, 0, true};
    case ControlKind::CheckBox:
        return {L"Button", BS_3STATE, 0, true};
    }
    return {L"Static", 0, 0, false};
}

int checkStateOf(int value)
{
    switch (value) {
    case 1:
        return BST_CHECKED;
    case 2:
        return BST_INDETERMINATE;
    default:
        return BST_UNCHECKED;
    }
}

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

MainWindow::MainWindow(Form1& form) : m_form(form), m_self(std::make_shared<MainWindow*>(this))
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassExW(&windowClass); // fails harmlessly when already registered
    m_window =
        ::CreateWindowExW(0, kClassName, Wide::fromUtf8(m_form.caption()).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
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
    m_form.windowChanged.connect([self] {
        if (const auto window = self.lock())
            (*window)->renderWindow();
    });
    m_form.ended.connect([self] {
        if (const auto window = self.lock())
            (*window)->onEnded();
    });
    renderWindow();
}

MainWindow::~MainWindow()
{
    m_self.reset();
    if (m_window)
        ::DestroyWindow(m_window);
}

// --- The window procedure ---------------------------------------------------

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_window = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_window = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
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
            m_views[i] = {control, createControl(*control, kFirstControlId + static_cast<int>(i), groupStart)};
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

Window MainWindow::createControl(Control& control, int id, bool groupStart)
{
    const NativeKind kind = nativeKindOf(control);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.style;
    if (kind.tabStop)
        style |= WS_TABSTOP | (groupStart ? WS_GROUP : 0);
    const HWND handle =
        ::CreateWindowExW(kind.exStyle, kind.className, L"", style, 0, 0, 0, 0, m_window,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (control.kind() == ControlKind::TextBox) {
        const char passwordChar = static_cast<const TextBox&>(control).passwordChar();
        if (passwordChar != '\0')
            Edit(handle).setPasswordChar(static_cast<wchar_t>(static_cast<unsigned char>(passwordChar)));
    }
    return Window(handle);
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
        const Control& control = *view.model;
        const HFONT font = control.kind() == ControlKind::Label
            ? m_fonts->fontFor(static_cast<const Label&>(control).font())
            : m_fonts->windowFont();
        view.window.setFont(font);
        RECT rect = pixelRect(control);
        if (control.kind() != ControlKind::ComboBox) {
            view.window.move(rect);
            continue;
        }
        // A drop-down combo box is as high as its edit field, which its
        // font decides; the height it is given is that of the open list.
        const int height = rect.bottom - rect.top;
        rect.bottom = rect.top + height * kDroppedLines;
        view.window.move(rect);
        // The field's height follows the height set for its line one for
        // one; what is read back for the line need not be what was set.
        const ComboBox combo(view.window.handle());
        const int line = combo.itemHeight(-1);
        combo.setItemHeight(-1, line);
        RECT closed{};
        ::GetWindowRect(combo.handle(), &closed);
        const int difference = height - (closed.bottom - closed.top);
        if (difference != 0 && line + difference > 0)
            combo.setItemHeight(-1, line + difference);
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
    // Only a real difference is written: rewriting what the operator just
    // typed would move the cursor.
    if (control.kind() != ControlKind::ComboBox && window.text() != control.caption())
        window.setText(control.caption());
    switch (control.kind()) {
    case ControlKind::ComboBox:
        renderCombo(static_cast<const ::ComboBox&>(control), false);
        break;
    case ControlKind::OptionButton:
        Button(window.handle())
            .setCheck(static_cast<const OptionButton&>(control).value() ? BST_CHECKED : BST_UNCHECKED);
        renderOptionTabStops();
        break;
    case ControlKind::CheckBox:
        Button(window.handle()).setCheck(checkStateOf(static_cast<const CheckBox&>(control).value()));
        break;
    default:
        break;
    }
}

void MainWindow::renderCombo(const ::ComboBox& combo, bool refill)
{
    const View* view = viewFor(combo);
    if (!view || !m_window)
        return;
    const Rendering rendering(m_rendering);
    const ComboBox box(view->window.handle());
    if (refill) {
        box.resetContent();
        for (const std::string& item : combo.items())
            box.addString(item);
    }
    // Selecting no entry empties the edit field: the text is written after.
    const int index = static_cast<int>(combo.listIndex());
    if (box.currentSelection() != index)
        box.setCurrentSelection(index);
    const Window edit = box.edit();
    if (edit.text() != combo.text())
        edit.setText(combo.text());
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

void MainWindow::renderWindow()
{
    if (!m_window)
        return;
    const Window window(m_window);
    if (window.text() != m_form.caption())
        window.setText(m_form.caption());
    if (m_icon != m_form.icon()) {
        m_icon = m_form.icon();
        WindowIcons icons(*m_icon, m_dpi);
        window.send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.bigIcon()));
        window.send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.smallIcon()));
        m_icons = std::move(icons); // the icons shown before are released now
    }

    const bool inTaskbar = m_form.showInTaskbar();
    if (m_inTaskbar != inTaskbar)
        applyTaskbarEntry(inTaskbar);

    const std::pair<float, float> position{m_form.left(), m_form.top()};
    if (m_position != position) {
        m_position = position;
        ::SetWindowPos(m_window, nullptr, Twips::toPixels(position.first, m_dpi),
                       Twips::toPixels(position.second, m_dpi), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    const std::pair<bool, bool> shown{m_form.visible(), m_form.minimized()};
    if (m_started && m_shownState != shown) {
        m_shownState = shown;
        applyVisibility();
    }
}

void MainWindow::applyTaskbarEntry(bool inTaskbar)
{
    m_inTaskbar = inTaskbar;
    const LONG_PTR exStyle = ::GetWindowLongPtrW(m_window, GWL_EXSTYLE);
    // A tool window has no taskbar button; the tray icon brings it back.
    const LONG_PTR wanted =
        inTaskbar ? (exStyle & ~static_cast<LONG_PTR>(WS_EX_TOOLWINDOW)) : (exStyle | WS_EX_TOOLWINDOW);
    if (wanted == exStyle)
        return;
    // The taskbar notices the change when the window is shown again.
    const bool wasVisible = ::IsWindowVisible(m_window) != 0;
    if (wasVisible)
        ::ShowWindow(m_window, SW_HIDE);
    ::SetWindowLongPtrW(m_window, GWL_EXSTYLE, wanted);
    ::SetWindowPos(m_window, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    // A tool window's caption may be lower: the client area keeps its size.
    RECT placed{};
    ::GetWindowRect(m_window, &placed);
    fitClientArea(placed.left, placed.top);
    if (wasVisible)
        applyVisibility();
}

void MainWindow::applyVisibility()
{
    if (!m_form.visible()) {
        ::ShowWindow(m_window, SW_HIDE);
    } else if (m_form.minimized()) {
        ::ShowWindow(m_window, SW_MINIMIZE);
    } else {
        ::ShowWindow(m_window, ::IsIconic(m_window) ? SW_RESTORE : SW_SHOW);
        ::SetForegroundWindow(m_window);
    }
}

void MainWindow::start()
{
    if (!m_window)
        return;
    const HMONITOR monitor = ::MonitorFromWindow(m_window, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT outer{};
    if (::GetMonitorInfoW(monitor, &info) && ::GetWindowRect(m_window, &outer)) {
        const float perPixel = Twips::perPixel(m_dpi);
        const RECT& screen = info.rcMonitor;
        m_form.Move(static_cast<float>((screen.right - screen.left) - (outer.right - outer.left)) * perPixel / 2,
                    static_cast<float>((screen.bottom - screen.top) - (outer.bottom - outer.top)) * perPixel / 2);
    }
    m_started = true;
    renderWindow();
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
    Control& control = *view->model;
    const Window window = view->window;
    switch (control.kind()) {
    case ControlKind::CommandButton:
        if (code == BN_CLICKED)
            runGuarded("click", [&] { control.click(); });
        break;
    case ControlKind::OptionButton:
    case ControlKind::CheckBox:
        if (code == BN_CLICKED) {
            runGuarded("click", [&] { control.click(); });
            // A click that changed nothing leaves the control as the model has it.
            render(control);
        }
        break;
    case ControlKind::Label:
        if (code == STN_CLICKED)
            runGuarded("click", [&] { control.click(); });
        break;
    case ControlKind::TextBox:
        if (code == EN_CHANGE) {
            auto& textBox = static_cast<TextBox&>(control);
            runGuarded("typing", [&] { textBox.setText(window.text()); });
        }
        break;
    case ControlKind::ComboBox: {
        auto& combo = static_cast<::ComboBox&>(control);
        const ComboBox box(window.handle());
        if (code == CBN_EDITCHANGE)
            runGuarded("typing", [&] { combo.typeText(box.text()); });
        else if (code == CBN_SELCHANGE && box.currentSelection() >= 0)
            runGuarded("choosing", [&] { combo.setListIndex(box.currentSelection()); });
        break;
    }
    case ControlKind::Frame:
        break;
    }
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
    m_icon.reset();
    renderWindow();
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

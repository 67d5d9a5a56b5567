#include "platform/qt/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QWindow>

#include "app/form1.h"
#include "platform/qt/caption_label.h"
#include "platform/qt/click_relay.h"
#include "platform/qt/guard.h"
#include "platform/qt/icons.h"
#include "platform/qt/password_style.h"
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

Qt::CheckState checkState(int value)
{
    switch (value) {
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked;
    default:
        return Qt::Unchecked;
    }
}

// Whether the widget lists exactly the model's entries, in order.
bool sameEntries(const ComboBox& combo, const QComboBox& widget)
{
    const std::vector<std::string>& items = combo.items();
    if (static_cast<std::size_t>(widget.count()) != items.size())
        return false;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (widget.itemText(static_cast<int>(i)) != qs(items[i]))
            return false;
    }
    return true;
}

} // namespace

MainWindow::MainWindow(Form1& form, QWidget* parent)
    : QWidget(parent)
    , m_form(form)
    , m_twipsPerPixel(Twips::perPixel(*this))
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
    m_form.windowChanged.connect([self] {
        if (self)
            self->renderWindow();
    });
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
    renderWindow();
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
    QWidget* widget = nullptr;
    switch (control.kind()) {
    case ControlKind::Frame: {
        widget = new QGroupBox(parent);
        widget->installEventFilter(new ClickRelay(control, widget));
        break;
    }
    case ControlKind::Label: {
        auto& label = static_cast<Label&>(control);
        auto* qlabel = new CaptionLabel(parent);
        qlabel->setFont(ViewFonts::fontFor(label.font()));
        if (label.font().underline)
            qlabel->setCursor(Qt::PointingHandCursor);
        qlabel->installEventFilter(new ClickRelay(control, qlabel));
        widget = qlabel;
        break;
    }
    case ControlKind::TextBox: {
        auto& textBox = static_cast<TextBox&>(control);
        auto* edit = new QLineEdit(parent);
        if (textBox.passwordChar() != '\0') {
            auto* style = new PasswordStyle(textBox.passwordChar());
            style->setParent(edit);
            edit->setStyle(style);
            edit->setEchoMode(QLineEdit::Password);
        }
        connect(edit, &QLineEdit::textEdited, this, [&textBox](const QString& text) {
            runGuarded("typing", [&] { textBox.setText(text.toStdString()); });
        });
        widget = edit;
        break;
    }
    case ControlKind::CommandButton: {
        auto* button = new QPushButton(parent);
        connect(button, &QPushButton::clicked, this, [&control] { runGuarded("click", [&] { control.click(); }); });
        widget = button;
        break;
    }
    case ControlKind::ComboBox: {
        auto& combo = static_cast<ComboBox&>(control);
        auto* box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setCompleter(nullptr);
        connect(box->lineEdit(), &QLineEdit::textEdited, this,
                [&combo](const QString& text) { runGuarded("typing", [&] { combo.typeText(text.toStdString()); }); });
        connect(box, &QComboBox::activated, this,
                [&combo](int index) { runGuarded("choosing", [&] { combo.setListIndex(index); }); });
        QPointer<MainWindow> self(this);
        QPointer<QComboBox> target(box);
        combo.itemsChanged.connect([self, target, &combo] {
            if (self && target)
                self->renderCombo(combo, target);
        });
        widget = box;
        break;
    }
    case ControlKind::OptionButton: {
        auto* radio = new QRadioButton(parent);
        // The model keeps the group exclusive, and lets it have no choice at all.
        radio->setAutoExclusive(false);
        connect(radio, &QRadioButton::clicked, this, [this, &control] {
            runGuarded("click", [&] { control.click(); });
            render(control);
        });
        widget = radio;
        break;
    }
    case ControlKind::CheckBox: {
        auto* check = new QCheckBox(parent);
        connect(check, &QCheckBox::clicked, this, [this, &control] {
            runGuarded("click", [&] { control.click(); });
            render(control);
        });
        widget = check;
        break;
    }
    }

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
    const QString caption = qs(control.caption());
    switch (control.kind()) {
    case ControlKind::Frame:
        static_cast<QGroupBox*>(widget)->setTitle(caption);
        break;
    case ControlKind::Label:
        static_cast<QLabel*>(widget)->setText(caption);
        break;
    case ControlKind::TextBox: {
        // Only a real difference is written back: rewriting what the
        // operator just typed would move the cursor.
        auto* edit = static_cast<QLineEdit*>(widget);
        if (edit->text() != caption)
            edit->setText(caption);
        break;
    }
    case ControlKind::CommandButton:
        static_cast<QPushButton*>(widget)->setText(caption);
        break;
    case ControlKind::ComboBox:
        renderCombo(static_cast<const ComboBox&>(control), static_cast<QComboBox*>(widget));
        break;
    case ControlKind::OptionButton: {
        auto* radio = static_cast<QRadioButton*>(widget);
        radio->setText(caption);
        radio->setChecked(static_cast<const OptionButton&>(control).value());
        break;
    }
    case ControlKind::CheckBox: {
        auto* check = static_cast<QCheckBox*>(widget);
        check->setText(caption);
        check->setCheckState(checkState(static_cast<const CheckBox&>(control).value()));
        break;
    }
    }
}

void MainWindow::renderCombo(const ComboBox& combo, QComboBox* widget)
{
    const QSignalBlocker block(widget);
    QLineEdit* edit = widget->lineEdit();
    const QString text = qs(combo.text());
    const bool textUnchanged = edit->text() == text;
    const int cursor = edit->cursorPosition();
    // The list is whatever the model holds, also the entries it had before
    // the widget was made (the settings file is read before the window).
    if (!sameEntries(combo, *widget)) {
        widget->clear();
        for (const std::string& item : combo.items())
            widget->addItem(qs(item));
    }
    const int index = static_cast<int>(combo.listIndex());
    if (widget->currentIndex() != index)
        widget->setCurrentIndex(index);
    if (edit->text() != text) {
        edit->setText(text);
        if (textUnchanged)
            edit->setCursorPosition(cursor);
    }
}

void MainWindow::renderWindow()
{
    setWindowTitle(qs(m_form.caption()));
    if (m_icon != m_form.icon()) {
        m_icon = m_form.icon();
        setWindowIcon(Icons::forPicture(*m_icon));
    }

    const bool inTaskbar = m_form.showInTaskbar();
    if (m_inTaskbar != inTaskbar)
        applyTaskbarEntry(inTaskbar);

    const std::pair<float, float> position{m_form.left(), m_form.top()};
    if (m_position != position) {
        m_position = position;
        const QPoint outer(Twips::toPixels(position.first, m_twipsPerPixel),
                           Twips::toPixels(position.second, m_twipsPerPixel));
        // The frame goes where the model says, with the margins the
        // platform knows now: move() would use the ones the widget learnt
        // at its last move.
        const QWindow* handle = windowHandle();
        const QMargins frame = handle ? handle->frameMargins() : QMargins();
        setGeometry(QRect(outer + QPoint(frame.left(), frame.top()), size()));
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
    const bool wasVisible = isVisible();
    // Changing the flags hides the window; show it again as it was.
    setWindowFlags(flagsFor(inTaskbar));
    if (wasVisible)
        applyVisibility();
}

void MainWindow::applyVisibility()
{
    if (!m_form.visible()) {
        hide();
    } else if (m_form.minimized()) {
        showMinimized();
    } else {
        if (isMinimized())
            showNormal();
        else
            show();
        raise();
        activateWindow();
    }
}

void MainWindow::start()
{
    // The platform window exists before it is measured: where the platform
    // knows the frame in advance, it is then part of the outer size.
    create();
    centreOnScreen();
    const std::vector<Control*>& order = m_form.tabOrder();
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(widgetFor(*order[i - 1]), widgetFor(*order[i]));
    m_started = true;
    renderWindow();
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

void MainWindow::centreOnScreen()
{
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QSize area = screen->geometry().size();
    const QSize outer = outerGeometry().size();
    m_form.Move(static_cast<float>(area.width() - outer.width()) * m_twipsPerPixel / 2,
                static_cast<float>(area.height() - outer.height()) * m_twipsPerPixel / 2);
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
    const std::pair<float, float> centred{m_form.left(), m_form.top()};
    if (m_position != centred || !isVisible())
        return;
    centreOnScreen();
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

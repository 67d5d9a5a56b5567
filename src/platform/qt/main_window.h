#pragma once

#include <QTimer>
#include <QWidget>
#include <map>
#include <optional>
#include <string>

#include "app/view/control_relay.h"
#include "app/view/native_window.h"
#include "app/view/window_presenter.h"
#include "platform/tray_service.h"

class Control;
class Form1;
class QtTrayService;

// The window on the screen. It renders the model's controls and window
// state, turns the operator's input into the model's events, and ends the
// program when the model says so.
class MainWindow final : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(Form1& form, QWidget* parent = nullptr);

    // Centres the window on its screen, shows it and gives the first control
    // of the focus order the keyboard focus.
    void start();

    // Relays the tray's events and its host's menu choices to the window,
    // and keeps the menu the tray's host shows the same as the tray menu.
    void attachTray(QtTrayService& tray);
    // An event of the tray icon.
    void relayTrayEvent(TrayService::Event event);
    // An item chosen from the menu a StatusNotifier host shows for the icon.
    void relayTrayMenuChoice(const std::string& item);

    // The widget that renders a control.
    QWidget* widgetFor(const Control& control) const;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    QWidget* createWidget(Control& control, QWidget* parent);
    void render(const Control& control);
    void unload();
    void onEnded();
    void followFrame();
    QRect outerGeometry() const;

    // The window's side of WindowPresenter.
    class Native final : public NativeWindow {
    public:
        explicit Native(MainWindow& window) : m_window(window) {}

        void setTitle(const std::string& caption) override;
        void setIcon(Icon icon) override;
        bool setTaskbarEntry(bool inTaskbar) override;
        void moveTo(TwipsPoint outer) override;
        void hide() override;
        void minimise() override;
        void showInFront() override;
        std::optional<Sizes> sizes() const override;

    private:
        MainWindow& m_window;
    };

    // How long to look for the frame of a window manager after showing:
    // never, where the frame was known before.
    static constexpr int kFrameCheckMs = 50;
    static constexpr int kFrameChecks = 60;

    Form1& m_form;
    float m_twipsPerPixel;
    std::map<const Control*, QWidget*> m_widgets;
    ControlRelay m_relay;
    Native m_native{*this};
    // Made once the controls exist.
    std::optional<WindowPresenter> m_presenter;
    QTimer m_frameWatch;
    int m_frameChecks = 0;
};

#pragma once

#include <QTimer>
#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "app/picture.h"
#include "platform/tray_service.h"

class Control;
class ComboBox;
class Form1;
class QComboBox;
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
    void renderCombo(const ComboBox& combo, QComboBox* widget);
    void renderWindow();
    void applyTaskbarEntry(bool inTaskbar);
    void applyVisibility();
    void unload();
    void onEnded();
    void centreOnScreen();
    void followFrame();
    QRect outerGeometry() const;

    // How long to look for the frame of a window manager after showing:
    // never, where the frame was known before.
    static constexpr int kFrameCheckMs = 50;
    static constexpr int kFrameChecks = 60;

    Form1& m_form;
    float m_twipsPerPixel;
    std::map<const Control*, QWidget*> m_widgets;
    bool m_started = false;
    // What of the model's window state has been rendered, so that a change
    // of one property does not undo what the operator did to another.
    std::optional<Icon> m_icon;
    std::optional<bool> m_inTaskbar;
    std::optional<std::pair<float, float>> m_position;
    std::optional<std::pair<bool, bool>> m_shownState;
    QTimer m_frameWatch;
    int m_frameChecks = 0;
};

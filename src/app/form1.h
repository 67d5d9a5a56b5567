#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/check_box.h"
#include "app/combo_box.h"
#include "app/control.h"
#include "app/label.h"
#include "app/menu.h"
#include "app/menu_item.h"
#include "app/option_button.h"
#include "app/picture.h"
#include "app/platform_services.h"
#include "app/signal.h"
#include "app/text_box.h"
#include "app/timer.h"
#include "backup/slot_schedule.h"
#include "job/job_spec.h"
#include "platform/local_date_time.h"
#include "tray/tray.h"

// The program's one window: its controls hold every setting, its variables
// the few values passed between handlers, and its methods are the handlers.
// It draws nothing itself; a view renders it and relays the operator's events.
class Form1 final {
public:
    static constexpr int kClientWidthTwips = 6825;
    static constexpr int kClientHeightTwips = 3630;

    explicit Form1(PlatformServices services);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // --- Controls, in the order the window creates them. ---
    Control Frame1;
    Label Label1;
    TextBox Text1;
    Label Label2;
    TextBox Text2;
    Label Label3;
    TextBox Text3;
    Label Label4;
    TextBox Text4;
    Control Command2;
    Label Label6;
    ComboBox Combo1;
    Control Command3;
    Label Label5;
    TextBox Text5;
    Control Command4;
    Control Command1;
    Control Command5;
    Control Command6;
    Control Command7;
    Control Command8;
    OptionButton Option1;
    OptionButton Option2;
    Control Frame2;
    Label Label9;
    TextBox Text8;
    Label Label8;
    TextBox Text7;
    Label Label7;
    TextBox Text6;
    CheckBox Check1;
    Label Label11;
    Label Label10;
    Label Label12;

    // --- Objects that are never shown. ---
    Timer Timer1;
    Picture imgIcon1;
    Picture imgIcon2;
    MenuItem stops;
    MenuItem mnuChange;
    MenuItem lin2;
    MenuItem upcc;
    MenuItem autob;
    MenuItem mnuExit;
    Menu mnuPopUp;

    // --- Window-level variables. ---
    std::string appPath;
    std::string setFile;
    std::string masterDb;

    // What the tray callback keeps.
    Tray tray;

    // Every visible control, in creation order (frames before what they hold).
    const std::vector<Control*>& controls() const { return m_controls; }
    // The keyboard focus order; the first takes the focus when the window opens.
    const std::vector<Control*>& tabOrder() const { return m_tabOrder; }
    Control* findControl(const std::string& name) const;

    // --- The window itself. ---
    const std::string& caption() const { return m_caption; }
    void setCaption(std::string caption);
    Icon icon() const { return m_icon; }
    void setIcon(Icon icon);
    bool visible() const { return m_visible; }
    void Show();
    void Hide();
    // The operator brought a minimised window back from the taskbar (where
    // no notification area exists): the same as a double-click on the icon.
    void RestoredFromTaskbar();
    bool minimized() const { return m_minimized; }
    float left() const { return m_left; }
    float top() const { return m_top; }
    void Move(float left, float top);
    bool showInTaskbar() const { return m_showInTaskbar; }
    bool unloaded() const { return m_unloaded; }
    // Unloads the window: the close notification runs, then the program ends.
    void Unload();

    // Any property of the window itself changed.
    Signal<> windowChanged;
    // The window is gone; the program ends.
    Signal<> ended;

    // --- Start-up and exit. ---
    void Form_Load();
    void Form_QueryUnload();
    void Command8_Click(); // "退出"
    void mnuExit_Click();  // "退 出"

    // --- Settings file. ---
    void SaveSet(const std::string& path);
    void OpenSet(const std::string& path);
    void Command6_Click(); // "保存配置"

    // --- The database list and the backup folder. ---
    void Command2_Click(); // "Add"
    void Command3_Click(); // "D"
    void Command4_Click(); // "选择"
    std::string OpenDir();

    // --- Run control. ---
    void Command1_Click(); // "开始运行" / "停止备份"
    void stops_Click();
    void Check1_Click(); // "锁" / "解"

    // --- Server access. ---
    // The connection fields as they are now, with the database every
    // connection names.
    ServerLogin odb() const;
    // Looks every listed database up: the number found after the last
    // missing one, the list's length exactly when all were found.
    std::size_t bd();

    // --- The schedule. ---
    void Timer1_Timer();
    void Commandth();
    void CreateDir();
    void Commandcopy();
    void CreateDirr();
    // The job as the controls hold it now.
    JobSpec jobSpec(BackupMode mode) const;

    // --- Tray and window hiding. ---
    void iconm();
    void Command5_Click(); // "托盘"
    // The tray callback: what the operator did with the icon.
    void Form_MouseMove(TrayService::Event event);
    void mnuChange_Click();
    // The tray reports an event of its icon; it reaches Form_MouseMove.
    void TrayNotified(TrayService::Event event);
    // An item was chosen from a menu the tray shows by itself (a
    // StatusNotifier host's): it runs as a choice from mnuPopUp would, under
    // the tray callback's busy flag.
    void TrayMenuChosen(const std::string& item);

    // --- About box and links. ---
    void autob_Click();
    void upcc_Click();
    void Label10_Click();
    void Label11_Click();
    void Label12_Click();
    void Command7_Click(); // "数据恢复"

    // The window's title while idle and while running.
    static std::string idleTitle();
    static std::string runningTitle();

private:
    void wireEvents();
    void msgBox(const std::string& text, const std::string& title = "提示");
    void switchRunState(bool running);
    void centre();
    void leaveTaskbar();
    // Runs a tray-menu item's handler; separators and unknown names do nothing.
    void runTrayMenuItem(const std::string& item);
    void reportServerError(std::int32_t number, bool unattended);
    // An unattended failure (a scheduled run's) shows its box only when no
    // other failure box is open; an operator's click always may.
    void reportFailure(const std::string& text, bool unattended);
    // The error number a failure is reported with, and its line in the log.
    static std::int32_t errorNumber(const std::exception& error);
    static void logFailure(const std::exception& error, const std::string& database = {});

    // The inputs "开始运行" needs, each refusal with its box, and the
    // database check.
    bool startChecksPass();
    // The background runner's last result, when the operator should see it.
    void showRunnerAlert();
    // One line for each slot field that is no valid "hh:mm:ss" time and so
    // never matches the clock; empty when every slot can run.
    std::string slotsThatNeverRun() const;
    // One tick of the running schedule: the slot check, and at a slot the
    // backup run of the given mode, its failure shown once it has ended.
    void runSlot(BackupMode mode);

    PlatformServices m_services;
    std::vector<Control*> m_controls;
    std::vector<Control*> m_tabOrder;

    std::string m_caption;
    Icon m_icon = Icon::None;
    bool m_visible = true;
    bool m_minimized = false;
    float m_left = 0;
    float m_top = 0;
    bool m_showInTaskbar = true;
    bool m_unloaded = false;

    SlotCheck m_slotCheck;
    bool m_runInProgress = false;
    // A server-error box is open (its nested event loop still runs the ticks).
    bool m_failureBoxOpen = false;
};

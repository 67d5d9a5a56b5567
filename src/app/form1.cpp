#include "app/form1.h"

#include <iostream>

#include "text/sites.h"
#include "job/run_records.h"
#include "platform/clock.h"
#include "platform/executable_info.h"
#include "platform/file_io.h"
#include "platform/message_box.h"
#include "platform/path_separator.h"
#include "platform/tray_service.h"
#include "platform/window_system.h"

namespace {

const FontSpec kLinkFont{"宋体", 9, true};

} // namespace

Form1::Form1(PlatformServices services)
    : Frame1("Frame1", ControlKind::Frame, "MSSQL备份", {120, 120, 6615, 1725})
    , Label1("Label1", "服务器：", {360, 360, 720, 180}, &Frame1)
    , Text1("Text1", "127.0.0.1", {1200, 360, 1935, 375})
    , Label2("Label2", "帐号：", {3120, 360, 615, 255}, &Frame1)
    , Text2("Text2", "sa", {3840, 360, 1095, 375})
    , Label3("Label3", "密码：", {4920, 360, 540, 180}, &Frame1)
    , Text3("Text3", "", {5640, 360, 975, 375}, '#')
    , Label4("Label4", "数据库：", {360, 840, 720, 180}, &Frame1)
    , Text4("Text4", "", {1200, 840, 1335, 375})
    , Command2("Command2", ControlKind::CommandButton, "Add", {2640, 840, 495, 375})
    , Label6("Label6", "列表：", {3120, 840, 540, 180}, &Frame1)
    , Combo1("Combo1", {3840, 840, 2175, 300})
    , Command3("Command3", ControlKind::CommandButton, "D", {6120, 840, 495, 315})
    , Label5("Label5", "备份位置：", {120, 1320, 900, 180}, &Frame1)
    , Text5("Text5", " ", {1200, 1320, 4575, 375})
    , Command4("Command4", ControlKind::CommandButton, "选择", {5880, 1320, 735, 375})
    , Command1("Command1", ControlKind::CommandButton, "开始运行", {120, 1905, 975, 495})
    , Command5("Command5", ControlKind::CommandButton, "托盘", {1200, 1905, 735, 495})
    , Command6("Command6", ControlKind::CommandButton, "保存配置", {2040, 1905, 975, 495})
    , Command7("Command7", ControlKind::CommandButton, "数据恢复", {3120, 1905, 975, 495})
    , Command8("Command8", ControlKind::CommandButton, "退出", {4200, 1905, 855, 495})
    , Option1("Option1", "替换备份", {5280, 1920, 1455, 255}, true)
    , Option2("Option2", "按时间段备份", {5280, 2190, 1455, 180}, false)
    , Frame2("Frame2", ControlKind::Frame, "时间段设置", {120, 2505, 6615, 735})
    , Label9("Label9", "时间段1：", {120, 360, 810, 180}, &Frame2)
    , Text8("Text8", "12:00:00", {960, 240, 975, 390}, '\0', &Frame2)
    , Label8("Label8", "时间段2：", {2040, 360, 855, 255}, &Frame2)
    , Text7("Text7", "18:00:00", {2880, 240, 975, 375}, '\0', &Frame2)
    , Label7("Label7", "时间段3：", {3960, 360, 855, 255}, &Frame2)
    , Text6("Text6", "03:00:00", {4800, 240, 975, 375}, '\0', &Frame2)
    , Check1("Check1", "锁", {6000, 315, 495, 255}, &Frame2)
    , Label11("Label11", "升级本程序：" + Sites::upperHostOf(Sites::kUpdate), {120, 3360, 2250, 180}, nullptr,
              kLinkFont)
    , Label10("Label10", "二手网：" + Sites::upperHostOf(Sites::kMarket), {2520, 3360, 1890, 180}, nullptr, kLinkFont)
    , Label12("Label12", "人才网：" + Sites::upperHostOf(Sites::kJob), {4560, 3360, 2070, 180}, nullptr, kLinkFont)
    , Timer1(1000)
    , imgIcon1(Icon::Idle)
    , imgIcon2(Icon::Running)
    , stops("stops", "停止运行")
    , mnuChange("mnuChange", "显示窗口")
    , lin2("lin2", "-")
    , upcc("upcc", "升级程序")
    , autob("autob", "关于程序")
    , mnuExit("mnuExit", "退 出")
    , mnuPopUp("mnuPopUp", "PopUp_Menu", {&stops, &mnuChange, &lin2, &upcc, &autob, &mnuExit})
    , m_services(services)
    , m_caption(idleTitle())
{
    Option1.joinGroup(Option2);
    m_controls = {&Frame1,   &Label1,   &Text1,    &Label2,   &Text2,   &Label3,  &Text3,    &Label4,   &Text4,
                  &Command2, &Label6,   &Combo1,   &Command3, &Label5,  &Text5,   &Command4, &Command1, &Command5,
                  &Command6, &Command7, &Command8, &Option1,  &Option2, &Frame2,  &Label9,   &Text8,    &Label8,
                  &Text7,    &Label7,   &Text6,    &Check1,   &Label11, &Label10, &Label12};
    m_tabOrder = {&Command1, &Text1,    &Text2,    &Text3,    &Text4,    &Text5,    &Combo1,
                  &Command2, &Command3, &Command4, &Command5, &Command6, &Command7, &Command8,
                  &Option2,  &Option1,  &Text6,    &Text7,    &Text8,    &Check1};
    wireEvents();
}

void Form1::wireEvents()
{
    Command1.clicked.connect([this] { Command1_Click(); });
    Command2.clicked.connect([this] { Command2_Click(); });
    Command3.clicked.connect([this] { Command3_Click(); });
    Command4.clicked.connect([this] { Command4_Click(); });
    Command5.clicked.connect([this] { Command5_Click(); });
    Command6.clicked.connect([this] { Command6_Click(); });
    Command7.clicked.connect([this] { Command7_Click(); });
    Command8.clicked.connect([this] { Command8_Click(); });
    Check1.clicked.connect([this] { Check1_Click(); });
    Label10.clicked.connect([this] { Label10_Click(); });
    Label11.clicked.connect([this] { Label11_Click(); });
    Label12.clicked.connect([this] { Label12_Click(); });
    stops.clicked.connect([this] { stops_Click(); });
    mnuChange.clicked.connect([this] { mnuChange_Click(); });
    upcc.clicked.connect([this] { upcc_Click(); });
    autob.clicked.connect([this] { autob_Click(); });
    mnuExit.clicked.connect([this] { mnuExit_Click(); });
    // A new run starts a fresh schedule: slots before it are not caught up.
    Timer1.changed.connect([this] {
        if (Timer1.enabled())
            m_slotCheck.restart();
    });
}

Control* Form1::findControl(const std::string& name) const
{
    for (Control* control : m_controls) {
        if (control->name() == name)
            return control;
    }
    return nullptr;
}

std::string Form1::idleTitle()
{
    return "[Ondrel] 更新 " + Sites::kUpdate;
}

std::string Form1::runningTitle()
{
    return "Ondrel已开启…… " + Sites::kUpdate;
}

void Form1::setCaption(std::string caption)
{
    if (caption == m_caption)
        return;
    m_caption = std::move(caption);
    windowChanged.emit();
}

void Form1::setIcon(Icon icon)
{
    if (icon == m_icon)
        return;
    m_icon = icon;
    windowChanged.emit();
}

void Form1::Show()
{
    m_visible = true;
    m_minimized = false;
    windowChanged.emit();
}

void Form1::Hide()
{
    // Without a notification area the icon could never bring the window
    // back: it goes to the taskbar minimised instead.
    if (m_services.tray.isAvailable()) {
        m_visible = false;
    } else {
        m_minimized = true;
        m_showInTaskbar = true;
    }
    windowChanged.emit();
}

void Form1::RestoredFromTaskbar()
{
    if (!m_minimized)
        return;
    Show();
    Command5.setEnabled(true);
    mnuChange.setCaption("隐藏托盘");
}

void Form1::Move(float left, float top)
{
    m_left = left;
    m_top = top;
    windowChanged.emit();
}

void Form1::msgBox(const std::string& text, const std::string& title)
{
    m_services.messageBox.show(text, title, MessageBox::OkOnly);
}

// --- Start-up ---------------------------------------------------------------

void Form1::Form_Load()
{
    setIcon(imgIcon1.picture());
    appPath = m_services.executable.folder();
    if (appPath.empty() || appPath.back() != kPathSeparator)
        appPath += kPathSeparator;
    setFile = appPath + m_services.executable.baseName() + ".ini";
    OpenSet(setFile);
    masterDb = "master";
    showRunnerAlert();
}

void Form1::showRunnerAlert()
{
    const std::string path = appPath + RunRecords::kFileName;
    if (!m_services.files.isRegularFile(path))
        return;
    std::optional<RunRecords> records;
    try {
        records = RunRecords::decode(m_services.files.readAll(path));
    } catch (const FileIo::Error& error) {
        std::cerr << "ondrel: the service's run records " << path << " cannot be read: " << error.what() << '\n';
    }
    if (!records)
        return;
    if (const auto alert = RunAlerts::forOperator(*records, m_services.clock.now()))
        msgBox(*alert);
}

// --- Exit -------------------------------------------------------------------

void Form1::Command8_Click()
{
    m_services.tray.hide();
    Unload();
}

void Form1::mnuExit_Click()
{
    Command8_Click();
}

void Form1::Form_QueryUnload()
{
    m_services.tray.hide();
}

void Form1::Unload()
{
    if (m_unloaded)
        return;
    Form_QueryUnload();
    m_unloaded = true;
    Timer1.setEnabled(false);
    ended.emit();
}

// The rendered window against the design's twips table, and the traffic
// between widgets and model in both directions.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "text/sites.h"
#include "fakes/file_bytes.h"
#include "unit/settings_file_bytes.h"
#include "window_harness.h"

namespace {

struct Placement {
    const char* control;
    const char* parent; // the widget it is a child of
    QRect inWindow;     // pixels at 96 dpi, relative to the window's client area
};

// The design's twips divided by 15, frame offsets added by hand.
// clang-format off
const Placement kPlacements[] = {
    {"Frame1", "Form1", {8, 8, 441, 115}},
    {"Label1", "Frame1", {32, 32, 48, 12}},      // (120 + 360, 120 + 360)
    {"Label2", "Frame1", {216, 32, 41, 17}},     // (120 + 3120, 120 + 360)
    {"Label5", "Frame1", {16, 96, 60, 12}},      // (120 + 120, 120 + 1320)
    {"Label6", "Frame1", {216, 64, 36, 12}},     // (120 + 3120, 120 + 840)
    {"Text1", "Form1", {80, 24, 129, 25}},
    {"Text3", "Form1", {376, 24, 65, 25}},
    {"Combo1", "Form1", {256, 56, 145, 20}},
    {"Command3", "Form1", {408, 56, 33, 21}},
    {"Text5", "Form1", {80, 88, 305, 25}},
    {"Command1", "Form1", {8, 127, 65, 33}},
    {"Command8", "Form1", {280, 127, 57, 33}},
    {"Option1", "Form1", {352, 128, 97, 17}},
    {"Option2", "Form1", {352, 146, 97, 12}},
    {"Frame2", "Form1", {8, 167, 441, 49}},
    {"Label9", "Frame2", {16, 191, 54, 12}},     // (120 + 120, 2505 + 360)
    {"Text8", "Frame2", {72, 183, 65, 26}},      // (120 + 960, 2505 + 240)
    {"Text6", "Frame2", {328, 183, 65, 25}},     // (120 + 4800, 2505 + 240)
    {"Check1", "Frame2", {408, 188, 33, 17}},    // (120 + 6000, 2505 + 315)
    {"Label11", "Form1", {8, 224, 150, 12}},
    {"Label12", "Form1", {304, 224, 138, 12}},
};
// clang-format on

void PrintTo(const Placement& p, std::ostream* out)
{
    *out << p.control;
}

class Geometry : public ::testing::TestWithParam<Placement> {};

TEST_P(Geometry, matchesTheTwipsTable)
{
    WindowHarness w;
    ASSERT_EQ(w.window.logicalDpiX(), 96);
    const Placement& p = GetParam();
    QWidget* widget = w.widget(p.control);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName().toStdString(), p.parent);
    const QRect rect(widget->mapTo(&w.window, QPoint(0, 0)), widget->size());
    EXPECT_EQ(rect, p.inWindow);
}

INSTANTIATE_TEST_SUITE_P(Controls, Geometry, ::testing::ValuesIn(kPlacements),
                         [](const auto& test) { return std::string(test.param.control); });

TEST(Window, hasTheDesignsFixedClientArea)
{
    WindowHarness w;
    EXPECT_EQ(w.window.size(), QSize(455, 242));
    EXPECT_EQ(w.window.minimumSize(), w.window.maximumSize());
}

TEST(Window, fieldsOutsideAFrameLieAboveIt)
{
    WindowHarness w;
    for (const char* name : {"Text1", "Combo1", "Command4"}) {
        QWidget* widget = w.widget(name);
        QWidget* top = w.window.childAt(widget->geometry().center());
        EXPECT_TRUE(top == widget || widget->isAncestorOf(top)) << name;
    }
}

TEST(Window, startsCentredWithTheFirstControlFocused)
{
    WindowHarness w;
    w.h.form.Form_Load();
    w.start();
    const QRect screen = w.window.screen()->geometry();
    const QRect frame = w.window.frameGeometry();
    EXPECT_LE(std::abs(frame.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - screen.center().y()), 1);
    EXPECT_EQ(w.focusedControl(), "Command1");
    EXPECT_EQ(w.window.windowTitle().toStdString(), Form1::idleTitle());
    EXPECT_FALSE(w.window.windowIcon().isNull());
}

TEST(Window, tabFollowsTheDesignsFocusOrder)
{
    WindowHarness w;
    w.start();
    const std::vector<std::string> expected = {"Command1", "Text1",    "Text2",    "Text3",    "Text4",    "Text5",
                                               "Combo1",   "Command2", "Command3", "Command4", "Command5", "Command6",
                                               "Command7", "Command8", "Option2",  "Option1",  "Text6",    "Text7",
                                               "Text8",    "Check1",   "Command1"};
    std::vector<std::string> visited{w.focusedControl()};
    for (std::size_t i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(w.focusedControl());
    }
    EXPECT_EQ(visited, expected);
}

TEST(Window, passwordFieldShowsAHashForEveryCharacter)
{
    WindowHarness w;
    w.start();
    auto* password = w.widget<QLineEdit>("Text3");
    password->setFocus();
    QTest::keyClicks(password, "s3cr#t");
    EXPECT_EQ(w.h.form.Text3.text(), "s3cr#t");
    EXPECT_EQ(password->displayText(), QStringLiteral("######"));
    w.h.form.Text3.setText("ab");
    EXPECT_EQ(password->displayText(), QStringLiteral("##"));
}

TEST(Window, linkLabelsAreUnderlinedNinePointSongti)
{
    WindowHarness w;
    for (const char* name : {"Label10", "Label11", "Label12"}) {
        const QFont font = w.widget(name)->font();
        EXPECT_EQ(font.families().value(0), QStringLiteral("宋体")) << name;
        EXPECT_TRUE(font.families().contains(QStringLiteral("WenQuanYi Zen Hei"))) << name;
        EXPECT_EQ(font.pointSize(), 9) << name;
        EXPECT_TRUE(font.underline()) << name;
    }
    EXPECT_FALSE(w.widget("Label1")->font().underline());
}

TEST(Window, optionButtonsCanShowNeitherSelected)
{
    WindowHarness w;
    w.start();
    auto* first = w.widget<QRadioButton>("Option1");
    auto* second = w.widget<QRadioButton>("Option2");
    w.h.form.Option1.setValue(false);
    EXPECT_FALSE(first->isChecked());
    EXPECT_FALSE(second->isChecked());

    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_TRUE(w.h.form.Option2.value());
    EXPECT_TRUE(second->isChecked());
    EXPECT_FALSE(first->isChecked());

    // Clicking the selected one keeps it selected, as the model says.
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_TRUE(w.h.form.Option2.value());
    EXPECT_TRUE(second->isChecked());

    QTest::mouseClick(first, Qt::LeftButton);
    EXPECT_TRUE(first->isChecked());
    EXPECT_FALSE(second->isChecked());
    EXPECT_FALSE(w.h.form.Option2.value());
}

TEST(Window, comboBoxNeitherInsertsNorCompletes)
{
    WindowHarness w;
    w.start();
    w.h.form.Combo1.addItem("master");
    w.h.form.Combo1.addItem("sales");
    auto* combo = w.widget<QComboBox>("Combo1");
    EXPECT_EQ(combo->completer(), nullptr);
    combo->setFocus();
    QTest::keyClicks(combo->lineEdit(), "ma");
    EXPECT_EQ(combo->lineEdit()->text(), QStringLiteral("ma"));
    QTest::keyClicks(combo->lineEdit(), "ster2");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(w.h.form.Combo1.listCount(), 2u);
    EXPECT_EQ(w.h.form.Combo1.text(), "master2");
    EXPECT_EQ(w.h.form.Combo1.listIndex(), -1);
}

TEST(Window, choosingFromTheListSelectsTheModelsEntry)
{
    WindowHarness w;
    w.start();
    w.h.form.Combo1.addItem("master");
    w.h.form.Combo1.addItem("sales");
    auto* combo = w.widget<QComboBox>("Combo1");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(w.h.form.Combo1.listIndex(), 1);
    EXPECT_EQ(w.h.form.Combo1.text(), "sales");
    EXPECT_EQ(combo->currentText(), QStringLiteral("sales"));
}

// Picked A, typed C and pressed "Add": the box shows C, so "D" removes C.
TEST(Window, dAfterAddRemovesTheEntryTheBoxShows)
{
    WindowHarness w;
    w.start();
    w.h.form.Combo1.addItem("A");
    w.h.form.Combo1.addItem("B");
    auto* combo = w.widget<QComboBox>("Combo1");
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    ASSERT_EQ(w.h.form.Combo1.listIndex(), 0);
    auto* name = w.widget<QLineEdit>("Text4");
    name->setFocus();
    QTest::keyClicks(name, "C");
    QTest::mouseClick(w.widget("Command2"), Qt::LeftButton);
    EXPECT_EQ(combo->currentIndex(), 2);
    EXPECT_EQ(combo->currentText(), QStringLiteral("C"));
    QTest::mouseClick(w.widget("Command3"), Qt::LeftButton);
    EXPECT_EQ(w.h.form.Combo1.items(), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(combo->currentText(), QStringLiteral("A"));
}

TEST(Window, listChangesOfTheModelRefillTheComboBox)
{
    WindowHarness w;
    ComboBox& model = w.h.form.Combo1;
    auto* combo = w.widget<QComboBox>("Combo1");
    model.addItem("a");
    model.addItem("b");
    model.addItem("c");
    model.setText("typed");
    model.removeItem(1);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("a"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("c"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("typed"));
    model.setListIndex(1);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(combo->currentText(), QStringLiteral("c"));
}

// The settings file is read before the window exists: the list it fills
// is in the drop-down from the start, and "D" removes the entry shown.
TEST(Window, theListReadAtStartUpIsInTheDropDown)
{
    using namespace SettingsFileBytes;
    FormHarness h;
    writeBytes(h.temp.path() / "ondrel.ini",
               crlfLines({kServerHeader, "127.0.0.1", "sa", "pw", kListHeader, "3", "shopdb",
                          "\xCF\xFA\xCA\xDB\xBF\xE2", "crm", kListEnd, kFolderHeader, "D:\\bak\\", kSystemHeader,
                          "True", "False", "0", "12:00:00", "18:00:00", "03:00:00"}));
    h.form.Form_Load();
    MainWindow window(h.form);
    window.start();
    auto* combo = window.findChild<QComboBox*>(QStringLiteral("Combo1"));
    ASSERT_NE(combo, nullptr);

    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("shopdb"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("销售库"));
    EXPECT_EQ(combo->itemText(2), QStringLiteral("crm"));
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(combo->currentText(), QStringLiteral("shopdb"));

    QTest::mouseClick(window.findChild<QWidget*>(QStringLiteral("Command3")), Qt::LeftButton);
    EXPECT_EQ(h.form.Combo1.items(), (std::vector<std::string>{"销售库", "crm"}));
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("销售库"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("销售库"));
}

// Typing in the middle of a field: a view that wrote the model's echo back
// would move the cursor to the end after the first key.
TEST(Window, typingUpdatesTheModelWithoutEcho)
{
    WindowHarness w;
    w.start();
    struct Field {
        const char* name;
        std::function<std::string()> modelText;
    };
    const Field fields[] = {
        {"Text1", [&] { return w.h.form.Text1.text(); }},
        {"Text6", [&] { return w.h.form.Text6.text(); }},
    };
    for (const Field& field : fields) {
        auto* edit = w.widget<QLineEdit>(field.name);
        edit->setFocus();
        const std::string before = field.modelText();
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, "xy");
        EXPECT_EQ(field.modelText(), "xy" + before) << field.name;
        EXPECT_EQ(edit->cursorPosition(), 2) << field.name;
    }

    auto* combo = w.widget<QComboBox>("Combo1");
    w.h.form.Combo1.setText("db");
    combo->setFocus();
    combo->lineEdit()->setCursorPosition(1);
    QTest::keyClicks(combo->lineEdit(), "xy");
    EXPECT_EQ(w.h.form.Combo1.text(), "dxyb");
    EXPECT_EQ(combo->lineEdit()->cursorPosition(), 3);
}

TEST(Window, modelChangesReachTheWidgets)
{
    WindowHarness w;
    Form1& form = w.h.form;
    form.Text1.setText("10.0.0.9");
    EXPECT_EQ(w.widget<QLineEdit>("Text1")->text(), QStringLiteral("10.0.0.9"));
    form.Command1.setCaption("停止备份");
    EXPECT_EQ(w.widget<QPushButton>("Command1")->text(), QStringLiteral("停止备份"));
    form.Text5.setEnabled(false);
    EXPECT_FALSE(w.widget("Text5")->isEnabled());
    form.Command7.setVisible(false);
    EXPECT_TRUE(w.widget("Command7")->isHidden());
    form.Label1.setCaption("主机：");
    EXPECT_EQ(w.widget<QLabel>("Label1")->text(), QStringLiteral("主机："));
    form.Option2.setValue(true);
    EXPECT_TRUE(w.widget<QRadioButton>("Option2")->isChecked());
    EXPECT_FALSE(w.widget<QRadioButton>("Option1")->isChecked());
    form.setCaption(Form1::runningTitle());
    EXPECT_EQ(w.window.windowTitle().toStdString(), Form1::runningTitle());

    const std::pair<int, Qt::CheckState> values[] = {{1, Qt::Checked}, {2, Qt::PartiallyChecked}, {0, Qt::Unchecked}};
    for (const auto& [value, state] : values) {
        form.Check1.setValue(value);
        EXPECT_EQ(w.widget<QCheckBox>("Check1")->checkState(), state) << value;
    }
}

TEST(Window, clicksReachTheModel)
{
    WindowHarness w;
    w.start();
    auto* lock = w.widget<QCheckBox>("Check1");
    QTest::mouseClick(lock, Qt::LeftButton);
    EXPECT_EQ(w.h.form.Check1.value(), 1);
    EXPECT_EQ(lock->text(), QStringLiteral("解"));
    EXPECT_TRUE(lock->isChecked());
    EXPECT_FALSE(w.widget("Text8")->isEnabled());
    QTest::mouseClick(lock, Qt::LeftButton);
    EXPECT_EQ(w.h.form.Check1.value(), 0);
    EXPECT_EQ(lock->text(), QStringLiteral("锁"));

    QTest::mouseClick(w.widget("Label10"), Qt::LeftButton);
    QTest::mouseClick(w.widget("Command7"), Qt::LeftButton);
    ASSERT_EQ(w.h.urls.opened.size(), 1u);
    EXPECT_EQ(w.h.urls.opened[0], Sites::kMarket);
    EXPECT_EQ(w.h.messages.texts(), std::vector<std::string>{"暂无此功能!"});
}

TEST(Window, followsTheModelsPosition)
{
    WindowHarness w;
    w.start();
    w.h.form.Move(1500, 3000);
    EXPECT_EQ(w.window.frameGeometry().topLeft(), QPoint(100, 200));
    // Another change of the window leaves a position the operator chose alone.
    w.window.move(40, 50);
    w.h.form.setCaption(Form1::runningTitle());
    EXPECT_EQ(w.window.frameGeometry().topLeft(), QPoint(40, 50));
}

TEST(Window, leavesTheTaskbarBehindATrayIconAndStaysUsable)
{
    WindowHarness w;
    w.h.form.Form_Load();
    w.start();
    EXPECT_FALSE(w.window.windowFlags().testFlag(Qt::Tool));
    w.h.form.iconm();
    EXPECT_TRUE(w.window.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(w.window.isVisible());

    QTest::mouseClick(w.widget("Command5"), Qt::LeftButton);
    EXPECT_FALSE(w.window.isVisible());
    w.h.form.TrayNotified(TrayService::Event::DoubleClick);
    EXPECT_TRUE(w.window.isVisible());
    EXPECT_TRUE(w.widget("Command5")->isEnabled());
}

TEST(Window, isMinimisedWhereNoTrayCouldBringItBack)
{
    WindowHarness w;
    w.h.tray.available = false;
    w.h.form.Form_Load();
    w.start();
    QTest::mouseClick(w.widget("Command5"), Qt::LeftButton);
    EXPECT_TRUE(w.window.isMinimized());
    EXPECT_FALSE(w.window.windowFlags().testFlag(Qt::Tool));

    // The operator restores it from the taskbar; "托盘" works again.
    w.window.showNormal();
    EXPECT_FALSE(w.h.form.minimized());
    EXPECT_TRUE(w.widget("Command5")->isEnabled());
    EXPECT_EQ(w.h.form.mnuChange.caption(), "隐藏托盘");
    QTest::mouseClick(w.widget("Command5"), Qt::LeftButton);
    EXPECT_TRUE(w.window.isMinimized());

    // The tray menu's "显示窗口" brings it back as well.
    w.h.form.mnuChange_Click();
    EXPECT_FALSE(w.window.isMinimized());
    EXPECT_TRUE(w.window.isVisible());
}

TEST(Window, screenshot)
{
    WindowHarness w;
    w.h.form.Form_Load();
    w.start();
    const QPixmap shot = w.window.grab();
    EXPECT_EQ(shot.size(), QSize(455, 242));
    EXPECT_TRUE(shot.save(QStringLiteral(ONDREL_BUILD_DIR "/ondrel-window.png")));
}

} // namespace

// The message box, the tray menu, the URL handler and the trash as the
// desktop gives them.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "text/sites.h"
#include "platform/qt/qt_message_box.h"
#include "platform/posix/freedesktop_shell.h"
#include "platform/qt/qt_url_opener.h"
#include "platform/qt/qt_window_system.h"
#include "window_harness.h"

namespace {

// Runs the check on the box or menu the call opens, then closes it.
void whileOpen(const std::function<void(QWidget*)>& check)
{
    QTimer::singleShot(0, [check] {
        QWidget* open = QApplication::activePopupWidget();
        if (!open)
            open = QApplication::activeModalWidget();
        ASSERT_NE(open, nullptr);
        check(open);
    });
}

TEST(MessageBoxText, showsCrLfAsALineBreakAndNothingElse)
{
    const std::pair<std::string, QString> cases[] = {
        {"a\r\n\r\nb", QStringLiteral("a\n\nb")},
        {"保存成功!", QStringLiteral("保存成功!")},
        {"a\r\nb\r\n", QStringLiteral("a\nb\n")},
        {"<b>x</b> & y", QStringLiteral("<b>x</b> & y")},
    };
    for (const auto& [text, shown] : cases)
        EXPECT_EQ(QtMessageBox::displayText(text), shown);
}

TEST(MessageBoxes, areModalWithTitleTextAndOkOnly)
{
    WindowHarness w;
    w.start();
    QtMessageBox box;
    box.setOwner(&w.window);
    for (const bool windowVisible : {true, false}) {
        w.window.setVisible(windowVisible);
        whileOpen([&](QWidget* open) {
            auto* shown = qobject_cast<QMessageBox*>(open);
            ASSERT_NE(shown, nullptr);
            EXPECT_EQ(shown->windowTitle(), QStringLiteral("关于程序"));
            EXPECT_EQ(shown->text(), QStringLiteral("一\n\n二"));
            EXPECT_EQ(shown->textFormat(), Qt::PlainText);
            EXPECT_EQ(shown->icon(), QMessageBox::NoIcon);
            ASSERT_EQ(shown->buttons().size(), 1);
            EXPECT_EQ(shown->buttons()[0]->text(), QStringLiteral("确定"));
            EXPECT_TRUE(shown->buttons()[0]->icon().isNull());
            EXPECT_TRUE(shown->isModal());
            EXPECT_EQ(shown->parentWidget(), windowVisible ? &w.window : nullptr);
            shown->buttons()[0]->click();
        });
        box.show("一\r\n\r\n二", "关于程序", MessageBox::OkOnly);
    }
}

TEST(TrayMenu, offersTheModelsItemsAndReturnsTheChoice)
{
    WindowHarness w;
    w.start();
    QtWindowSystem windowSystem;
    windowSystem.attach(&w.window);

    whileOpen([](QWidget* open) {
        auto* menu = qobject_cast<QMenu*>(open);
        ASSERT_NE(menu, nullptr);
        QStringList captions;
        for (const QAction* action : menu->actions())
            captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
        EXPECT_EQ(captions, (QStringList{"停止运行", "显示窗口", "-", "升级程序", "关于程序", "退 出"}));
        QAction* about = menu->actions()[4];
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(about).center());
    });
    EXPECT_EQ(windowSystem.popupMenu(w.h.form.mnuPopUp.entries()), "autob");

    whileOpen([](QWidget* open) { open->close(); });
    EXPECT_EQ(windowSystem.popupMenu(w.h.form.mnuPopUp.entries()), "");
}

// Takes the place of the desktop's browser.
class UrlRecorder final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
    Q_INVOKABLE void open(const QUrl& url) { opened << url; }
};

TEST(UrlOpener, handsTheExactAddressToTheDesktop)
{
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "open");
    QtUrlOpener opener;
    for (const std::string& site : {Sites::kUpdate, Sites::kMarket, Sites::kJob})
        opener.open(site);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    ASSERT_EQ(recorder.opened.size(), 3);
    EXPECT_EQ(recorder.opened[1].toString().toStdString(), Sites::kMarket);
}

// Points HOME and XDG_DATA_HOME at a test's folders, and back afterwards.
class Environment final {
public:
    void set(const char* name, const QByteArray& value)
    {
        m_saved.emplace_back(name, qgetenv(name), qEnvironmentVariableIsSet(name));
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~Environment()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            const auto& [name, value, wasSet] = *it;
            if (wasSet)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

private:
    std::vector<std::tuple<const char*, QByteArray, bool>> m_saved;
};

struct TrashCase {
    const char* name;
    bool setDataHome; // XDG_DATA_HOME set, or the default under HOME
    bool dataHomeExists;
    bool folder; // trash a folder rather than a file
};

void PrintTo(const TrashCase& c, std::ostream* out)
{
    *out << c.name;
}

class Trash : public ::testing::TestWithParam<TrashCase> {};

TEST_P(Trash, landsInTheFreedesktopPlace)
{
    const TrashCase& c = GetParam();
    QTemporaryDir scratch;
    const QDir root(scratch.path());
    root.mkpath(QStringLiteral("home"));
    root.mkpath(QStringLiteral("work"));
    root.mkpath(QStringLiteral("backups"));
    const QString dataHome =
        c.setDataHome ? root.filePath(QStringLiteral("data")) : root.filePath(QStringLiteral("home/.local/share"));
    if (c.dataHomeExists)
        root.mkpath(dataHome);

    Environment env;
    env.set("HOME", QFile::encodeName(root.filePath(QStringLiteral("home"))));
    env.set("XDG_DATA_HOME", c.setDataHome ? QFile::encodeName(dataHome) : QByteArray());
    const QString previousCurrent = QDir::currentPath();
    QDir::setCurrent(root.filePath(QStringLiteral("work")));

    const QString item = root.filePath(QStringLiteral("backups/sales.bak"));
    if (c.folder) {
        root.mkpath(item);
    } else {
        QFile file(item);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    FreedesktopShell shell;
    const bool moved = shell.moveToTrash(QFile::encodeName(item).toStdString(),
                                         QFile::encodeName(root.filePath(QStringLiteral("backups/"))).toStdString());
    QDir::setCurrent(previousCurrent);

    EXPECT_TRUE(moved);
    EXPECT_FALSE(QFileInfo::exists(item));
    EXPECT_TRUE(QFileInfo::exists(dataHome + QStringLiteral("/Trash/files/sales.bak")));
    EXPECT_TRUE(QFileInfo::exists(dataHome + QStringLiteral("/Trash/info/sales.bak.trashinfo")));
    EXPECT_TRUE(QDir(root.filePath(QStringLiteral("work"))).isEmpty());
}

const TrashCase kTrashCases[] = {
    {"DefaultDataHomeMissing", false, false, false},
    {"DefaultDataHomePresent", false, true, false},
    {"OwnDataHomeMissing", true, false, false},
    {"FolderWithDataHomeMissing", false, false, true},
};

INSTANTIATE_TEST_SUITE_P(FreedesktopShell, Trash, ::testing::ValuesIn(kTrashCases),
                         [](const auto& test) { return std::string(test.param.name); });

} // namespace

#include "desktop_seams_test.moc"

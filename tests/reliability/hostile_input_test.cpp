// Hostile text in every field and list entry, over the real road: the
// server's log shows exactly one well-formed statement per intended action,
// nothing injected, and every refusal reaches the operator.

#include "backup/road_schedule.h"
#include "fakes/file_bytes.h"

namespace {

std::string doubled(const std::string& text, char quote)
{
    std::string result;
    for (char c : text) {
        result += c;
        if (c == quote)
            result += quote;
    }
    return result;
}

const std::string kLongName(129, 'n');

struct Entry {
    const char* label;
    std::string name;
    bool onServer;         // the stand-in has a database of that name
    bool fileCanBeWritten; // the name makes a file name the folder can hold
};

void PrintTo(const Entry& e, std::ostream* os)
{
    *os << e.label;
}

// clang-format off
const Entry kEntries[] = {
    {"closingBracket", "a]b", true, true},
    {"apostrophe", "o'brien", true, true},
    {"semicolon", "x;select 1", true, true},
    {"braces", "{x}", true, true},
    {"closingBrace", "}z", true, true},
    {"lineComment", "--c", true, true},
    {"blockComment", "/*c*/", true, false},
    {"injection", "x] to disk='evil.bak';--", true, true},
    {"chinese", "销售数据库", true, true},
    {"otherScripts", "Ünïcødé-Ελληνικά", true, true},
    {"blanks", "two words ", true, true},
    {"tooLong", kLongName, false, true},
};
// clang-format on

class HostileEntry : public ::testing::TestWithParam<Entry> {};

TEST_P(HostileEntry, isLookedUpAndBackedUpWithOneWellFormedStatementEach)
{
    const Entry& e = GetParam();
    std::vector<std::string> databases{"sales:16KB"};
    if (e.onServer)
        databases.push_back(e.name + ":16KB");
    RoadWindow w(standin(databases));
    Form1& f = w.form;
    auto& h = w.harness;
    const std::string folder = (h.temp.path() / "bak").string() + "/";
    f.Text5.setText(folder);
    f.Text4.setText(e.name);
    f.Command2.click();
    ASSERT_EQ(f.Combo1.items(), std::vector<std::string>{e.name});
    h.clock.set({2026, 12, 6, 11, 59, 0, 0});

    f.Command1.click();
    const std::string lookup = "Select * From master.dbo.sysdatabases Where name = N'" + doubled(e.name, '\'') + "'";
    ASSERT_EQ(w.server.statements(), std::vector<std::string>{lookup});
    if (!e.onServer) {
        EXPECT_EQ(h.messages.texts(), std::vector<std::string>{e.name + "数据库不存在,请重新输入或请从列表中删除!"});
        EXPECT_EQ(f.Command1.caption(), "开始运行");
        return;
    }
    ASSERT_EQ(f.Command1.caption(), "停止备份");

    for (int i = 0; i < 61; ++i) {
        h.clock.advanceSeconds(1);
        f.Timer1_Timer();
    }
    const std::string file = folder + e.name + ".bak";
    EXPECT_EQ(w.server.statements(),
              (std::vector<std::string>{
                  lookup, "backup database [" + doubled(e.name, ']') + "] to disk=N'" + doubled(file, '\'') + "'"}));
    if (e.fileCanBeWritten) {
        EXPECT_EQ(h.messages.boxes.size(), 1u) << h.messages.boxes.back().text;
        const auto inspection = inspectBackup(file);
        ASSERT_EQ(inspection.sets.size(), 1u);
        EXPECT_EQ(inspection.sets[0].database, e.name);
    } else {
        // The server cannot create the file: refused, and said so.
        ASSERT_EQ(h.messages.boxes.size(), 2u);
        EXPECT_EQ(h.messages.boxes[1].text, "没有找到具有该名的数据库，请确保正确地输入了名称!-2147217900");
    }
    EXPECT_FALSE(std::filesystem::exists(h.temp.path() / "evil.bak"));
    EXPECT_FALSE(std::filesystem::exists(w.server.backupDir() / "evil.bak"));
}

INSTANTIATE_TEST_SUITE_P(Names, HostileEntry, ::testing::ValuesIn(kEntries),
                         [](const ::testing::TestParamInfo<Entry>& param) { return param.param.label; });

class HostileField : public BackupRoad {
protected:
    HostileField() : BackupRoad({"sales:16KB"}, {}) { list({"sales"}); }
    std::vector<StandinLogEntry> logins() const { return w.logins(); }
};

// The driver reads the braced server value as a host and a port and stops
// there: it connects as the operator's account to master, nothing more.
TEST_F(HostileField, aServerFieldCannotAddAttributes)
{
    f.Text1.setText(w.server.serverField() + ";Database=tempdb;uid=evil");
    f.Command1.click();
    ASSERT_EQ(logins().size(), 1u);
    EXPECT_EQ(logins()[0].user, "sa");
    EXPECT_NE(logins()[0].raw.find("\"database\":\"master\""), std::string::npos) << logins()[0].raw;
    EXPECT_EQ(w.server.statements(),
              std::vector<std::string>{"Select * From master.dbo.sysdatabases Where name = N'sales'"});
}

TEST_F(HostileField, anAccountFieldIsOneLoginName)
{
    f.Text2.setText("sa;pwd=Secret#1;x={");
    f.Command1.click();
    EXPECT_EQ(w.harness.messages.texts(), std::vector<std::string>{"登录帐号或密码失败!-2147217843"});
    ASSERT_EQ(logins().size(), 1u);
    EXPECT_EQ(logins()[0].user, "sa;pwd=Secret#1;x={");
    EXPECT_FALSE(logins()[0].ok);
}

class HostilePassword : public ::testing::TestWithParam<const char*> {};

TEST_P(HostilePassword, logsInWithExactlyThatPassword)
{
    const std::string password = GetParam();
    RoadWindow w(standin({"sales:16KB"}, {}, {"sa:" + password}));
    w.form.Text3.setText(password);
    w.form.Combo1.addItem("sales");
    w.form.Command1.click();
    EXPECT_EQ(w.form.Command1.caption(), "停止备份")
        << (w.harness.messages.boxes.empty() ? "" : w.harness.messages.boxes[0].text);
    ASSERT_EQ(w.logins().size(), 1u);
    EXPECT_TRUE(w.logins()[0].ok);
}

INSTANTIATE_TEST_SUITE_P(Passwords, HostilePassword,
                         ::testing::Values("pa;ss", "pa}ss", "}", "{braced", " blank ", "密码;", "--", "'; x"));

// What this driver cannot be handed intact is refused before anything is
// sent, and the operator is told why.
TEST(HostilePasswordNotCarried, isRefusedWithAClearMessage)
{
    for (const char* password : {"{braced}", "密码;}"}) {
        RoadWindow w(standin({"sales:16KB"}, {}, {std::string("sa:") + password}));
        w.form.Text3.setText(password);
        w.form.Combo1.addItem("sales");
        w.form.Command1.click();
        EXPECT_EQ(w.form.Command1.caption(), "开始运行");
        ASSERT_EQ(w.harness.messages.boxes.size(), 1u);
        EXPECT_EQ(w.harness.messages.boxes[0].text,
                  "服务器、帐号或密码中含有数据库驱动无法原样传送的字符组合(如“}”与“;”同用),未连接服务器,请修改后重试。"
                  "报错号:-2147217887");
        EXPECT_TRUE(w.server.log().empty());
    }
}

// A NUL in a list entry (a hand-edited settings file) would cut the name
// short on its way: the server would be asked about another database. The
// entry is refused with a box before anything is sent, at 开始运行 and at a
// slot alike.
TEST_F(HostileField, aListEntryWithANulIsRefusedBeforeAnythingIsSent)
{
    f.Combo1.addItem(std::string("sales\0x", 7));
    const std::string refusal =
        "数据库列表第2项(“sales…”)含有空字符(NUL),无法原样发送给服务器,未连接服务器。请从列表中删除此项。";
    f.Timer1.setEnabled(false);
    f.Command1.click();
    EXPECT_EQ(w.harness.messages.texts(), std::vector<std::string>{refusal});
    EXPECT_EQ(f.Command1.caption(), "开始运行");

    f.Timer1.setEnabled(true);
    tick(60);
    EXPECT_EQ(w.harness.messages.texts(), (std::vector<std::string>{refusal, refusal}));
    EXPECT_TRUE(w.server.log().empty());
    EXPECT_TRUE(f.Timer1.enabled());
}

TEST_F(HostileField, slotFieldsThatAreNoTimeNeverRunAndNeverCrash)
{
    f.Text8.setText("'; backup database [x] to disk='y'--");
    f.Text7.setText("12:00:00; 13:00:00");
    f.Text6.setText("99:99:99");
    for (int i = 0; i < 3 * 3600; ++i) {
        w.harness.clock.advanceSeconds(1);
        f.Timer1_Timer();
    }
    EXPECT_TRUE(w.server.log().empty());
    EXPECT_TRUE(w.harness.messages.boxes.empty());
}

TEST_F(HostileField, aFolderWithBlanksAndQuotesIsOnePath)
{
    folder = (w.harness.temp.path() / "it's a folder; --").string() + "/";
    f.Text5.setText(folder);
    tick(60);
    EXPECT_EQ(backups(),
              std::vector<std::string>{"backup database [sales] to disk=N'" + doubled(folder, '\'') + "sales.bak'"});
    expectOneSetOf(folder + "sales.bak", "sales");
}

} // namespace

#include <gtest/gtest.h>

#include "fakes/form_harness.h"

namespace {

using Items = std::vector<std::string>;

class JobEditing : public ::testing::Test {
protected:
    void fill(const Items& items)
    {
        for (const std::string& item : items)
            f.Combo1.addItem(item);
    }

    FormHarness h;
    Form1& f = h.form;
};

TEST_F(JobEditing, addTakesTheNameExactlyAsTyped)
{
    f.Command2.click();
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].text, "请输入需要备份的数库名。");
    EXPECT_EQ(h.messages.boxes[0].title, "提示");
    EXPECT_EQ(f.Combo1.listCount(), 0u);

    for (const char* name : {" ", "sales", "sales", "中文库"}) {
        f.Text4.setText(name);
        f.Command2.click();
        EXPECT_EQ(f.Combo1.text(), name);
        EXPECT_EQ(f.Text4.text(), "");
    }
    EXPECT_EQ(f.Combo1.items(), (Items{" ", "sales", "sales", "中文库"}));
    EXPECT_EQ(h.messages.boxes.size(), 1u);
}

TEST_F(JobEditing, removeTheSelectedEntry)
{
    fill({"A", "B", "C"});
    f.Combo1.setListIndex(1);
    f.Command3.click();
    EXPECT_EQ(f.Combo1.items(), (Items{"A", "C"}));
    EXPECT_EQ(f.Combo1.text(), "A");

    FormHarness one;
    one.form.Combo1.addItem("only");
    one.form.Combo1.setListIndex(0);
    one.form.Command3.click();
    EXPECT_EQ(one.form.Combo1.listCount(), 0u);
    EXPECT_EQ(one.form.Combo1.text(), "");
}

struct RemoveByText {
    Items before;
    std::string typed;
    Items after;
    std::string shown;
};

class RemoveByTextTest : public ::testing::TestWithParam<RemoveByText> {};

// With nothing selected, "D" removes exactly the entries equal to the text in
// the box at the click, and nothing the operator did not name.
TEST_P(RemoveByTextTest, removesOnlyTheNamedEntries)
{
    const RemoveByText& c = GetParam();
    FormHarness h;
    for (const std::string& item : c.before)
        h.form.Combo1.addItem(item);
    h.form.Combo1.typeText(c.typed);
    h.form.Command3.click();
    EXPECT_EQ(h.form.Combo1.items(), c.after);
    EXPECT_EQ(h.form.Combo1.text(), c.shown);
    EXPECT_TRUE(h.messages.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RemoveByTextTest,
                         ::testing::Values(RemoveByText{{"A", "B", "A"}, "B", {"A", "A"}, "A"},
                                           RemoveByText{{"B", "A", "A"}, "B", {"A", "A"}, "A"},
                                           RemoveByText{{"A", "B", "A"}, "A", {"B"}, "B"},
                                           RemoveByText{{"A", "B"}, "a", {"A", "B"}, "a"},
                                           RemoveByText{{}, "A", {}, "A"}));

// One operator sequence on the list: "add X" types X into "数据库" and
// presses "Add", "pick N" chooses entry N from the drop-down list, "type X"
// types X into the list's box, "D" presses "D".
struct ListSequence {
    const char* name;
    Items before;
    std::vector<std::string> steps;
    Items after;
    std::string shown;
    long selected;
};

void PrintTo(const ListSequence& c, std::ostream* os)
{
    *os << c.name;
}

class ListSequenceTest : public ::testing::TestWithParam<ListSequence> {};

// "D" removes what the box shows: a text the program puts into the box
// selects the first entry equal to it, or none.
TEST_P(ListSequenceTest, dRemovesWhatTheBoxShows)
{
    const ListSequence& c = GetParam();
    FormHarness h;
    ComboBox& list = h.form.Combo1;
    for (const std::string& item : c.before)
        list.addItem(item);
    for (const std::string& step : c.steps) {
        if (step.rfind("add ", 0) == 0) {
            h.form.Text4.setText(step.substr(4));
            h.form.Command2.click();
        } else if (step.rfind("pick ", 0) == 0) {
            list.setListIndex(std::stol(step.substr(5)));
        } else if (step.rfind("type ", 0) == 0) {
            list.typeText(step.substr(5));
        } else {
            ASSERT_EQ(step, "D");
            h.form.Command3.click();
        }
    }
    EXPECT_EQ(list.items(), c.after);
    EXPECT_EQ(list.text(), c.shown);
    EXPECT_EQ(list.listIndex(), c.selected);
    EXPECT_TRUE(h.messages.boxes.empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Cases, ListSequenceTest,
    ::testing::Values(
        ListSequence{"pickAddD", {"A", "B"}, {"pick 0", "add C", "D"}, {"A", "B"}, "A", 0},
        ListSequence{"pickAddDD", {"A", "B"}, {"pick 0", "add C", "D", "D"}, {"B"}, "B", 0},
        ListSequence{"addTwiceD", {}, {"add A", "add B", "D"}, {"A"}, "A", 0},
        ListSequence{"addADuplicateSelectsTheFirstEqual", {"A", "B"}, {"pick 1", "add A"}, {"A", "B", "A"}, "A", 0},
        ListSequence{"addADuplicateThenD", {"A", "B"}, {"pick 1", "add A", "D"}, {"B", "A"}, "B", 0},
        ListSequence{"pickTypeUnknownD", {"A", "B"}, {"pick 0", "type Z", "D"}, {"A", "B"}, "Z", -1},
        ListSequence{"pickAddTypeD", {"A", "B"}, {"pick 0", "add C", "type B", "D"}, {"A", "C"}, "A", 0},
        ListSequence{"pickLastD", {"A", "B", "A"}, {"pick 2", "D"}, {"A", "B"}, "A", 0},
        ListSequence{"dUntilEmpty", {"A"}, {"add B", "D", "D", "D"}, {}, "", -1}),
    [](const ::testing::TestParamInfo<ListSequence>& param) { return std::string(param.param.name); });
// clang-format on

TEST_F(JobEditing, aTextSetByTheProgramSelectsTheFirstEqualEntryOrNone)
{
    fill({"A", "B", "A"});
    int changes = 0;
    f.Combo1.changed.connect([&changes] { ++changes; });
    f.Combo1.setText("A");
    EXPECT_EQ(f.Combo1.listIndex(), 0);
    EXPECT_EQ(changes, 1);
    f.Combo1.setListIndex(2);
    changes = 0;
    f.Combo1.setText("A");
    EXPECT_EQ(f.Combo1.listIndex(), 0) << "the same text still moves the selection to the first equal entry";
    EXPECT_EQ(changes, 1);
    f.Combo1.setText("a");
    EXPECT_EQ(f.Combo1.listIndex(), -1) << "comparisons are exact";
}

TEST_F(JobEditing, typingIntoTheBoxDropsTheSelection)
{
    fill({"A", "B"});
    f.Combo1.setListIndex(1);
    f.Combo1.typeText("B");
    EXPECT_EQ(f.Combo1.listIndex(), -1);
    f.Command3.click();
    EXPECT_EQ(f.Combo1.items(), (Items{"A"}));
}

TEST_F(JobEditing, folderPickerKeepsTheCaseOfACaseSensitiveFileSystem)
{
    h.folderPicker.answers = {std::string("/srv/Data/Backup"), std::string("/"), std::nullopt, std::string("/")};
    f.Command3.setEnabled(false);

    f.Command4.click();
    EXPECT_EQ(f.Text5.text(), "/srv/Data/Backup/");
    EXPECT_TRUE(f.Command3.enabled());
    f.Command4.click();
    EXPECT_EQ(f.Text5.text(), "/") << "a root gets no second separator";
    f.Command4.click();
    EXPECT_EQ(f.Text5.text(), "/") << "cancel changes nothing";

    int changes = 0;
    f.Text5.changed.connect([&changes] { ++changes; });
    f.Command4.click();
    EXPECT_EQ(changes, 0) << "the same folder again changes nothing";
    EXPECT_EQ(h.folderPicker.opened, 4);
}

TEST_F(JobEditing, folderPickerUpperCasesWhereCaseDoesNotMatter)
{
    h.folderPicker.caseInsensitive = true;
    h.folderPicker.answers = {std::string("/mnt/c/Data/Backup"), std::string("")};
    f.Command4.click();
    EXPECT_EQ(f.Text5.text(), "/MNT/C/DATA/BACKUP/");
    // An item without a file-system path.
    f.Command4.click();
    EXPECT_EQ(f.Text5.text(), "/");
}

TEST_F(JobEditing, cancellingThePickerKeepsTheInitialBlank)
{
    f.Command4.click();
    EXPECT_EQ(f.Text5.text(), " ");
}

} // namespace

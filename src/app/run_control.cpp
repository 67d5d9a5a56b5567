// Starting and stopping the schedule, and the lock of the slot fields.

#include <iostream>

#include "app/form1.h"
#include "platform/schedule_lock.h"

// stops: the tray menu's twin of Command1.
void Form1::stops_Click()
{
    Command1_Click();
}

void Form1::Command1_Click()
{
    // A running schedule always stops at once: stopping must not depend on
    // the inputs or on the server answering.
    if (Command1.caption() != "开始运行") {
        switchRunState(false);
        setCaption(idleTitle());
        m_services.scheduleLock.release();
        return;
    }

    // One schedule per settings file: a background service that runs this
    // file's schedule would back every slot up a second time.
    switch (setFile.empty() ? ScheduleLock::Outcome::Unavailable : m_services.scheduleLock.take(setFile)) {
    case ScheduleLock::Outcome::Held:
        break;
    case ScheduleLock::Outcome::HeldElsewhere:
        msgBox("后台备份服务正在运行此配置文件的备份计划,窗口不再开启备份,以免同一时间段备份两次。");
        return;
    case ScheduleLock::Outcome::Unavailable:
        std::cerr << "ondrel: the schedule's lock file beside " << setFile << " cannot be opened or made\n";
        break;
    }
    if (!startChecksPass()) {
        m_services.scheduleLock.release();
        return;
    }
    // A slot that can never match is kept (it may switch a slot off on
    // purpose), but never passes without a word.
    const std::string neverRun = slotsThatNeverRun();
    if (!neverRun.empty())
        msgBox(neverRun);
    setCaption(runningTitle());
    msgBox("备份已开启,请确保需备份数据存在,及“目的位置”目录文件夹存在。");
    setIcon(imgIcon2.picture());
    iconm();
    switchRunState(true);
}

bool Form1::startChecksPass()
{
    const struct {
        const std::string& text;
        const char* message;
    } required[] = {
        {Text1.text(), "服务器IP不能为空。"},
        {Text2.text(), "帐号不能为空。"},
        {Text3.text(), "密码不能为空。"},
    };
    for (const auto& check : required) {
        if (check.text.empty()) {
            msgBox(check.message);
            return false;
        }
    }
    if (Combo1.listCount() == 0) {
        msgBox("请添加需备份的数据库名到列表。");
        return false;
    }
    if (Text5.text().empty()) {
        msgBox("备份位置不能为空。");
        return false;
    }
    return bd() == Combo1.listCount();
}

// What starting and stopping change, in the same order both ways: the run
// state itself, the timer, and which inputs the operator may edit.
void Form1::switchRunState(bool running)
{
    const char* caption = running ? "停止备份" : "开始运行";
    Command1.setCaption(caption);
    stops.setCaption(caption);
    Timer1.setEnabled(running);
    Option1.setEnabled(!running);
    Option2.setEnabled(!running);
    for (TextBox* field : {&Text1, &Text2, &Text3, &Text5, &Text8, &Text7, &Text6})
        field->setEnabled(!running);
    Check1.setValue(running ? 1 : 0);
    for (Control* button : {&Command4, &Command3, &Command7})
        button->setEnabled(!running);
}

// Runs on every change of Check1's value; decides by the caption alone.
void Form1::Check1_Click()
{
    if (Check1.caption() == "解") {
        for (TextBox* field : {&Text8, &Text7, &Text6})
            field->setEnabled(true);
        Check1.setCaption("锁");
    } else {
        Check1.setCaption("解");
        for (TextBox* field : {&Text8, &Text7, &Text6})
            field->setEnabled(false);
    }
}

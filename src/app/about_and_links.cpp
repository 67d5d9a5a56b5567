// The About box, the maker's links and the restore placeholder.

#include "app/form1.h"
#include "text/sites.h"
#include "platform/message_box.h"
#include "platform/url_opener.h"
#include "text/letter_case.h"

void Form1::autob_Click()
{
    m_services.messageBox.show("程序更新网址：" + LetterCase::upper(Sites::kUpdate) + " ." + "\r\n\r\n"
                                   + "注：如发现本程序有出现BUG,请登录我的blog提交BUG报错信息。" + "\r\n\r\n"
                                   + "如有导致数据损失之类问题,本程序将不会承担任何责任。",
                               "关于程序", MessageBox::OkOnly);
}

void Form1::upcc_Click()
{
    m_services.urlOpener.open(Sites::kUpdate);
}

void Form1::Label10_Click()
{
    m_services.urlOpener.open(Sites::kMarket);
}

void Form1::Label11_Click()
{
    m_services.urlOpener.open(Sites::kUpdate);
}

void Form1::Label12_Click()
{
    m_services.urlOpener.open(Sites::kJob);
}

// "数据恢复"
void Form1::Command7_Click()
{
    msgBox("暂无此功能!");
}

#include <gtest/gtest.h>

#include "text/sites.h"
#include "case_name.h"
#include "fakes/form_harness.h"
#include "job/server_error_report.h"

namespace {

struct ReportCase {
    const char* name;
    std::int32_t number;
    std::string text;
};

class ServerErrorText : public testing::TestWithParam<ReportCase> {};

// Any failure of bd ends in exactly one box with the report's text.
TEST_P(ServerErrorText, isTheOneBoxOfAFailedCheck)
{
    EXPECT_EQ(ServerErrorReport::message(GetParam().number), GetParam().text);

    FormHarness h;
    h.form.Combo1.addItem("sales");
    h.fakeDb.openFailure = GetParam().number;
    h.form.bd();
    ASSERT_EQ(h.messages.boxes.size(), 1u);
    EXPECT_EQ(h.messages.boxes[0].text, GetParam().text);
    EXPECT_EQ(h.messages.boxes[0].title, "提示");
    EXPECT_EQ(h.messages.boxes[0].style, 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Numbers, ServerErrorText,
    testing::Values(ReportCase{"runTimeError13", 13, "请登录" + Sites::kUpdate + "提交报错号:13"},
                    // Negative numbers other than the three known ones are not silent.
                    ReportCase{"unknownNegative", -2147024891, "请登录" + Sites::kUpdate + "提交报错号:-2147024891"},
                    ReportCase{"minusOne", -1, "请登录" + Sites::kUpdate + "提交报错号:-1"},
                    ReportCase{"cannotConnect", DatabaseError::kFail, "连接服务器超时或MSSQL数据不存在,报错号:-2147467259"},
                    ReportCase{"loginRejected", DatabaseError::kAuthFailed, "登录帐号或密码失败!-2147217843"},
                    ReportCase{"statementRefused", DatabaseError::kErrorsInCommand,
                               "没有找到具有该名的数据库，请确保正确地输入了名称!-2147217900"}),
    CaseName());
// clang-format on

} // namespace

#include "job/server_error_report.h"

#include "text/sites.h"
#include "platform/database_error.h"

namespace ServerErrorReport {

std::string message(std::int32_t number)
{
    const std::string digits = std::to_string(number);
    switch (number) {
    case DatabaseError::kFail:
        return "连接服务器超时或MSSQL数据不存在,报错号:" + digits;
    case DatabaseError::kAuthFailed:
        return "登录帐号或密码失败!" + digits;
    case DatabaseError::kErrorsInCommand:
        return "没有找到具有该名的数据库，请确保正确地输入了名称!" + digits;
    case DatabaseError::kValueNotCarried:
        return "服务器、帐号或密码中含有数据库驱动无法原样传送的字符组合(如“}”与“;”同用),未连接服务器,"
               "请修改后重试。报错号:"
            + digits;
    default:
        return "请登录" + Sites::kUpdate + "提交报错号:" + digits;
    }
}

} // namespace ServerErrorReport

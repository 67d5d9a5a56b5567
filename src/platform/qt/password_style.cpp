#include "platform/qt/password_style.h"

#include <QChar>

PasswordStyle::PasswordStyle(char passwordChar) : m_passwordChar(passwordChar) {}

int PasswordStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const
{
    if (hint == SH_LineEdit_PasswordCharacter)
        return QChar::fromLatin1(m_passwordChar).unicode();
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

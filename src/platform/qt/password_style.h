#pragma once

#include <QProxyStyle>

// Draws every character of a password field as the model's password
// character ('#') instead of the style's bullet.
class PasswordStyle final : public QProxyStyle {
public:
    explicit PasswordStyle(char passwordChar);

    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;

private:
    char m_passwordChar;
};

#include "platform/qt/qt_message_box.h"

#include <QAbstractButton>
#include <QMessageBox>

QString QtMessageBox::displayText(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

void QtMessageBox::show(const std::string& text, const std::string& title, int)
{
    QWidget* parent = m_owner && m_owner->isVisible() ? m_owner.data() : nullptr;
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title), displayText(text), QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    QAbstractButton* ok = box.button(QMessageBox::Ok);
    ok->setText(QStringLiteral("确定"));
    ok->setIcon(QIcon());
    box.exec();
}

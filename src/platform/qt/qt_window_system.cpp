#include "platform/qt/qt_window_system.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include "platform/qt/twips.h"

void QtWindowSystem::attach(QWidget* window)
{
    m_window = window;
}

QSize QtWindowSystem::screenSize() const
{
    const QScreen* screen = m_window ? m_window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

float QtWindowSystem::twipsPerPixelX() const
{
    if (m_window)
        return Twips::perPixel(*m_window);
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? 1440.0f / static_cast<float>(screen->logicalDotsPerInchX()) : 15.0f;
}

float QtWindowSystem::screenWidthTwips() const
{
    return static_cast<float>(screenSize().width()) * twipsPerPixelX();
}

float QtWindowSystem::screenHeightTwips() const
{
    return static_cast<float>(screenSize().height()) * twipsPerPixelX();
}

float QtWindowSystem::windowWidthTwips() const
{
    return m_window ? static_cast<float>(m_window->frameGeometry().width()) * twipsPerPixelX() : 0.0f;
}

float QtWindowSystem::windowHeightTwips() const
{
    return m_window ? static_cast<float>(m_window->frameGeometry().height()) * twipsPerPixelX() : 0.0f;
}

std::string QtWindowSystem::popupMenu(const std::vector<MenuEntry>& items)
{
    if (items.empty())
        return {};
    QMenu menu;
    for (const MenuEntry& item : items) {
        if (item.isSeparator()) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromStdString(item.caption));
        action->setData(QString::fromStdString(item.name));
        action->setEnabled(item.enabled);
    }
    const QAction* chosen = menu.exec(QCursor::pos());
    return chosen ? chosen->data().toString().toStdString() : std::string();
}

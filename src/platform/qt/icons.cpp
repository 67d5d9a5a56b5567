#include "platform/qt/icons.h"

#include <QPixmap>

#include "platform/qt/icons/bulb_idle_16.xpm"
#include "platform/qt/icons/bulb_idle_32.xpm"
#include "platform/qt/icons/bulb_lit_16.xpm"
#include "platform/qt/icons/bulb_lit_32.xpm"

namespace {

QIcon fromXpm(const char* const* large, const char* const* small)
{
    QIcon icon;
    icon.addPixmap(QPixmap(large));
    icon.addPixmap(QPixmap(small));
    return icon;
}

} // namespace

QIcon Icons::forPicture(Icon icon)
{
    switch (icon) {
    case Icon::Idle:
        return fromXpm(bulb_idle_32, bulb_idle_16);
    case Icon::Running:
        return fromXpm(bulb_lit_32, bulb_lit_16);
    case Icon::None:
        break;
    }
    return {};
}

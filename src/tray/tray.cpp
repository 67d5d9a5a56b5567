#include "tray/tray.h"

#include "app/sites.h"

std::string Tray::tipText()
{
    return Sites::bareDomainOf(Sites::kUpdate) + "'Ondrel";
}

#include "tray/tray.h"

#include "text/sites.h"

std::string Tray::tipText()
{
    return Sites::bareDomainOf(Sites::kUpdate) + "'Ondrel";
}

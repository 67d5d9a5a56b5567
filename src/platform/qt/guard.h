#pragma once

#include <QtGlobal>
#include <string>
#include <utility>

#include "app/view/guarded.h"

// A model call's failure goes to Qt's log.
inline void logToQt(const std::string& text)
{
    qCritical("%s", text.c_str());
}

// Runs a model handler from the event loop, its failure logged.
template <typename Handler>
void runGuarded(const char* what, Handler&& handler) noexcept
{
    runGuarded(what, std::forward<Handler>(handler), logToQt);
}

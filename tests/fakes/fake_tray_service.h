#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/tray_service.h"

// A notification area that keeps at most one icon, as the shell does, and
// records every request.
class FakeTrayService final : public TrayService {
public:
    enum Kind { Show, Hide };
    struct Shown {
        Icon picture;
        std::string tip;
    };
    struct Request {
        Kind kind;
        Shown shown; // what a show asked for
        bool accepted;
    };

    bool show(Icon picture, const std::string& tip) override
    {
        const bool accepted = !icon;
        if (accepted)
            icon = Shown{picture, tip};
        requests.push_back({Show, {picture, tip}, accepted});
        return accepted;
    }
    void hide() override
    {
        requests.push_back({Hide, {}, icon.has_value()});
        icon.reset();
    }
    bool isAvailable() const override { return available; }

    std::optional<Shown> icon;
    std::vector<Request> requests;
    bool available = true;
};

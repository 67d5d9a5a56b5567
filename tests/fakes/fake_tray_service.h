#pragma once

#include <optional>
#include <vector>

#include "platform/tray_service.h"

// A notification area that keeps at most one icon per window and identifier,
// as the shell does, and records every request.
class FakeTrayService final : public TrayService {
public:
    struct Request {
        int code;
        NotifyIconData record;
        bool accepted;
    };

    bool notify(int request, const NotifyIconData& record) override
    {
        bool accepted = false;
        if (request == Add && !icon) {
            icon = record;
            accepted = true;
        } else if (request == Delete && icon && icon->hWnd == record.hWnd && icon->uID == record.uID) {
            icon.reset();
            accepted = true;
        }
        requests.push_back({request, record, accepted});
        return accepted;
    }
    bool isAvailable() const override { return available; }

    std::optional<NotifyIconData> icon;
    std::vector<Request> requests;
    bool available = true;
};

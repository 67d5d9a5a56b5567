#pragma once

// Whether the service manager asked the service to stop. A run asks before
// each database: a stop lets the statement under way end, and sends no
// more.
class StopRequest {
public:
    virtual ~StopRequest() = default;
    virtual bool requested() = 0;
};

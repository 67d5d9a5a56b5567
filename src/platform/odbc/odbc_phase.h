#pragma once

// What the component was doing when the driver failed.
enum class OdbcPhase {
    Connect,
    Statement,
};

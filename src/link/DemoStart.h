#pragma once

#include "link/PortPlatform.h"

#include <memory>

// What --demo needs for the whole run: the simulated meter and the port handling that finds it as
// the bridge. The meter plays on a pseudo-terminal, which Windows does not have: there the
// platform is empty and the error says what to use instead.
struct DemoStart {
    std::shared_ptr<void> meter; // kept alive for the run
    std::unique_ptr<PortPlatform> platform;
};
DemoStart StartDemo(QString* error);

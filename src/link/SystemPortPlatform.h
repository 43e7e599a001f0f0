#pragma once

#include "link/PortPlatform.h"

#include <memory>

// The port handling of the platform the program runs on.
std::unique_ptr<PortPlatform> MakeSystemPortPlatform();

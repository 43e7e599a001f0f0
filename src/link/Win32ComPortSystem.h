#pragma once

#include "link/WindowsComPorts.h"

// The registry and the probe through the Win32 API. Built on Windows only.
std::unique_ptr<ComPortSystem> MakeWin32ComPortSystem();

#include "link/SystemPortPlatform.h"

#ifdef Q_OS_WIN
#include "link/Win32ComPortSystem.h"
#include "link/WindowsPortPlatform.h"

namespace {
class OwningWindowsPortPlatform : public WindowsPortPlatform {
public:
    explicit OwningWindowsPortPlatform(std::unique_ptr<ComPortSystem> system)
        : WindowsPortPlatform(*system)
        , m_system(std::move(system)) {}

private:
    std::unique_ptr<ComPortSystem> m_system;
};
} // namespace

std::unique_ptr<PortPlatform> MakeSystemPortPlatform() {
    return std::make_unique<OwningWindowsPortPlatform>(MakeWin32ComPortSystem());
}
#else
#include "link/LinuxPortPlatform.h"

std::unique_ptr<PortPlatform> MakeSystemPortPlatform() {
    return std::make_unique<LinuxPortPlatform>();
}
#endif

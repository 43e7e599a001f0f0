// A console check of the Windows port code on a real system: prints the bridge's port name from
// the registry and whether that port passes the probe. Exit status 0 when a port was found and
// probed, 1 when none was found, 2 when the probe failed.
#include "link/Win32ComPortSystem.h"

#include <cstdio>

int main() {
    const std::unique_ptr<ComPortSystem> system = MakeWin32ComPortSystem();
    const std::optional<std::string> name = FindBridgePortName(system->Registry());
    if (!name) {
        std::puts("no bridge in the serial-device map");
        return 1;
    }
    const std::optional<int> number = ComPortNumber(*name);
    if (!number) {
        std::printf("bridge at %s, which is not one of COM1 ... COM16\n", name->c_str());
        return 2;
    }
    const bool ok = system->Probe(ComProbePath(*number));
    std::printf("bridge at %s: %s\n", name->c_str(), ok ? "opens" : "does not open");
    return ok ? 0 : 2;
}

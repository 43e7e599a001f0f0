// A console check of the Windows port code on a real system (or under Wine): prints the ports the
// serial-device map lists, the bridge's port, and what the probe says of each port named on the
// command line (of the bridge's when none is named). Exit status 0 when every port probed is
// usable, 1 when there was nothing to probe, 2 when a probe failed.
#include "link/Win32ComPortSystem.h"

#include <cstdio>

int main(int argc, char** argv) {
    const std::unique_ptr<ComPortSystem> system = MakeWin32ComPortSystem();
    for (const std::string& name : MappedPortNames(system->Registry()))
        std::printf("mapped: %s\n", name.c_str());
    std::vector<std::string> ports(argv + 1, argv + argc);
    const std::optional<std::string> bridge = FindBridgePortName(system->Registry());
    std::printf("bridge: %s\n", bridge ? bridge->c_str() : "none");
    if (ports.empty() && bridge)
        ports.push_back(*bridge);
    if (ports.empty())
        return 1;
    int status = 0;
    for (const std::string& typed : ports) {
        const std::optional<int> number = TypedComPortNumber(typed);
        if (!number) {
            std::printf("%s: not one of COM1 ... COM16\n", typed.c_str());
            status = 2;
            continue;
        }
        const std::uint32_t code = system->Probe(ComProbePath(*number));
        std::printf("%s: %s\n", ComPortName(*number).c_str(),
                    code == kProbeUsable ? "usable"
                                         : ComProbeReason(ComPortName(*number), code).c_str());
        if (code != kProbeUsable)
            status = 2;
    }
    return status;
}

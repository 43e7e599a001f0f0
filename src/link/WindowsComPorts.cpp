#include "link/WindowsComPorts.h"

#include <algorithm>
#include <array>
#include <utility>

std::optional<int> ComPortNumber(std::string_view name) {
    for (int n = kFirstComPort; n <= kLastComPort; ++n) {
        if (name == ComPortName(n))
            return n;
    }
    return std::nullopt;
}

std::string ComPortName(int number) {
    return "COM" + std::to_string(number);
}

std::vector<std::string> ComPortNames() {
    std::vector<std::string> names;
    for (int n = kFirstComPort; n <= kLastComPort; ++n)
        names.push_back(ComPortName(n));
    return names;
}

std::optional<int> TypedComPortNumber(std::string_view text) {
    constexpr std::string_view deviceNamespace = "\\\\.\\";
    if (text.substr(0, deviceNamespace.size()) == deviceNamespace)
        text.remove_prefix(deviceNamespace.size());
    return ComPortNumber(text);
}

std::string ComProbeReason(const std::string& name, std::uint32_t code) {
    switch (code) {
    case kProbeUsable:
        return {};
    case kErrorAccessDenied:
    case kErrorSharingViolation:
        return name + " is in use by another program. Close the other program that uses the port "
                      "(another Vantello, a terminal program, the meter's own software), then try "
                      "again.";
    case kErrorFileNotFound:
    case kErrorPathNotFound:
        return "There is no port " + name +
               " on this computer. Check that the meter's cable is "
               "plugged in, then pick the port Windows shows for it (Device Manager, Ports (COM & "
               "LPT)).";
    case kErrorGenFailure:
        return name + " does not respond: the device behind it is not working. Unplug the meter's "
                      "cable, plug it in again, then try again.";
    case kProbeNotCommDevice:
        return name + " is not a serial port. Pick the port Windows shows for the meter's cable "
                      "(Device Manager, Ports (COM & LPT)).";
    default:
        return name + " cannot be opened (Windows error " + std::to_string(code) +
               "). Check that the meter's cable is plugged in, then try again.";
    }
}

std::string ComProbePath(int number) {
    const std::string name = ComPortName(number);
    return number >= 10 ? "\\\\.\\" + name : name;
}

namespace {

// A registry value as a port name: a string, its one closing zero dropped, neither empty nor with
// a zero inside.
std::optional<std::string> portNameOfValue(std::uint32_t type, std::string text) {
    if (type != kRegistryStringType)
        return std::nullopt;
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    if (text.empty() || text.find('\0') != std::string::npos)
        return std::nullopt;
    return text;
}

std::optional<std::string> readPortName(RegistryKeyReader& registry, const char* valueName) {
    std::array<unsigned char, kRegistryBufferSize> buffer{};
    std::uint32_t length = kRegistryBufferSize; // set afresh for every value
    std::uint32_t type = 0;
    if (!registry.Query(valueName, &type, buffer.data(), &length))
        return std::nullopt;
    if (length < 1 || length > kRegistryBufferSize)
        return std::nullopt;
    return portNameOfValue(type, std::string(reinterpret_cast<const char*>(buffer.data()), length));
}

} // namespace

std::vector<std::string> MappedPortNames(RegistryKeyReader& registry) {
    std::vector<std::string> names;
    if (!registry.Open(kSerialCommKey))
        return names;
    std::string valueName;
    std::string data;
    std::uint32_t type = 0;
    // A bound: a registry that never says "no more values" must not hold the caller.
    for (std::uint32_t i = 0; i < 4096 && registry.Value(i, &valueName, &type, &data); ++i) {
        if (std::optional<std::string> name = portNameOfValue(type, data))
            names.push_back(std::move(*name));
    }
    registry.Close();
    return names;
}

std::optional<std::string> FindBridgePortName(RegistryKeyReader& registry) {
    if (!registry.Open(kSerialCommKey))
        return std::nullopt;
    std::optional<std::string> name;
    for (const char* valueName : kBridgeValueNames) {
        name = readPortName(registry, valueName);
        if (name)
            break;
    }
    registry.Close();
    return name;
}

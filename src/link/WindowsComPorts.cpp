#include "link/WindowsComPorts.h"

#include <array>

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

std::string ComProbePath(int number) {
    const std::string name = ComPortName(number);
    return number >= 10 ? "\\\\.\\" + name : name;
}

namespace {

std::optional<std::string> readPortName(RegistryKeyReader& registry, const char* valueName) {
    std::array<unsigned char, kRegistryBufferSize> buffer{};
    std::uint32_t length = kRegistryBufferSize; // set afresh for every value
    std::uint32_t type = 0;
    if (!registry.Query(valueName, &type, buffer.data(), &length))
        return std::nullopt;
    if (type != kRegistryStringType || length < 1 || length > kRegistryBufferSize)
        return std::nullopt;
    std::string text(reinterpret_cast<const char*>(buffer.data()), length);
    if (text.back() == '\0')
        text.pop_back();
    if (text.empty() || text.find('\0') != std::string::npos)
        return std::nullopt;
    return text;
}

} // namespace

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

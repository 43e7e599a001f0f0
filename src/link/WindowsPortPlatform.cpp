#include "link/WindowsPortPlatform.h"

#include <algorithm>

QStringList WindowsPortPlatform::SystemPorts() {
    QStringList list;
    for (const std::string& name : ComPortNames())
        list.append(QString::fromStdString(name));
    return list;
}

QString WindowsPortPlatform::SystemStartText() {
    return QString::fromStdString(ComPortName(kStartComPort));
}

std::optional<QString> WindowsPortPlatform::ResolvePort(const QString& text) {
    const std::optional<int> number = TypedComPortNumber(text.toStdString());
    if (!number)
        return std::nullopt;
    return QString::fromStdString(ComPortName(*number));
}

bool WindowsPortPlatform::Probe(const QString& device, QString* reason) {
    const std::string name = device.toStdString();
    const std::optional<int> number = ComPortNumber(name);
    std::uint32_t code = number ? m_system.Probe(ComProbePath(*number)) : kErrorFileNotFound;
    // A port the serial-device map lists is a serial port even when its driver cannot tell its
    // line settings while nothing else has opened it.
    if (code == kProbeNotCommDevice && isMapped(name))
        code = kProbeUsable;
    if (code == kProbeUsable)
        return true;
    if (reason)
        *reason = QString::fromStdString(ComProbeReason(name, code));
    return false;
}

std::optional<QString> WindowsPortPlatform::FindAgain(const QString& lastingName,
                                                      const QString& stampWhenLost) {
    Q_UNUSED(stampWhenLost);
    // A port comes back under its own COM name; until the map lists it again nothing is opened.
    if (!isMapped(lastingName.toStdString()))
        return std::nullopt;
    return lastingName;
}

bool WindowsPortPlatform::isMapped(const std::string& name) {
    const std::vector<std::string> mapped = MappedPortNames(m_system.Registry());
    return std::find(mapped.begin(), mapped.end(), name) != mapped.end();
}

std::optional<QString> WindowsPortPlatform::SystemBridge() {
    const std::optional<std::string> name = FindBridgePortName(m_system.Registry());
    if (!name)
        return std::nullopt;
    // The registry holds the name in the system's 8-bit code page; port names are plain ASCII.
    return QString::fromLocal8Bit(name->data(), static_cast<qsizetype>(name->size()));
}

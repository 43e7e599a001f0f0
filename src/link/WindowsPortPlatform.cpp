#include "link/WindowsPortPlatform.h"

QStringList WindowsPortPlatform::ListPorts() {
    QStringList list;
    for (const std::string& name : ComPortNames())
        list.append(QString::fromStdString(name));
    return list;
}

QString WindowsPortPlatform::StartText() {
    return QString::fromStdString(ComPortName(kStartComPort));
}

std::optional<QString> WindowsPortPlatform::ResolvePort(const QString& text) {
    if (!ComPortNumber(text.toStdString()))
        return std::nullopt;
    return text;
}

bool WindowsPortPlatform::Probe(const QString& device) {
    const std::optional<int> number = ComPortNumber(device.toStdString());
    return number && m_system.Probe(ComProbePath(*number));
}

std::optional<QString> WindowsPortPlatform::FindBridge() {
    const std::optional<std::string> name = FindBridgePortName(m_system.Registry());
    if (!name)
        return std::nullopt;
    // The registry holds the name in the system's 8-bit code page; port names are plain ASCII.
    return QString::fromLocal8Bit(name->data(), static_cast<qsizetype>(name->size()));
}

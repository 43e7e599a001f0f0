#include "link/WindowsPortPlatform.h"

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
    if (!ComPortNumber(text.toStdString()))
        return std::nullopt;
    return text;
}

bool WindowsPortPlatform::Probe(const QString& device, QString* reason) {
    const std::optional<int> number = ComPortNumber(device.toStdString());
    if (number && m_system.Probe(ComProbePath(*number)))
        return true;
    if (reason)
        *reason = QStringLiteral("%1 cannot be opened: there is no such port, or another program "
                                 "is using it. Check that the meter's cable is plugged in and "
                                 "close any other program that uses the port, then try again.")
                      .arg(device);
    return false;
}

std::optional<QString> WindowsPortPlatform::SystemBridge() {
    const std::optional<std::string> name = FindBridgePortName(m_system.Registry());
    if (!name)
        return std::nullopt;
    // The registry holds the name in the system's 8-bit code page; port names are plain ASCII.
    return QString::fromLocal8Bit(name->data(), static_cast<qsizetype>(name->size()));
}

#pragma once

#include "link/PortPlatform.h"
#include "link/WindowsComPorts.h"

// Ports as Windows names them: the list "COM1" ... "COM16", "COM3" before any selection, only
// those sixteen names accepted, the bridge found in the registry's serial-device map.
class WindowsPortPlatform : public PortPlatform {
public:
    explicit WindowsPortPlatform(ComPortSystem& system)
        : m_system(system) {}

    std::optional<QString> ResolvePort(const QString& text) override;
    bool Probe(const QString& device, QString* reason = nullptr) override;

protected:
    QStringList SystemPorts() override;
    QString SystemStartText() override;
    std::optional<QString> SystemBridge() override;

private:
    ComPortSystem& m_system;
};

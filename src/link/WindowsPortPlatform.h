#pragma once

#include "link/PortPlatform.h"
#include "link/WindowsComPorts.h"

// Ports as Windows names them: the list "COM1" ... "COM16", "COM3" before any selection, only
// those sixteen names accepted (also typed as "\\.\COM12"), the bridge found in the registry's
// serial-device map. The probe uses a port that opens and is a communications device or that the
// map lists, and says why one cannot be used from Windows' error code. A port that went away is
// looked for in the map (PortReturnWatch asks once a second) and opened once the map lists it.
class WindowsPortPlatform : public PortPlatform {
public:
    explicit WindowsPortPlatform(ComPortSystem& system)
        : m_system(system) {}

    std::optional<QString> ResolvePort(const QString& text) override;
    bool Probe(const QString& device, QString* reason = nullptr) override;
    std::optional<QString> FindAgain(const QString& lastingName,
                                     const QString& stampWhenLost) override;

protected:
    QStringList SystemPorts() override;
    QString SystemStartText() override;
    std::optional<QString> SystemBridge() override;

private:
    bool isMapped(const std::string& name);

    ComPortSystem& m_system;
};

#pragma once

#include "link/PortPlatform.h"

// Ports as Linux names them: device paths. The list holds the serial devices present (found
// under <sysRoot>/class/tty), any typed path is accepted, and the bridge is the tty whose device
// is bound to the bridge's kernel driver. The roots are parameters so tests can use fake trees.
class LinuxPortPlatform : public PortPlatform {
public:
    static constexpr char kBridgeDriver[] = "cp210x";

    explicit LinuxPortPlatform(QString sysRoot = QStringLiteral("/sys"),
                               QString devRoot = QStringLiteral("/dev"));

    QStringList ListPorts() override;
    QString StartText() override;
    std::optional<QString> ResolvePort(const QString& text) override;
    bool Probe(const QString& device) override;
    std::optional<QString> FindBridge() override;

private:
    struct Tty {
        QString name;   // "ttyUSB0"
        QString driver; // "cp210x"
    };
    QList<Tty> serialTtys() const;

    QString m_sysRoot;
    QString m_devRoot;
};

// Opens path for reading and writing and checks that it is a terminal device that no one else
// holds exclusively; closes it again. On failure, why, when reason is given.
bool ProbeSerialDevice(const QString& path, QString* reason = nullptr);

// Takes the device's exclusive lock for an open descriptor; ProbeSerialDevice fails while it is
// held. False when another holder has it.
bool LockSerialDevice(int fd);

#pragma once

#include "link/PortPlatform.h"

#include <sys/types.h>

// Ports as Linux names them: device paths. The list holds the serial devices present (found
// under <sysRoot>/class/tty), a bare name such as "ttyUSB0" stands for <devRoot>/ttyUSB0, and the
// bridge is the tty whose device is bound to the bridge's kernel driver. The roots are parameters
// so tests can use fake trees.
//
// A device that went away is found again by its USB bridge's lasting name under
// <devRoot>/serial/by-id when it has one (a bridge plugged back in may come back as ttyUSB1), and
// by its own path otherwise.
//
// A path is checked before it is opened: only a character device that the kernel lists as a
// serial tty, or a pseudo-terminal, is ever opened, so a typed "/dev/watchdog" or "/dev/tty" is
// refused untouched.
class LinuxPortPlatform : public PortPlatform {
public:
    static constexpr char kBridgeDriver[] = "cp210x";

    explicit LinuxPortPlatform(QString sysRoot = QStringLiteral("/sys"),
                               QString devRoot = QStringLiteral("/dev"));

    std::optional<QString> ResolvePort(const QString& text) override;
    bool Probe(const QString& device, QString* reason = nullptr) override;
    // The by-id link that leads to the same device node as device, or device itself.
    QString LastingName(const QString& device) override;
    // A symbolic link's inode and change time; empty for anything else.
    QString NameStamp(const QString& lastingName) override;
    // A by-id name: the path its link names (such as <devRoot>/ttyUSB1), when that is a character
    // device. Any other name: itself, when it leads to a character device. A pseudo-terminal is
    // never plugged back in (its number goes to whoever opens the next one, a terminal window
    // even): it counts only when reached through a symbolic link made anew since the loss, as a
    // simulated meter started again makes it.
    std::optional<QString> FindAgain(const QString& lastingName,
                                     const QString& stampWhenLost) override;
    // The folder of the name (that of a symbolic link, not of its target), <devRoot>, and the
    // by-id folder with its parent, where the bridge's names come and go.
    QStringList WatchFolders(const QString& lastingName) override;

    // Whether path is a character device listed under <sysRoot>/class/tty as a serial tty (one
    // with a driver, by its device number), or a pseudo-terminal. Looks at the node only; never
    // opens it. When not, and reason is given, says why.
    bool IsSerialDeviceNode(const QString& path, QString* reason = nullptr) const;

protected:
    QStringList SystemPorts() override;
    QString SystemStartText() override;
    std::optional<QString> SystemBridge() override;

private:
    struct Tty {
        QString name;   // "ttyUSB0"
        QString driver; // "cp210x"
        QString number; // "188:0", the device number from its dev file
    };
    QList<Tty> serialTtys() const;
    QString byIdFolder() const;

    QString m_sysRoot;
    QString m_devRoot;
};

// Opens path for reading and writing and checks that it is a terminal device that no one else
// holds exclusively and no other program reads (ProcessesHoldingDevice); closes it again. On
// failure, why, when reason is given. Use it only on a path that passed IsSerialDeviceNode: opening
// some devices has effects of its own.
bool ProbeSerialDevice(const QString& path, QString* reason = nullptr);

// Takes the device's exclusive lock for an open descriptor; ProbeSerialDevice fails while it is
// held. False when another holder has it. A pseudo-terminal is left without the terminal's own
// exclusive mode, which its far side would keep after this program was killed.
bool LockSerialDevice(int fd);

// Why a device cannot be used, for the user, from the error number of a failed open or lock:
// permission (naming the device's group and how to join it), in use (naming the programs that
// /proc shows holding it), no such device, or the system's own words for anything else.
QString PortOpenErrorText(const QString& path, int error);

// The programs other than this one that hold the character device rdev open, as
// "name (process 1234)", found under <procRoot>/<pid>/fd; for a pseudo-terminal, not the ones that
// hold its far side as well (the program it belongs to). Only processes this user may look into
// are seen.
QStringList ProcessesHoldingDevice(dev_t rdev, const QString& procRoot = QStringLiteral("/proc"));

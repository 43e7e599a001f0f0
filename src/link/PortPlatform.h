#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// How this platform names, lists, checks and finds serial ports. The connection panel shows the
// list and the start text; the link control resolves, probes and finds.
//
// What differs from one platform to the next is virtual; what does not is here once: a port given
// from outside (the simulated meter's line of --demo, the port named by --port) heads the list
// and is the port box's start text whatever the platform.
class PortPlatform {
public:
    virtual ~PortPlatform() = default;

    // The given port is the bridge (what AutoConnect opens), or only the start text (nothing is
    // opened at start-up until CONNECT runs with it).
    enum class GivenRole { Bridge, StartText };
    void GivePort(const QString& port, GivenRole role);

    // The entries of the port list, in the order shown.
    QStringList ListPorts();
    // The port box text before any selection.
    QString StartText();
    // The port box text of the meter's USB bridge, when one is attached.
    std::optional<QString> FindBridge();

    // The device to open for a port box text, or nothing when the text names no port here.
    virtual std::optional<QString> ResolvePort(const QString& text) = 0;

    // Whether the device (as returned by ResolvePort) exists, is a serial device and can be
    // opened for reading and writing by this program alone right now. Leaves it closed. When it
    // cannot be used and reason is given, says why and what to do, in words for the user.
    virtual bool Probe(const QString& device, QString* reason = nullptr) = 0;

    // Finding a device again after it went away (an unplugged cable). Unless a platform knows
    // better, a device comes back under its own name and only the probe tells whether it is there.

    // The name under which the device opened as `device` (as returned by ResolvePort) will be
    // found again once it is plugged back in. Asked while the device is there.
    virtual QString LastingName(const QString& device) { return device; }
    // What the lasting name's own entry is now, so that a name made anew can be told from the
    // one there when the device went away. Empty when the platform cannot tell.
    virtual QString NameStamp(const QString& lastingName) {
        Q_UNUSED(lastingName);
        return {};
    }
    // The device to probe and open for a lasting name, when something is there now;
    // stampWhenLost is what NameStamp said when the device went away. Cheap enough to ask every
    // second.
    virtual std::optional<QString> FindAgain(const QString& lastingName,
                                             const QString& stampWhenLost) {
        Q_UNUSED(stampWhenLost);
        return lastingName;
    }
    // Folders whose changes may mean that the device of a lasting name is back; none when the
    // platform can only be asked again.
    virtual QStringList WatchFolders(const QString& lastingName) {
        Q_UNUSED(lastingName);
        return {};
    }

protected:
    // The platform's own list, start text and bridge, without a given port.
    virtual QStringList SystemPorts() = 0;
    virtual QString SystemStartText() = 0;
    virtual std::optional<QString> SystemBridge() = 0;

private:
    QString m_given;
    GivenRole m_givenRole = GivenRole::StartText;
};

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// How this platform names, lists, checks and finds serial ports. The connection panel shows the
// list and the start text; the link control resolves, probes and finds.
class PortPlatform {
public:
    virtual ~PortPlatform() = default;

    // The entries of the port list, in the order shown.
    virtual QStringList ListPorts() = 0;

    // The port box text before any selection.
    virtual QString StartText() = 0;

    // The device to open for a port box text, or nothing when the text names no port here.
    virtual std::optional<QString> ResolvePort(const QString& text) = 0;

    // Whether the device (as returned by ResolvePort) exists, is a serial device and can be
    // opened for reading and writing by this program alone right now. Leaves it closed. When it
    // cannot be used and reason is given, says why and what to do, in words for the user.
    virtual bool Probe(const QString& device, QString* reason = nullptr) = 0;

    // The port box text of the meter's USB bridge, when one is attached.
    virtual std::optional<QString> FindBridge() = 0;
};

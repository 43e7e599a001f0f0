#include "link/NetworkPort.h"

#include <algorithm>

bool IsNetworkPortName(const QString& text) {
    return text.startsWith(QLatin1String(kNetworkPortPrefix));
}

std::optional<NetworkPortAddress> ParseNetworkPort(const QString& text) {
    if (!IsNetworkPortName(text))
        return std::nullopt;
    const QString rest = text.mid(qsizetype(sizeof kNetworkPortPrefix - 1));
    const qsizetype colon = rest.lastIndexOf(u':');
    if (colon <= 0)
        return std::nullopt;
    QString host = rest.left(colon);
    const QString portText = rest.mid(colon + 1);
    if (host.startsWith(u'[')) {
        if (!host.endsWith(u']') || host.size() < 3)
            return std::nullopt;
        host = host.mid(1, host.size() - 2);
    } else if (host.contains(u':') || host.contains(u'[') || host.contains(u']')) {
        return std::nullopt; // an IPv6 address needs its brackets
    }
    if (host.contains(u' ') || host.contains(u'/'))
        return std::nullopt;
    // Digits only: no sign, no blanks, no other base.
    if (portText.isEmpty() || portText.size() > 5 ||
        !std::all_of(portText.begin(), portText.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    const int port = portText.toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return NetworkPortAddress{host, quint16(port)};
}

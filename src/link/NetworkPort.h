#pragma once

#include <QString>

#include <optional>

// A meter reached through a network serial bridge (a small computer beside the duct that passes
// the meter's raw bytes on over TCP, as ser2net does): the port name "tcp:HOST:PORT", where HOST
// is a name, an IPv4 address or an IPv6 address in brackets ("tcp:[::1]:4001") and PORT 1 to
// 65535.
struct NetworkPortAddress {
    QString host;
    quint16 port = 0;
};

inline constexpr char kNetworkPortPrefix[] = "tcp:";

// Whether the text is meant as a network port (starts with "tcp:"), well formed or not.
bool IsNetworkPortName(const QString& text);

// The address of a well-formed network port name; nothing for any other text.
std::optional<NetworkPortAddress> ParseNetworkPort(const QString& text);

// How long opening or probing a network port waits for the bridge to answer (ms).
inline constexpr int kNetworkConnectTimeout = 3000;

#pragma once

#include <QStringView>

#include <optional>

// A length of time as people type it: a number of seconds, or a number followed by s, m, h or d
// ("90s", "30m", "12h", "7d", "1.5h"), in milliseconds. Nothing for any other text or for a
// length that is not above zero. The logger's --duration and the alarm rules take it.
std::optional<qint64> ParseDuration(QStringView text);

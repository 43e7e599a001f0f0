#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A length of time for the status line: "0:00:09", "2:03:04", "3d 04:05:06".
QString StatusTimeText(qint64 seconds);

// What the status line says: the readings so far, the last one with its unit, the time elapsed
// and, under --duration, the time left; while the meter is away, that it is waited for.
struct LogStatus {
    qint64 readings = 0;
    QString last;      // "1.23 m/s"; empty before the first reading
    bool away = false; // the meter is unplugged and waited for
    qint64 elapsedMs = 0;
    std::optional<qint64> leftMs;
};
QString LogStatusText(const LogStatus& status);

// Standard error as the logger uses it: messages on lines of their own, prefixed with the
// program's name, and, on a terminal, one status line that is rewritten in place. A message
// clears the status line, and the status line comes back under it at its next update.
class LogConsole {
public:
    // The status line is shown only when terminal is true (standard error is a terminal) and
    // the run is not quiet; notices only when not quiet; what is said always.
    LogConsole(int fd, bool terminal, bool quiet);

    // Errors and warnings.
    void Say(const QString& text) { line(text); }
    // What goes well (where the run reads and writes).
    void Notice(const QString& text);
    void Status(const QString& text);
    // Ends the status line, leaving its last text on the terminal.
    void EndStatus();

    bool ShowsStatus() const { return m_statusOn; }

private:
    void line(const QString& text);
    void put(const QByteArray& bytes);
    int width() const;

    int m_fd;
    bool m_statusOn;
    bool m_quiet;
    bool m_statusShown = false;
};

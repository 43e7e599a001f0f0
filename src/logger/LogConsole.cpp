#include "logger/LogConsole.h"

#include "logger/LogPlatform.h"
#include "state/WriteAll.h"

#include <algorithm>

QString StatusTimeText(qint64 seconds) {
    const qint64 days = seconds / 86400;
    const int h = int(seconds / 3600 % 24);
    const int m = int(seconds / 60 % 60);
    const int s = int(seconds % 60);
    const QString clock = QStringLiteral("%1:%2:%3")
                              .arg(h, days > 0 ? 2 : 1, 10, QLatin1Char('0'))
                              .arg(m, 2, 10, QLatin1Char('0'))
                              .arg(s, 2, 10, QLatin1Char('0'));
    return days > 0 ? QStringLiteral("%1d %2").arg(days).arg(clock) : clock;
}

QString LogStatusText(const LogStatus& s) {
    QString text = s.readings == 1 ? QStringLiteral("1 reading")
                                   : QStringLiteral("%1 readings").arg(s.readings);
    if (s.away)
        text += QStringLiteral(", meter disconnected, waiting");
    else if (!s.last.isEmpty())
        text += QStringLiteral(", last ") + s.last;
    text += QStringLiteral(", %1 elapsed").arg(StatusTimeText(s.elapsedMs / 1000));
    // Time left is rounded up, so it reads 0:00:00 only at the end.
    if (s.leftMs)
        text += QStringLiteral(", %1 left")
                    .arg(StatusTimeText((std::max<qint64>(*s.leftMs, 0) + 999) / 1000));
    return text;
}

LogConsole::LogConsole(int fd, bool terminal, bool quiet)
    : m_fd(fd)
    , m_statusOn(terminal && !quiet)
    , m_quiet(quiet) {}

void LogConsole::Notice(const QString& text) {
    if (!m_quiet)
        line(text);
}

void LogConsole::Status(const QString& text) {
    if (!m_statusOn)
        return;
    // Cut to the terminal's width: a line that wraps cannot be rewritten in place.
    const int room = width() - 1;
    const QString shown = room > 0 && text.size() > room ? text.left(room) : text;
    put("\r" + shown.toLocal8Bit() + "\x1b[K");
    m_statusShown = true;
}

void LogConsole::EndStatus() {
    if (m_statusShown)
        put("\n");
    m_statusShown = false;
}

void LogConsole::line(const QString& text) {
    QByteArray bytes = "vantello-log: " + text.toLocal8Bit() + '\n';
    if (m_statusShown)
        bytes.prepend("\r\x1b[K");
    m_statusShown = false;
    put(bytes);
}

void LogConsole::put(const QByteArray& bytes) {
    WriteAll(m_fd, bytes); // on failure, there is nowhere to say it
}

int LogConsole::width() const {
    return ConsoleWidth(m_fd);
}

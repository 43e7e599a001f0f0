// Writes a crafted recovery log for bench/recovery-start: 1000 readings or more, until the log
// has the size asked for, the last of the first 1000 with a time as long as asked.
//
//   bench_recovery_log [--megabytes N] [--field-megabytes N] PATH

#include "recovery/RecoveryLogFormat.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTimeZone>

#include <cstdio>

namespace {

LoggedReading reading(int no, const QString& time) {
    Reading r;
    r.No = no;
    r.Value = 1.25;
    r.TRH = QStringLiteral(" 23.5\u00b0C 45.6%");
    r.Data = QStringLiteral("1.25");
    r.Unit = QStringLiteral("m/s");
    r.Time = time;
    return {r, QStringLiteral("VEL"),
            QDateTime(QDate(2026, 12, 9), QTime(10, 0), QTimeZone(3600)).addSecs(no)};
}

bool writeLog(const QString& path, qint64 bytes, qint64 hugeField) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(RecoveryLogHeader());
    for (int no = 1; f.size() < bytes || no <= 1000; ++no) {
        QString time = QStringLiteral("12/9/2026\\10:%1").arg(no % 60, 2, 10, QLatin1Char('0'));
        if (no == 1000 && hugeField > 0)
            time = QString(hugeField, u'9');
        if (f.write(RecoveryLogEntry(reading(no, time))) < 0)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a crafted recovery log."));
    parser.addHelpOption();
    const QCommandLineOption bigOption(QStringLiteral("megabytes"),
                                       QStringLiteral("Size of the log at least."),
                                       QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption fieldOption(QStringLiteral("field-megabytes"),
                                         QStringLiteral("Size of the last reading's time."),
                                         QStringLiteral("n"), QStringLiteral("0"));
    parser.addOptions({bigOption, fieldOption});
    parser.addPositionalArgument(QStringLiteral("path"), QStringLiteral("The log to write."));
    parser.process(app);
    if (parser.positionalArguments().size() != 1)
        parser.showHelp(2);
    const QString path = parser.positionalArguments().constFirst();
    if (!writeLog(path, qint64(parser.value(bigOption).toDouble() * 1024 * 1024),
                  qint64(parser.value(fieldOption).toDouble() * 1024 * 1024))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

#include "reports/PdfStructure.h"

#include <QByteArray>
#include <QIODevice>
#include <QRegularExpression>

#include <algorithm>

namespace {

constexpr qint64 kTailBytes = 1024;
constexpr int kEntryBytes = 20; // "oooooooooo ggggg n\r\n", the end of line being two bytes

QByteArray readAt(QIODevice& device, qint64 offset, qint64 length) {
    if (offset < 0 || offset >= device.size() || !device.seek(offset))
        return {};
    return device.read(length);
}

// The offset named after the last "startxref", or -1.
qint64 startXref(QIODevice& device) {
    const qint64 size = device.size();
    const QByteArray tail = readAt(device, std::max<qint64>(0, size - kTailBytes), kTailBytes);
    static const QRegularExpression end(QStringLiteral("startxref\\s+(\\d{1,15})\\s+%%EOF\\s*$"));
    const QRegularExpressionMatch m = end.match(QString::fromLatin1(tail));
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

bool objectStartsAt(QIODevice& device, qint64 offset, qint64 number, int generation) {
    const QByteArray head = readAt(device, offset, 40);
    const QByteArray expected =
        QByteArray::number(number) + ' ' + QByteArray::number(generation) + " obj";
    return head.startsWith(expected) && head.size() > expected.size() &&
           QByteArrayView(" \r\n<[/").contains(head.at(expected.size()));
}

} // namespace

bool PdfStructureIsComplete(QIODevice& device) {
    if (!device.isOpen() || device.isSequential())
        return false;
    const qint64 xref = startXref(device);
    if (xref < 0 || !device.seek(xref) || device.readLine().trimmed() != "xref")
        return false;
    int sections = 0;
    for (;;) {
        const QByteArray header = device.readLine().trimmed();
        if (header.startsWith("trailer"))
            return sections > 0;
        const QList<QByteArray> fields = header.split(' ');
        bool firstOk = false;
        bool countOk = false;
        const qint64 first = fields.value(0).toLongLong(&firstOk);
        const qint64 count = fields.value(1).toLongLong(&countOk);
        if (fields.size() != 2 || !firstOk || !countOk || count < 0)
            return false;
        const QByteArray table = device.read(count * kEntryBytes);
        if (table.size() != count * kEntryBytes)
            return false;
        const qint64 next = device.pos();
        for (qint64 i = 0; i < count; ++i) {
            const QByteArray entry = table.mid(i * kEntryBytes, kEntryBytes);
            const char kind = entry.at(17);
            bool offsetOk = false;
            bool generationOk = false;
            const qint64 offset = entry.left(10).toLongLong(&offsetOk);
            const int generation = entry.mid(11, 5).toInt(&generationOk);
            if (!offsetOk || !generationOk || entry.at(10) != ' ' || entry.at(16) != ' ')
                return false;
            if (kind == 'n' && !objectStartsAt(device, offset, first + i, generation))
                return false;
            if (kind != 'n' && kind != 'f')
                return false;
        }
        if (!device.seek(next))
            return false;
        ++sections;
    }
}

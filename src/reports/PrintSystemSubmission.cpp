#include "reports/PrintSystemSubmission.h"

#include <QLibrary>

#include <vector>

namespace {

// The option record of the print service's C interface: a name and a value, both C strings.
struct ServiceOption {
    char* name;
    char* value;
};

using PrintFileFunction = int (*)(const char* printer, const char* file, const char* title,
                                  int optionCount, ServiceOption* options);
using LastErrorFunction = const char* (*)();

struct PrintService {
    PrintFileFunction printFile = nullptr;
    LastErrorFunction lastError = nullptr;
};

const PrintService& printService() {
    static const PrintService service = [] {
        PrintService s;
        QLibrary library(QStringLiteral("cups"), 2);
        if (!library.load())
            return s;
        s.printFile = reinterpret_cast<PrintFileFunction>(library.resolve("cupsPrintFile"));
        s.lastError = reinterpret_cast<LastErrorFunction>(library.resolve("cupsLastErrorString"));
        return s; // the library stays loaded for the rest of the run
    }();
    return service;
}

} // namespace

bool SubmitToPrintSystem(const QString& printerName, const QString& documentPath,
                         const QString& title, const QList<QPair<QByteArray, QByteArray>>& options,
                         QString& reason) {
    const PrintService& service = printService();
    if (!service.printFile) {
        reason = QStringLiteral("the print service is not available");
        return false;
    }
    // A printer instance is named "printer/instance"; jobs go to the printer itself.
    const QByteArray printer = printerName.section(u'/', 0, 0).toLocal8Bit();
    const QByteArray file = documentPath.toLocal8Bit();
    const QByteArray jobTitle = title.toLocal8Bit();
    QList<QPair<QByteArray, QByteArray>> owned = options; // the C interface wants char*
    std::vector<ServiceOption> records;
    records.reserve(static_cast<std::size_t>(owned.size()));
    for (auto& [name, value] : owned)
        records.push_back({name.data(), value.data()});

    const int job = service.printFile(printer.constData(), file.constData(), jobTitle.constData(),
                                      static_cast<int>(records.size()),
                                      records.empty() ? nullptr : &records[0]);
    if (job > 0)
        return true;
    const char* why = service.lastError ? service.lastError() : nullptr;
    reason = why ? QString::fromLocal8Bit(why) : QStringLiteral("the job was refused");
    return false;
}

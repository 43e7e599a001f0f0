#include "reports/PrintSystem.h"

#include <QPrinter>
#include <QPrinterInfo>

bool UseDefaultPrinter(QPrinter& printer, QString& reason) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || info.printerName().isEmpty()) {
        reason = QStringLiteral("no default printer is set up");
        return false;
    }
    printer.setPrinterName(info.printerName());
    if (printer.outputFormat() != QPrinter::NativeFormat ||
        printer.printerName() != info.printerName() || !printer.isValid()) {
        reason = QStringLiteral("the printer %1 cannot be used").arg(info.printerName());
        return false;
    }
    return true;
}

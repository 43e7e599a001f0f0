#include "reports/PrintTarget.h"

#include "reports/PrintSystemSubmission.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

QString DefaultPrinterTarget::SpoolDirectory() const {
    return QDir::tempPath();
}

bool DefaultPrinterTarget::Prepare(QPrinter& printer, const QString& spoolPath, QString& reason) {
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
    // The native print engine writes the job to the spool file instead of submitting it at the
    // end of the document, so that a cancelled job can still be thrown away. The suffix keeps
    // the native engine.
    printer.setOutputFileName(spoolPath);
    if (printer.outputFormat() != QPrinter::NativeFormat) {
        reason = QStringLiteral("the printer %1 cannot be used").arg(info.printerName());
        return false;
    }
    return true;
}

bool DefaultPrinterTarget::Deliver(const QPrinter& printer, const QString& spoolPath,
                                   const QString& title, QString& reason) {
    // The same options the toolkit gives the print service when it submits a job itself.
    const QPageLayout layout = printer.pageLayout();
    QList<QPair<QByteArray, QByteArray>> options;
    options.append(qMakePair(QByteArray("media"), layout.pageSize().key().toLocal8Bit()));
    if (layout.orientation() == QPageLayout::Landscape)
        options.append(qMakePair(QByteArray("landscape"), QByteArray("")));
    return SubmitToPrintSystem(printer.printerName(), spoolPath, title, options, reason);
}

PdfFileTarget::PdfFileTarget(QString path)
    : m_path(std::move(path)) {}

QString PdfFileTarget::SpoolDirectory() const {
    // Next to the file, so that the finished document is moved into place in one step.
    return QFileInfo(m_path).absolutePath();
}

bool PdfFileTarget::Prepare(QPrinter& printer, const QString& spoolPath, QString& reason) {
    if (m_path.isEmpty()) {
        reason = QStringLiteral("no file name");
        return false;
    }
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(spoolPath);
    return true;
}

bool PdfFileTarget::Deliver(const QPrinter&, const QString& spoolPath, const QString&,
                            QString& reason) {
    // rename() replaces an existing file in one step.
    if (std::rename(QFile::encodeName(spoolPath).constData(),
                    QFile::encodeName(m_path).constData()) != 0) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

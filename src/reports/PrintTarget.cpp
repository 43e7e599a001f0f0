#include "reports/PrintTarget.h"

#include "reports/PrintSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

DefaultPrinterTarget::DefaultPrinterTarget()
    : m_system(SystemPrintService()) {}

DefaultPrinterTarget::DefaultPrinterTarget(PrintSystem& system)
    : m_system(system) {}

QString DefaultPrinterTarget::SpoolDirectory() const {
    return QDir::tempPath();
}

bool DefaultPrinterTarget::Prepare(QPrinter& printer, const QString& spoolPath, QString& reason) {
    return m_system.PrepareDefault(printer, spoolPath, reason);
}

bool DefaultPrinterTarget::UsesSpoolFile() const {
    return m_system.UsesSpoolFile();
}

bool DefaultPrinterTarget::Deliver(const QPrinter& printer, const QString& spoolPath,
                                   const QString& title, QString& reason) {
    PrintSubmission job;
    job.printer = printer.printerName();
    job.documentPath = spoolPath;
    job.title = title;
    const QPageLayout layout = printer.pageLayout();
    job.media = layout.pageSize().key();
    job.landscape = layout.orientation() == QPageLayout::Landscape;
    return m_system.Submit(job, DeliveryCancel(), reason);
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
#ifdef Q_OS_UNIX
    // The spool file is private to its writer; the PDF gets what every other saved file gets:
    // the permissions of the file it replaces, else 0666 less the umask.
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(m_path).constData(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::chmod(QFile::encodeName(spoolPath).constData(), mode);
#endif
    // rename() replaces an existing file in one step.
    if (std::rename(QFile::encodeName(spoolPath).constData(),
                    QFile::encodeName(m_path).constData()) != 0) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Submits a finished PDF document to a printer of the system's print service (the one the
// print support of the toolkit uses on Linux), with options such as ("media", "A4") or
// ("landscape", ""). The service library is loaded when first needed.
// Returns false with the reason when the service is missing or refuses the job.
bool SubmitToPrintSystem(const QString& printerName, const QString& documentPath,
                         const QString& title, const QList<QPair<QByteArray, QByteArray>>& options,
                         QString& reason);

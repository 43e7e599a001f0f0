#include "traverse/TestRecord.h"

QString Instrument::Name() const {
    QString name = (make + u' ' + model).trimmed();
    if (name.isEmpty())
        name = QStringLiteral("Instrument");
    if (!serial.isEmpty())
        name += QStringLiteral(" (SN %1)").arg(serial);
    return name;
}

QString CalibrationWarning(const Instrument& instrument, const QDate& day) {
    if (!instrument.calibrationDue.isValid() || !day.isValid() || day <= instrument.calibrationDue)
        return {};
    return QStringLiteral("Calibration past due (due %1)")
        .arg(instrument.calibrationDue.toString(Qt::ISODate));
}

#pragma once

#include "traverse/TestRecord.h"
#include "traverse/TraversePoints.h"

#include <QVariantMap>

#include <vector>

class QSettings;

// The last traverse setup, kept between runs. Stored under
// "traverse/" in the given settings; what is missing or out of range reads as the default.
void SaveTraverseSetup(QSettings& settings, const TraverseSetup& setup);
TraverseSetup LoadTraverseSetup(const QSettings& settings);
// The same values by name, for other stores (a job file keeps them with each test); read back
// with the same checks.
QVariantMap SetupValues(const TraverseSetup& setup);
TraverseSetup SetupFromValues(const QVariantMap& values);

// The instruments and the one chosen (-1: none), and the technician, kept between runs under
// "instruments/" and "traverse/technician". Instruments without make, model and serial are
// dropped; a chosen index out of range reads as the first instrument, or none.
struct KeptInstruments {
    std::vector<Instrument> instruments;
    int chosen = -1;
};
void SaveInstruments(QSettings& settings, const KeptInstruments& kept);
KeptInstruments LoadInstruments(QSettings& settings);
void SaveTechnician(QSettings& settings, const QString& technician);
QString LoadTechnician(const QSettings& settings);

// The program's settings store ("Vantello" / "Vantello" in the user's configuration folder).
QString TraverseSettingsOrganisation();
QString TraverseSettingsApplication();

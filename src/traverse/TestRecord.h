#pragma once

#include "traverse/AirDensity.h"

#include <QDate>
#include <QString>

#include <vector>

// The instrument a test is measured with: kept in the settings, several of them, one chosen.
struct Instrument {
    QString make;
    QString model;
    QString serial;
    ProbeType probe = ProbeType::Vane;
    QDate calibrated;
    QDate calibrationDue;
    friend bool operator==(const Instrument&, const Instrument&) = default;
    // "Make Model (SN serial)", the name the list shows.
    QString Name() const;
};

// "Calibration past due (due 2026-01-05)" when the due date is before the day, otherwise empty.
QString CalibrationWarning(const Instrument& instrument, const QDate& day);

// Who and what a test is for. The technician is remembered between runs; the rest is cleared by
// "New".
struct TestPeople {
    QString project;
    QString tag; // system or terminal tag
    QString location;
    QString notes;
    QString technician;
    friend bool operator==(const TestPeople&, const TestPeople&) = default;
};

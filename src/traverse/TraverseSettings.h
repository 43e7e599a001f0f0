#pragma once

#include "traverse/TraversePoints.h"

class QSettings;

// The last traverse setup, kept between runs: the program's only setting. Stored under
// "traverse/" in the given settings and read back through the ranges the setup's boxes offer
// (TraverseRanges.h): a number out of range reads as the box would hold it, what is missing or no
// number as the default.
void SaveTraverseSetup(QSettings& settings, const TraverseSetup& setup);
TraverseSetup LoadTraverseSetup(const QSettings& settings);

// The program's settings store ("Vantello" / "Vantello" in the user's configuration folder).
QString TraverseSettingsOrganisation();
QString TraverseSettingsApplication();

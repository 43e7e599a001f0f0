#pragma once

#include <QFont>

// The fonts the windows were designed with, or their closest installed twins: "Arial" resolves to
// its metric twin Liberation Sans, and the classic "MS Sans Serif" dialog font to the same family,
// which is closer in width than the desktop's default sans-serif.
QFont ArialFont(double points, bool bold = false, bool italic = false);
QFont SansSerifFont(double points, bool bold = false);

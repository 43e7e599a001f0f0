#pragma once

#include <QByteArray>
#include <QString>

// Text in the 8-bit Windows-1252 code page that saved files use. Characters the code page lacks
// become '?'.
QByteArray ToAnsi(const QString& text);

#pragma once

#include <QIcon>

// The graph window's icon, drawn in code: a small framed plot with a grid and a red curve with
// dots, at 16 x 16 and 32 x 32 pixels.
QIcon GraphWindowIcon();

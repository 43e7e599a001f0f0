#pragma once

#include <QIcon>

// The program's icon: a cup anemometer on a blue tile, drawn in code.
QIcon VantelloIcon();

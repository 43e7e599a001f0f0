#pragma once

#include <QPixmap>

// The live display's background picture, 500 x 600: light-blue gradient strips at the top (rows
// 0-22) and the bottom (rows 576-599), the dark grey readout panel (rows 24-223), the grey chart
// panel (rows 232-574) and thin blue separator lines between them.
QPixmap ShowFormBackground();

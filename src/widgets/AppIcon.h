#pragma once

#include <QIcon>
#include <QPixmap>

namespace vantorix {

// The application's icon, drawn in code so no image file has to travel with the program:
// a PROM chip with a gauge needle over it.
QPixmap AppIconPixmap(int size);
QIcon AppIcon();

}  // namespace vantorix

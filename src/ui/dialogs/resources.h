#pragma once
// The editor's pictures live in a static library: their registration must be called for.
#include <QIcon>

namespace morvi::ui {
void initResources();
// The program's icon in every size it is drawn in (32 to 256 pixels).
QIcon programIcon();
}

#include "ui/dialogs/resources.h"

#include <QtGlobal>

static void initMorviResources() { Q_INIT_RESOURCE(morvi); }

namespace morvi::ui {

void initResources() {
    static const bool done = (initMorviResources(), true);
    (void)done;
}

QIcon programIcon() {
    initResources();
    QIcon icon;
    for (int size : {32, 64, 128, 256}) icon.addFile(QStringLiteral(":/art/morvi-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace morvi::ui

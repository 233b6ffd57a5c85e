#include "ui/resources.h"

#include <QtGlobal>

static void initMorviResources() { Q_INIT_RESOURCE(morvi); }

namespace morvi::ui {

void initResources() {
    static const bool done = (initMorviResources(), true);
    (void)done;
}

} // namespace morvi::ui

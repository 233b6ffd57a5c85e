#pragma once
// The page of each family, as the family registry lists them: the main window makes its pages
// and tabs from this table. A family with a page of its own adds one row here.
#include <span>

#include "family/family_module.h"

class QWidget;

namespace morvi::ui {

class Page;
struct EditorContext;

struct PageRow {
    morvi::Family (*family)();
    Page* (*make)(EditorContext& context, QWidget* parent);
};

std::span<const PageRow> pageTable();
// The row of a family; null when the family has no page.
const PageRow* pageRowOf(morvi::Family family);

} // namespace morvi::ui

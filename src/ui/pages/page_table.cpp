#include "ui/pages/page_table.h"

#include <array>

#include "characters/character_module.h"
#include "fieldsprites/field_sprite_module.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "ui/pages/character_page.h"
#include "ui/pages/field_sprite_page.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"
#include "ui/pages/window_skin_page.h"
#include "windowskins/window_skin_module.h"

namespace morvi::ui {

namespace {

template <class P> Page* make(EditorContext& context, QWidget* parent) { return new P(context, parent); }

constexpr std::array kRows = {
    PageRow{morvi::monsterFamily, make<MonsterPage>},
    PageRow{morvi::portraitFamily, make<PortraitPage>},
    PageRow{morvi::characterFamily, make<CharacterPage>},
    PageRow{morvi::fieldSpriteFamily, make<FieldSpritePage>},
    PageRow{morvi::windowSkinFamily, make<WindowSkinPage>},
};

} // namespace

std::span<const PageRow> pageTable() { return kRows; }

const PageRow* pageRowOf(morvi::Family family) {
    for (const PageRow& row : kRows)
        if (row.family() == family) return &row;
    return nullptr;
}

} // namespace morvi::ui

#pragma once
// A family's page as its own type, for the code that drives one page on purpose (tests,
// benchmarks, the screenshots): the window holds its pages only as pages (and makes one when it
// is first asked for).
#include "characters/character_module.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "ui/pages/character_page.h"
#include "ui/pages/field_sprite_page.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"

namespace morvi::ui {

template <class Window> MonsterPage* monsterPage(Window& w) {
    return dynamic_cast<MonsterPage*>(w.pageOf(morvi::monsterFamily()));
}
template <class Window> PortraitPage* portraitPage(Window& w) {
    return dynamic_cast<PortraitPage*>(w.pageOf(morvi::portraitFamily()));
}
template <class Window> CharacterPage* characterPage(Window& w) {
    return dynamic_cast<CharacterPage*>(w.pageOf(morvi::characterFamily()));
}
template <class Window> FieldSpritePage* fieldSpritePage(Window& w) {
    return dynamic_cast<FieldSpritePage*>(w.pageOf(morvi::fieldSpriteFamily()));
}

} // namespace morvi::ui

#pragma once
// The Characters page on the demo ROM, for the tests of the page and of its animation.
#include <QTabBar>
#include <gtest/gtest.h>

#include "characters/characters.h"
#include "ui/pages/character_page.h"
#include "ui/shell/main_window.h"
#include "ui/tests/ui_test_support.h"
#include "characters/character_module.h"

namespace morvi::ui {

struct CharacterFixture : ::testing::Test {
    void SetUp() override {
        h.openDemo();
        h.window->tabBar()->setCurrentIndex(3);
        page = characterPage(*h.window);
        ASSERT_TRUE(page->isVisible());
    }
    morvi::CharacterSprites& character(int i) { return charactersOf(*h.ws).characters[std::size_t(i)]; }
    QPoint canvasPointOf(int x, int y) { return canvasPixel(page, x, y); }
    // The characters as the ROM file holds them now.
    std::unique_ptr<morvi::CharacterSet> saved() {
        auto set = std::make_unique<morvi::CharacterSet>();
        morvi::RomState rom;
        rom.romHasHeader = false;
        EXPECT_TRUE(morvi::loadCharacterSprites(*set, h.romPath(), rom));
        return set;
    }
    EditorHarness h;
    CharacterPage* page = nullptr;
};

} // namespace morvi::ui

// The character page's layout: a column that holds still from one character to the next, a
// sheet and an animation that grow with the window, and the current swatch's mark.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QSlider>
#include <gtest/gtest.h>

#include "ui/tests/character_fixture.h"

using namespace morvi::ui;

namespace {

// Where the column's parts are, in page coordinates.
struct ColumnPlace {
    int canvasLeft;
    int noteWidth;
    int animationListTop;
    bool operator==(const ColumnPlace&) const = default;
};

ColumnPlace placeOf(CharacterPage* page) {
    QApplication::processEvents(); // the layout settles
    return {page->widgets().canvas->mapTo(page, QPoint(0, 0)).x(), page->battleNote()->width(),
            page->animation().list()->mapTo(page, QPoint(0, 0)).y()};
}

} // namespace

TEST_F(CharacterFixture, TheColumnHoldsStillAcrossCharactersAndTheSheetGrowsWithTheWindow) {
    // Every other character gets a battle pose in a field-only colour: its note grows long.
    for (int c = 0; c < morvi::kCharacterCount; c += 2) {
        if (c == morvi::kEsperTerra) continue;
        page->widgets().pictureList->setCurrentIndex(c);
        click(page->widgets().preview, QPoint(3, 3));
        click(page->widgets().strip, QPoint(18 * 13 + 5, 10));
        drag(page->widgets().canvas, {canvasPointOf(1, 1)});
    }
    page->widgets().pictureList->setCurrentIndex(0);
    ASSERT_TRUE(page->battleNote()->text().startsWith(QStringLiteral("Colours 12-15"))) << page->battleNote()->text().toStdString();
    auto walk = [&] {
        page->widgets().pictureList->setCurrentIndex(0);
        const ColumnPlace first = placeOf(page);
        for (int c = 1; c < morvi::kCharacterCount; ++c) {
            page->widgets().pictureList->setCurrentIndex(c);
            const ColumnPlace here = placeOf(page);
            EXPECT_EQ(here.canvasLeft, first.canvasLeft) << "character " << c;
            EXPECT_EQ(here.noteWidth, first.noteWidth) << "character " << c;
            EXPECT_EQ(here.animationListTop, first.animationListTop) << "character " << c;
        }
        return first;
    };
    const ColumnPlace small = walk();
    EXPECT_EQ(page->widgets().preview->scale(), 1);

    // At 1280 x 900 the sheet and the animation are twice their size, and still sharp.
    h.pinCanvases(false);
    h.window->resize(1280, 900);
    QApplication::processEvents();
    const int scale = page->widgets().preview->scale();
    EXPECT_EQ(scale, 2);
    EXPECT_EQ(page->widgets().preview->size(), QSize(morvi::kSheetWidth * scale, morvi::kFullSheetHeight * scale));
    EXPECT_EQ(page->animation().view()->scale(), scale);
    EXPECT_GE(page->widgets().canvas->width(), page->widgets().preview->width()) << "the canvas keeps the larger share";
    EXPECT_LE(page->widgets().preview->mapTo(page, QPoint(0, page->widgets().preview->height())).y(), page->height());
    const QImage shown = page->widgets().preview->grab().toImage();
    const morvi::Surface& sheet = page->widgets().preview->surface();
    for (const QPoint p : {QPoint(5, 7), QPoint(37, 20), QPoint(100, 130)})
        for (const QPoint d : {QPoint(0, 0), QPoint(scale - 1, scale - 1)})
            EXPECT_EQ(shown.pixel(p * scale + d), sheet.at(p.x(), p.y())) << p.x() << "," << p.y();
    // A click picks the pose under it at any scale.
    click(page->widgets().preview, QPoint(16 * 3 + 5, 24 * 2 + 7) * scale);
    EXPECT_EQ(page->selectedSprite(), 19);
    const ColumnPlace large = walk();
    EXPECT_GT(large.canvasLeft, small.canvasLeft);

    h.window->resize(685, 490);
    QApplication::processEvents();
    EXPECT_EQ(page->widgets().preview->scale(), 1);
}

TEST_F(CharacterFixture, TheCurrentSwatchIsMarkedOnALightColourAndOnADarkOne) {
    click(page->widgets().strip, QPoint(18 * 5 + 9, 15));
    ASSERT_EQ(page->palette().current(), 5);
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    for (const int level : {31, 0}) {
        for (int channel = 0; channel < 3; ++channel) page->widgets().colorControls->slider(channel)->setValue(level);
        const QImage strip = page->widgets().strip->grab().toImage();
        const QRgb colour = level ? qRgb(248, 248, 248) : black; // the lightest colour the game has
        ASSERT_EQ(strip.pixel(18 * 5 + 9, 15), colour);
        // Its own border is white with a black ring inside, against its neighbours' black.
        EXPECT_EQ(strip.pixel(18 * 5, 15), white) << level;
        EXPECT_EQ(strip.pixel(18 * 5 + 1, 15), black) << level;
        EXPECT_EQ(strip.pixel(18 * 5 + 9, 1), black) << level;
        EXPECT_EQ(strip.pixel(18 * 5 + 17, 15), white) << level;
        EXPECT_EQ(strip.pixel(18 * 4 + 17, 15), black) << level;
        EXPECT_EQ(strip.pixel(18 * 5 + 3, 3), colour) << level;
    }
}

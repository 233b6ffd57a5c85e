// The character page's animation preview, onion skin and animation export, through the real
// widgets and keys.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

#include "rom/rom_checksum.h"
#include "app/animation_export.h"
#include "testing/fixtures.h"
#include "ui/dialogs/animation_export_dialog.h"
#include "ui/pages/character_page.h"
#include "ui/shell/main_window.h"
#include "ui/tests/character_fixture.h"
#include "ui/tests/ui_test_support.h"
#include "ui/widgets/views.h"

using namespace morvi::ui;

namespace {

struct AnimationFixture : CharacterFixture {
    AnimationPanel& panel() { return page->animation(); }
    void choose(const QString& text) {
        const int row = panel().list()->findText(text);
        ASSERT_GE(row, 0) << text.toStdString();
        panel().list()->setCurrentIndex(row);
    }
};

} // namespace

// The list holds the game's 28 animations and "Your sequence ..."; a walk plays its poses at 8
// ticks a pose, x2 halves that, steps go both ways, and the view shows the pose's pixels.
TEST_F(AnimationFixture, TheGamesAnimationsPlayAtTheirSpeed) {
    EXPECT_EQ(panel().list()->count(), 29);
    choose(QStringLiteral("Field: walk down"));
    EXPECT_EQ(morvi::formatPoseSequence(panel().frames()), "1 2 1 0");
    EXPECT_EQ(panel().framesPerPose(), 8);
    EXPECT_EQ(panel().speedLabel()->text(), QStringLiteral("8/60 s"));
    for (int t = 0; t < 8; ++t) panel().tick();
    EXPECT_EQ(panel().player().current().pose, 2);
    // The view draws pose 2 with its feet mirrored, at x3 at the bottom centre.
    const morvi::IndexedImage drawn = morvi::renderPose(character(0), {2, false}, false);
    EXPECT_EQ(panel().frameShown().pixels, drawn.pixels);
    panel().doubleButton()->click();
    EXPECT_EQ(panel().framesPerPose(), 4);
    for (int t = 0; t < 4; ++t) panel().tick();
    EXPECT_EQ(panel().player().current().pose, 1);
    panel().backButton()->click();
    EXPECT_EQ(panel().player().current().pose, 2);
    panel().forwardButton()->click();
    panel().forwardButton()->click();
    EXPECT_EQ(panel().player().current().pose, 0);
    panel().speedSlider()->setValue(20);
    EXPECT_FALSE(panel().doubleButton()->isChecked());
    EXPECT_EQ(panel().framesPerPose(), 20);
    // Play and pause: the button and Enter on the canvas (with no selection showing).
    panel().playButton()->click();
    EXPECT_TRUE(panel().playing());
    page->widgets().canvas->setFocus();
    QTest::keyClick(page->widgets().canvas, Qt::Key_Return);
    EXPECT_FALSE(panel().playing());
    QTest::keyClick(page->widgets().canvas, Qt::Key_Period);
    EXPECT_EQ(panel().player().index(), 0) << "the last of four, then round to the first";
    // Playing for real: the clock moves the poses on.
    panel().speedSlider()->setValue(1);
    panel().setPlaying(true);
    const int before = panel().player().index();
    QTest::qWait(120);
    panel().setPlaying(false);
    EXPECT_NE(panel().player().index(), before);
}

// Battle animations show colours 12 to 15 as the battle replaces them; field ones do not.
TEST_F(AnimationFixture, BattleAnimationsMarkTheFieldOnlyColours) {
    click(page->widgets().preview, QPoint(16 * 4 + 3, 24 * 2 + 3)); // pose 20, winking: tile 00 is pose 1's too
    const morvi::PixelWrite w{1, 1, 14};
    page->commitWrites(QStringLiteral("Draw"), {w});
    choose(QStringLiteral("Battle: blinking"));
    EXPECT_EQ(panel().frameShown().palette[14], morvi::kBattleMarkerColor);
    EXPECT_EQ(panel().frameShown().pixel(1, 1), 14);
    choose(QStringLiteral("Field: walk down"));
    EXPECT_EQ(panel().frameShown().palette[14], character(0).sprites[1].palette[14]);
}

// A stroke on the pose shown shows in the preview while it is drawn, before the release.
TEST_F(AnimationFixture, AnEditShowsInTheNextFrame) {
    choose(QStringLiteral("Field: walk left"));
    click(page->widgets().preview, QPoint(16 * 7 + 3, 3)); // pose 7, the animation's first frame
    ASSERT_EQ(panel().player().current().pose, 7);
    click(page->widgets().strip, QPoint(18 * 9 + 5, 10));
    const int before = panel().frameShown().pixel(2, 2);
    ASSERT_NE(before, 9);
    QTest::mousePress(page->widgets().canvas, Qt::LeftButton, Qt::NoModifier, canvasPointOf(2, 2));
    EXPECT_EQ(panel().frameShown().pixel(2, 2), 9) << "shown while the button is still down";
    QTest::mouseRelease(page->widgets().canvas, Qt::LeftButton, Qt::NoModifier, canvasPointOf(2, 2));
    EXPECT_EQ(panel().frameShown().pixel(2, 2), 9);
}

// A sequence of one's own plays, is refused with a reason when it is not one, and is kept.
TEST_F(AnimationFixture, YourOwnSequencePlaysAndIsKept) {
    choose(QStringLiteral("Your sequence ..."));
    EXPECT_TRUE(panel().sequenceRow()->isVisible());
    panel().speedSlider()->setValue(6);
    EXPECT_FALSE(panel().playSequence(QStringLiteral("7 8 x")));
    EXPECT_TRUE(panel().sequenceBox()->toolTip().contains(QStringLiteral("\"x\" is not a pose")));
    panel().sequenceBox()->setCurrentText(QStringLiteral("7 8 7 6m"));
    QTest::keyClick(panel().sequenceBox()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(morvi::formatPoseSequence(panel().frames()), "7 8 7 6m");
    EXPECT_EQ(panel().framesPerPose(), 6);
    ASSERT_FALSE(h.ws->settings.recentSequences.empty());
    EXPECT_EQ(h.ws->settings.recentSequences.front().poses, "7 8 7 6m");
    EXPECT_EQ(h.ws->settings.recentSequences.front().framesPerPose, 6);
    EXPECT_EQ(panel().sequenceBox()->itemText(0), QStringLiteral("7 8 7 6m"));
}

// The onion skin: F3 turns it on (the menu item shows it), the canvas shows the neighbours
// tinted where the pose is transparent, and nothing of it reaches the picture or the ROM.
TEST_F(AnimationFixture, OnionSkinIsDrawnButNeverWritten) {
    choose(QStringLiteral("Field: walk down"));
    click(page->widgets().preview, QPoint(16 * 2 + 3, 3)); // pose 2: 1 before it, 1 after it
    const auto picture = page->source().picture().pixels;
    const morvi::Surface plain = page->widgets().canvas->surface();
    QAction* onion = h.window->action("onion-skin");
    ASSERT_NE(onion, nullptr);
    EXPECT_FALSE(onion->isChecked());
    QTest::keyClick(h.window.get(), Qt::Key_F3);
    EXPECT_TRUE(panel().onionOn());
    EXPECT_TRUE(onion->isChecked());
    ASSERT_EQ(page->editor().onion().size(), 2u) << "pose 1 before pose 2 and after it";
    // Somewhere the pose is transparent and its neighbour is not, the canvas changed.
    const morvi::Surface& onionShown = page->widgets().canvas->surface();
    int tinted = 0;
    const morvi::IndexedImage& pose = page->source().picture();
    const morvi::IndexedImage neighbour = morvi::renderPose(character(0), {1, false}, false);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 16; ++x) {
            const QPoint at = canvasPointOf(x, y);
            const bool differs = onionShown.at(at.x(), at.y()) != plain.at(at.x(), at.y());
            if (pose.pixel(x, y) != 0) ASSERT_FALSE(differs) << "the pose's own pixels stay";
            else if (neighbour.pixel(x, y) != 0) tinted += differs;
        }
    EXPECT_GT(tinted, 0);
    EXPECT_EQ(page->source().picture().pixels, picture);
    // A pixel drawn with the onion on is the only change a save makes.
    const auto romBefore = morvi::testing::readFile(h.romPath());
    click(page->widgets().strip, QPoint(18 * 9 + 5, 10));
    drag(page->widgets().canvas, {canvasPointOf(0, 0)});
    QTest::keyClick(h.window.get(), Qt::Key_S, Qt::ControlModifier);
    const auto romAfter = morvi::testing::readFile(h.romPath());
    ASSERT_EQ(romAfter.size(), romBefore.size());
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < romAfter.size(); ++i)
        if (romAfter[i] != romBefore[i]) changed.push_back(i);
    const std::size_t tile0 = morvi::kSpriteGraphicsOffset + character(0).tileAddress;
    ASSERT_FALSE(changed.empty());
    // The header checksum follows every save; nothing else outside the tile may change.
    const std::size_t sum = *morvi::headerChecksumOffset(romAfter.size());
    for (std::size_t i : changed)
        EXPECT_TRUE((i >= tile0 && i < tile0 + 32) || (i >= sum && i < sum + 4)) << "byte " << i << " is outside tile 00";
    // The opacity slider is kept with the settings; F3 again turns it off.
    panel().onionSlider()->setValue(70);
    EXPECT_EQ(h.ws->settings.onionOpacity, 70);
    h.activate(); // the save's progress window took the focus
    QTest::keyClick(h.window.get(), Qt::Key_F3);
    EXPECT_FALSE(panel().onionOn());
    EXPECT_FALSE(onion->isChecked());
    EXPECT_TRUE(page->editor().onion().empty());
}

// "Export Animation ..." writes the chosen animation as a GIF at the chosen scale.
TEST_F(AnimationFixture, ExportAnimationWritesTheGif) {
    choose(QStringLiteral("Battle: casting"));
    h.window->action("export-animation")->trigger();
    auto* d = qobject_cast<AnimationExportDialog*>(page->transfers().openDialog());
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->pathEdit()->text().endsWith(QStringLiteral("Terra-casting.gif")));
    const std::string out = h.file("cast.gif");
    d->pathEdit()->setText(QString::fromStdString(out));
    d->scaleBox()->setValue(2);
    d->okButton()->click();
    const auto bytes = morvi::testing::readFile(out);
    ASSERT_GT(bytes.size(), 13u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
    EXPECT_EQ(bytes[6] | (bytes[7] << 8), 32);
    EXPECT_EQ(bytes[8] | (bytes[9] << 8), 48);
    // Not on the other pages.
    h.window->tabBar()->setCurrentIndex(0);
    EXPECT_FALSE(h.window->action("export-animation")->isEnabled());
}

#include "ui/pages/field_sprite_page.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/animation_export.h"
#include "characters/character_module.h"
#include "fieldsprites/field_animations.h"
#include "fieldsprites/field_files.h"
#include "fieldsprites/field_palettes.h"
#include "rom/rom_file.h"
#include "ui/dialogs/dialogs.h"
#include "ui/widgets/views.h"

namespace morvi::ui {

namespace {

// The largest sheet picture: the vehicles' 16 x 16 tiles (frames wrap at 128 pixels).
constexpr int kSheetViewWidth = morvi::kFieldSheetPictureWidth;
constexpr int kSheetViewHeight = 128;

QString paletteTitle(int n) { return QStringLiteral("%1 · %2").arg(n).arg(QString::fromLatin1(morvi::fieldPaletteName(n))); }

} // namespace

FieldSpritePage::FieldSpritePage(EditorContext& context, QWidget* parent)
    : Page(context, {morvi::fieldSpriteFamily(), QSize(kSheetViewWidth, kSheetViewHeight), QStringLiteral("Sprite sheet")}, parent) {
    m_refusal = new QLabel(this);
    m_refusal->setWordWrap(true);
    m_refusal->setAccessibleName(QStringLiteral("Field sprites refused"));
    m_refusal->setStyleSheet(QStringLiteral("color: #b00000"));
    m_refusal->hide();
    columns().left()->insertWidget(0, m_refusal);
    m_widgets.paletteList = columns().addList(QStringLiteral("Palette"), QStringLiteral("Field palette"));
    static_cast<FittingComboBox*>(m_widgets.paletteList)
        ->setBaseToolTip(QStringLiteral("The field sprite palette the sheet is shown in; the game chooses it for each "
                                        "appearance of the sprite, so this changes only what the page shows"));
    m_sharing = new QLabel(this);
    m_sharing->setWordWrap(true);
    m_sharing->setAccessibleName(QStringLiteral("Sharing"));
    // Three lines whatever the text, so the controls below never move from one sheet to the next.
    m_sharing->setFixedHeight(3 * m_sharing->fontMetrics().lineSpacing());
    m_sharing->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    columns().left()->addWidget(m_sharing);
    m_animation = new AnimationPanel(
        context.ws,
        [this] {
            AnimationPanel::Showing now;
            if (sprites().frameCount() == 0) return now;
            const int sheet = currentSheet();
            now.pictures = [this, sheet](const std::vector<morvi::AnimationFrame>& frames) {
                return morvi::fieldAnimationPictures(morvi::fieldSpritesInColour(m_context.ws), sheet, frames);
            };
            return now;
        },
        this);
    layOutAnimationPanel(columns().left(), m_widgets.preview, *m_animation, false);
    columns().left()->addStretch(1);
    // A stroke shows in the animation once it is written.
    connect(this, &Page::edited, m_animation, &AnimationPanel::redraw);
    m_widgets.preview->setCursor(Qt::PointingHandCursor);
    m_widgets.preview->setMouseTracking(true);
    m_widgets.preview->setToolTip(QStringLiteral("Click a frame to edit it"));
    m_widgets.importButton = columns().addButton(QStringLiteral("Import Sheet"), [this] { importImage(); });
    m_widgets.clearButton = columns().addButton(QStringLiteral("Clear Sheet"), [this] { clearImage(); });
    transfers().setImportTitle([] { return QStringLiteral("Import Field sprite sheet"); });
    transfers().setImportFilters({imageFilesFilter(), fileFilter(QStringLiteral("Sheet files (*.bin+*.pal)"), QStringLiteral("*.bin *.BIN")),
                                  allFilesFilter()});
    transfers().setOwnImport([this](const QString& path) { return importRaw(path); });
    fillLists();
    connect(m_widgets.pictureList, &QComboBox::currentIndexChanged, this, [this](int index) {
        selecting().deselect();
        if (index >= 0) selectSheet(index);
    });
    connect(m_widgets.paletteList, &QComboBox::currentIndexChanged, this, [this](int n) {
        if (n < 0 || !morvi::showFieldSheetInPalette(m_context.ws, source().index(), n)) return;
        palette().updateControls();
        redrawPage();
    });
    connect(m_widgets.preview, &SurfaceView::pressed, this, &FieldSpritePage::sheetClicked);
    connect(m_widgets.preview, &SurfaceView::hovered, this, &FieldSpritePage::sheetHovered);
    connect(m_widgets.preview, &SurfaceView::left, this, [this] { emit noteShown(QString()); });
    connect(this, &Page::pointerMoved, this, [this](QPoint at) {
        const int tile = tileUnder(at);
        if (tile == m_sharedTile) return;
        m_sharedTile = tile;
        paintOwn();
    });
    connect(this, &Page::pointerLeft, this, [this] {
        if (m_sharedTile < 0) return;
        m_sharedTile = -1;
        paintOwn();
    });
    selectSheet(0);
}

void FieldSpritePage::fillLists() {
    QSignalBlocker a(m_widgets.pictureList), b(m_widgets.paletteList);
    const int shown = std::max(0, m_widgets.pictureList->currentIndex());
    m_widgets.pictureList->clear();
    for (int p = 0; p < morvi::kFieldSheetPictures; ++p)
        m_widgets.pictureList->addItem(QString::fromStdString(morvi::fieldSpriteFamily()->pictureName(m_context.ws, p)));
    m_widgets.pictureList->setCurrentIndex(shown);
    if (m_widgets.paletteList->count() == 0)
        for (int n = 0; n < morvi::kFieldPaletteCount; ++n) m_widgets.paletteList->addItem(paletteTitle(n));
    const std::string& refusal = morvi::fieldSpritesRefusal(m_context.ws);
    m_refusal->setText(QString::fromStdString(refusal));
    m_refusal->setVisible(!refusal.empty());
}

void FieldSpritePage::reloaded() {
    fillLists();
    selectSheet(std::max(0, m_widgets.pictureList->currentIndex()));
}

void FieldSpritePage::dataRestored() {
    Page::dataRestored();
    m_animation->redraw();
}

void FieldSpritePage::selectSheet(int picture) {
    source().show(picture);
    sprites().showFrame(std::clamp(sprites().frame(), 0, std::max(0, sprites().frameCount() - 1)));
    m_sharedTile = -1;
    m_animation->setAnimations(morvi::fieldAnimations(sprites().sheet()));
    palette().updateControls();
    redrawPage();
}

QString FieldSpritePage::sheetTitle() const {
    return currentSheet() == morvi::kVehicleSheet ? QStringLiteral("The vehicles") : QStringLiteral("Sheet %1").arg(currentSheet());
}

void FieldSpritePage::sheetHovered(QPoint at) {
    const int frame = morvi::fieldFrameAtSheet(sprites().sheet(), at.x(), at.y());
    const QString text = frame < 0 ? QStringLiteral("Click a frame to edit it")
                                   : QStringLiteral("%1 %2").arg(frame).arg(QString::fromStdString(sprites().sheet().frames[std::size_t(frame)].name));
    m_widgets.preview->setToolTip(text);
    emit noteShown(frame < 0 ? QString() : text);
}

void FieldSpritePage::sheetClicked(QPoint at) {
    const int frame = morvi::fieldFrameAtSheet(sprites().sheet(), at.x(), at.y());
    if (frame < 0 || frame == selectedFrame()) return;
    selecting().deselect();
    sprites().showFrame(frame);
    redrawPage();
}

int FieldSpritePage::tileUnder(QPoint at) const {
    const auto& sheet = sprites().sheet();
    if (selectedFrame() >= int(sheet.frames.size())) return -1;
    const morvi::FieldFrame& frame = sheet.frames[std::size_t(selectedFrame())];
    if (at.x() < 0 || at.y() < 0 || at.x() >= frame.width() || at.y() >= frame.height()) return -1;
    return frame.tile(at.x() / 8, at.y() / 8);
}

QString FieldSpritePage::pointerNote(QPoint at) const {
    const int tile = tileUnder(at);
    if (tile < 0) return QString();
    const auto& sheet = sprites().sheet();
    QStringList frames;
    for (int f : morvi::fieldFramesUsingTile(sheet, tile)) frames << QString::number(f);
    return QStringLiteral("%1 · tile %2: frames %3")
        .arg(QString::fromStdString(sheet.frames[std::size_t(selectedFrame())].name),
             QString::number(tile, 16).toUpper().rightJustified(2, QLatin1Char('0')), frames.join(QStringLiteral(", ")));
}

void FieldSpritePage::paintOwn() {
    const morvi::FieldSheet& sheet = sprites().sheet();
    renderPreview(morvi::fieldSheetPicture(morvi::fieldSpritesInColour(m_context.ws), currentSheet()), QSize(kSheetViewWidth, kSheetViewHeight));
    // The frame on the canvas, and every frame that shows the tile under the pointer: a pixel
    // painted there changes all of them.
    if (!sheet.frames.empty()) {
        morvi::Surface& s = m_widgets.preview->surface();
        const morvi::FieldSheetLayout layout = morvi::fieldSheetLayout(sheet);
        auto mark = [&s](int x, int y, std::uint32_t colour) {
            if (s.contains(x, y)) s.set(x, y, colour);
        };
        auto outline = [&](int f, std::uint32_t colour) {
            const auto spot = layout.spots[std::size_t(f)];
            const morvi::FieldFrame& frame = sheet.frames[std::size_t(f)];
            for (int x = spot.x; x < spot.x + frame.width(); ++x) {
                mark(x, spot.y, colour);
                mark(x, spot.y + frame.height() - 1, colour);
            }
            for (int y = spot.y; y < spot.y + frame.height(); ++y) {
                mark(spot.x, y, colour);
                mark(spot.x + frame.width() - 1, y, colour);
            }
        };
        if (sheet.frames.size() > 1) outline(std::clamp(selectedFrame(), 0, int(sheet.frames.size()) - 1), morvi::rgb32(255, 255, 255));
        if (m_sharedTile >= 0)
            for (int f : morvi::fieldFramesUsingTile(sheet, m_sharedTile)) outline(f, morvi::rgb32(255, 208, 0));
        m_widgets.preview->update();
    }
    {
        QSignalBlocker quiet(m_widgets.paletteList);
        m_widgets.paletteList->setCurrentIndex(sheet.palette);
        m_widgets.paletteList->setEnabled(!sheet.frames.empty());
    }
    showSharing();
    m_animation->redraw();
}

void FieldSpritePage::showSharing() {
    const auto& set = morvi::fieldSpritesOf(m_context.ws);
    const int palette = sprites().sheet().palette;
    const int sheets = int(morvi::fieldSheetsInPalette(set, palette).size()) - 1;
    int characters = 0;
    for (const auto& ch : morvi::charactersOf(m_context.ws).characters) characters += ch.paletteNumber == palette && !ch.fixedPalette;
    if (sheets <= 0 && characters == 0) {
        m_sharing->setText(QStringLiteral("Palette %1: no other sheet is shown in it").arg(palette));
        m_sharing->setToolTip(QStringLiteral("Colour changes reach only this sheet on this page"));
        return;
    }
    QStringList who;
    if (sheets > 0) who << (sheets == 1 ? QStringLiteral("1 other sheet") : QStringLiteral("%1 other sheets").arg(sheets));
    if (characters > 0) who << (characters == 1 ? QStringLiteral("1 character") : QStringLiteral("%1 characters").arg(characters));
    m_sharing->setText(QStringLiteral("Palette %1: a colour edited here changes %2 too").arg(palette).arg(who.join(QStringLiteral(" and "))));
    m_sharing->setToolTip(QStringLiteral("The game keeps one table of 32 field sprite palettes: every sprite shown in "
                                         "palette %1 takes the colours edited here")
                              .arg(palette));
}

QString FieldSpritePage::clearQuestion() const { return QStringLiteral("This will erase every frame of %1").arg(sheetTitle().toLower()); }

std::optional<bool> FieldSpritePage::importRaw(const QString& path) {
    const std::string file = path.toUtf8().toStdString();
    if (QFileInfo(path).suffix().compare(QStringLiteral("bin"), Qt::CaseInsensitive) != 0) return std::nullopt;
    morvi::CollectingNotifier said;
    const bool ok = edit(QStringLiteral("Import"), [&] { return family()->importRaw(m_context.ws, source().index(), file, said); });
    if (!ok) {
        QStringList why;
        for (const auto& m : said.messages) why << QString::fromStdString(m.text);
        m_context.prompts.message(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), why.join(QLatin1Char('\n'))), Icon::Error);
        return false;
    }
    palette().updateControls();
    redrawPage();
    return true;
}

void FieldSpritePage::exportImage() {
    const int picture = source().index();
    const QString name = currentSheet() == morvi::kVehicleSheet ? QStringLiteral("vehicles") : QStringLiteral("sprite-%1").arg(currentSheet());
    transfers().runExport(QStringLiteral("Export field sprite sheet"), name, true,
                          [this, picture](const std::string& path, morvi::ExportFileType type) {
                              return family()->exportPicture(m_context.ws, picture, path, {type, false}).empty();
                          });
}

void FieldSpritePage::exportAnimation() {
    const int sheet = currentSheet();
    exportPanelAnimation(*m_animation, window(), transfers(), m_context, sheetTitle(), QStringLiteral("sprite-%1").arg(sheet),
                         [this, sheet](const std::vector<morvi::AnimationFrame>& frames) {
                             return morvi::fieldAnimationPictures(morvi::fieldSpritesInColour(m_context.ws), sheet, frames);
                         });
}

} // namespace morvi::ui

#include "ui/editor/palette_panel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

#include "family/picture_source.h"
#include "image/canvas.h"
#include "imagefile/palette_file.h"
#include "ui/dialogs/prompts.h"
#include "ui/editor/edit_sink.h"
#include "ui/widgets/colour_controls.h"
#include "ui/widgets/palette_strip.h"

namespace morvi::ui {

PalettePanel::PalettePanel(morvi::PictureSource& source, EditSink& sink, Prompts& prompts, PaletteStrip* strip,
                           ColorControls* controls, QWidget* page)
    : QObject(page), m_source(source), m_sink(sink), m_prompts(prompts), m_strip(strip), m_controls(controls), m_page(page) {
    connect(m_controls, &ColorControls::channelMoved, this, &PalettePanel::sliderMoved);
    connect(m_controls, &ColorControls::transparentClicked, this, &PalettePanel::transparentClicked);
    connect(m_controls, &ColorControls::sliderPressed, this, [this] { m_sink.beginGroup(QStringLiteral("Palette colour")); });
    connect(m_controls, &ColorControls::sliderReleased, this, [this] { m_sink.endGroup(); });
    connect(m_controls, &ColorControls::colorEntered, this,
            [this](morvi::PaletteColor c) { setColor(m_current, c, QStringLiteral("Palette colour")); });
    connect(m_strip, &PaletteStrip::chosen, this, [this](int k) {
        if (k < m_source.colorCount()) setCurrent(k);
    });
    connect(m_strip, &PaletteStrip::doubleClicked, this, &PalettePanel::chooseInDialog);
    connect(m_strip, &PaletteStrip::menuRequested, this, &PalettePanel::showSwatchMenu);
    connect(m_strip, &PaletteStrip::dropped, this, &PalettePanel::reorder);
}

int PalettePanel::swatchWidth() const { return m_source.colorCount() == 8 ? 36 : 18; }

void PalettePanel::setCurrent(int k) {
    m_current = k >= 0 && k < m_source.colorCount() ? k : 0;
    updateControls();
    paint();
}

void PalettePanel::updateControls() {
    if (m_current >= m_source.colorCount()) m_current = 0;
    m_controls->setEditable(m_source.colorEditable(m_current), m_current == 0);
}

void PalettePanel::paint() {
    const std::vector<morvi::PaletteColor> colors = m_source.tableColors();
    m_strip->setSwatches(swatchWidth(), m_source.colorCount());
    const std::uint32_t used = morvi::colorsUsed(m_source.workspace(), m_source.paletteTarget());
    morvi::drawPaletteStrip(m_strip->surface(), colors, swatchWidth(), m_current, ~used);
    m_strip->update();
    const morvi::PaletteColor c = std::size_t(m_current) < colors.size() ? colors[std::size_t(m_current)] : morvi::PaletteColor{};
    m_controls->setValues(c.red / 8, c.green / 8, c.blue / 8);
    m_controls->setColor(c);
}

bool PalettePanel::setColor(int k, morvi::PaletteColor color, const QString& label) {
    return m_sink.edit(label, [&] { return m_source.setColor(k, color); });
}

void PalettePanel::chooseInDialog(int k) {
    if (k < 0 || k >= m_source.colorCount() || !m_source.colorEditable(k)) return;
    if (k != m_current) setCurrent(k);
    const std::vector<morvi::PaletteColor> colors = m_source.tableColors();
    const morvi::PaletteColor c = std::size_t(k) < colors.size() ? colors[std::size_t(k)] : morvi::PaletteColor{};
    const auto chosen = m_prompts.chooseColor(m_page->window(), QColor(c.red, c.green, c.blue), QStringLiteral("Colour %1").arg(k));
    if (!chosen) return;
    setColor(k, morvi::makeColor(std::uint8_t(chosen->red()), std::uint8_t(chosen->green()), std::uint8_t(chosen->blue())),
             QStringLiteral("Palette colour"));
}

void PalettePanel::showSwatchMenu(int k, QPoint globalPos) {
    if (k < 0 || k >= m_source.colorCount()) return;
    if (m_menu) m_menu->deleteLater();
    auto* menu = new QMenu(m_page);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setAccessibleName(QStringLiteral("Colour %1").arg(k));
    menu->addAction(QStringLiteral("Copy colour"), this, [this, k] { copyColor(k); });
    QAction* paste = menu->addAction(QStringLiteral("Paste colour"), this, [this, k] { pasteColor(k); });
    paste->setEnabled(m_source.colorEditable(k));
    menu->addSeparator();
    menu->addAction(QStringLiteral("Copy palette"), this, [this] { copyPalette(); });
    menu->addAction(QStringLiteral("Paste palette"), this, [this] { pastePalette(); });
    m_menu = menu;
    menu->popup(globalPos);
}

void PalettePanel::copyColor(int k) const {
    const std::vector<morvi::PaletteColor> colors = m_source.tableColors();
    if (k < 0 || std::size_t(k) >= colors.size()) return;
    QGuiApplication::clipboard()->setText(QString::fromStdString(morvi::hexColorText(colors[std::size_t(k)])));
}

bool PalettePanel::pasteColor(int k) {
    const auto color = morvi::parseHexColor(QGuiApplication::clipboard()->text().left(64).toStdString());
    if (!color) {
        m_prompts.message(QStringLiteral("The clipboard holds no colour \"#rrggbb\"."), Icon::Warning);
        return false;
    }
    return setColor(k, *color, QStringLiteral("Paste Colour"));
}

void PalettePanel::copyPalette() const {
    QString text;
    for (const morvi::PaletteColor& c : m_source.palette()) text += QString::fromStdString(morvi::hexColorText(c)) + QLatin1Char('\n');
    QGuiApplication::clipboard()->setText(text);
}

bool PalettePanel::pastePalette() {
    const morvi::PaletteRead read = morvi::readPaletteText(QGuiApplication::clipboard()->text().toStdString());
    if (!read.ok()) {
        m_prompts.message(QStringLiteral("The clipboard holds no palette: ") + QString::fromStdString(read.error) + QLatin1Char('.'),
                          Icon::Warning);
        return false;
    }
    return applyPalette(QStringLiteral("Paste Palette"), read.colors);
}

bool PalettePanel::applyPalette(const QString& label, std::span<const morvi::PaletteColor> colors) {
    const morvi::PaletteTarget target = m_source.paletteTarget();
    morvi::Workspace& ws = m_source.workspace();
    std::string why;
    const bool changed = m_sink.edit(label, [&] {
        const auto before = morvi::targetPalette(ws, target);
        if (!morvi::setTargetPalette(ws, target, colors, why)) return false;
        m_source.edited();
        return before != morvi::targetPalette(ws, target);
    });
    if (!why.empty())
        m_prompts.message(QStringLiteral("The palette was not changed: ") + QString::fromStdString(why) + QLatin1Char('.'), Icon::Warning);
    return changed;
}

bool PalettePanel::reorder(int from, int to, bool move) {
    const int n = m_source.colorCount();
    if (from < 0 || to < 0 || from >= n || to >= n || from == to) return false;
    emit reorderStarting();
    const std::vector<int> order = move ? morvi::moveOrder(n, from, to) : morvi::swapOrder(n, from, to);
    std::string why;
    const bool changed = m_sink.edit(move ? QStringLiteral("Move Colour") : QStringLiteral("Swap Colours"),
                                     [&] { return morvi::reorderTargetPalette(m_source.workspace(), m_source.paletteTarget(), order, why); });
    if (!why.empty()) {
        m_prompts.message(QStringLiteral("The colours were not reordered: ") + QString::fromStdString(why) + QLatin1Char('.'), Icon::Warning);
        return false;
    }
    // The dragged colour stays the current one, in its new place.
    setCurrent(to);
    return changed;
}

void PalettePanel::sliderMoved(int channel, int value) {
    const std::vector<morvi::PaletteColor> colors = m_source.tableColors();
    if (std::size_t(m_current) >= colors.size()) return;
    morvi::PaletteColor c = colors[std::size_t(m_current)];
    std::uint8_t& field = channel == 0 ? c.red : channel == 1 ? c.green : c.blue;
    field = std::uint8_t(value * 8);
    setColor(m_current, c, QStringLiteral("Palette colour"));
}

void PalettePanel::transparentClicked() {
    const int k = m_current;
    m_sink.edit(QStringLiteral("Transparent"), [&] { return m_source.makeTransparent(k); });
    setCurrent(0);
}

} // namespace morvi::ui

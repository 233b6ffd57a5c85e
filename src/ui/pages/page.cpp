#include "ui/pages/page.h"

#include <QComboBox>
#include <QPushButton>

#include "family/workspace.h"
#include "ui/dialogs/prompts.h"
#include "ui/widgets/colour_controls.h"
#include "ui/widgets/palette_strip.h"
#include "ui/widgets/tool_buttons.h"
#include "ui/widgets/views.h"

namespace morvi::ui {

Page::Page(EditorContext& context, const PageSpec& spec, QWidget* parent)
    : QWidget(parent), m_context(context), m_source(morvi::makePictureSource(context.ws, spec.family)),
      m_columns(*this, spec.previewSize, spec.previewName, m_widgets), m_previewSize(spec.previewSize) {
    const PageWidgets& w = m_widgets;
    m_editor = new CanvasEditor(context.ws, *m_source, m_selection,
                                {w.canvas, w.horizontalScroll, w.verticalScroll, w.magnification, w.tools},
                                morvi::PageMagnification{spec.magnification, std::string(spec.family->cliName())}, this);
    m_palette = new PalettePanel(*m_source, *this, context.prompts, w.strip, w.colorControls, this);
    m_transfers = new Transfers(context, *m_source, *this, *m_palette, this);
    m_selecting = std::make_unique<SelectionCommands>(
        m_selection, *m_editor, *m_source, *this, context.prompts,
        SelectionCommands::PageHooks{[this](Tool tool) { chooseTool(tool); }, [this](bool vertical) { flipImage(vertical ? 1 : 0); },
                                     [this] { redrawPage(); }});
    w.magnification->setValue(morvi::PageMagnification{spec.magnification, std::string(spec.family->cliName())}.get(context.ws.settings));
    connectParts();
}

Page::~Page() = default;

void Page::connectParts() {
    connect(m_widgets.exitButton, &QPushButton::clicked, this, &Page::exitRequested);
    m_editor->setColorSource([this] { return m_palette->current(); });
    connect(m_editor, &CanvasEditor::writesReady, this, &Page::commitWrites);
    connect(m_editor, &CanvasEditor::picked, this, [this](QPoint at) {
        const morvi::IndexedImage& picture = m_source->picture();
        const int c = picture.hasPixels() && picture.contains(at.x(), at.y()) ? picture.pixel(at.x(), at.y()) : 0;
        m_palette->setCurrent(c < m_source->colorCount() ? c : 0);
    });
    connect(m_editor, &CanvasEditor::pointerMoved, this, &Page::pointerMoved);
    connect(m_editor, &CanvasEditor::shapeSized, this, &Page::shapeSized);
    connect(m_editor, &CanvasEditor::viewMoved, this, &Page::redrawPage);
    connect(m_editor, &CanvasEditor::selectionShown, this, &Page::selectionShown);
    connect(m_editor, &CanvasEditor::previewChanged, this, [this] {
        if (m_previewFollows) renderPreview(m_editor->shown(), m_previewSize);
    });
    connect(m_widgets.canvas, &CanvasView::left, this, &Page::pointerLeft);
    connect(m_widgets.tools, &ToolButtons::toolChosen, this, &Page::chooseTool);
    connect(m_palette, &PalettePanel::reorderStarting, m_editor, &CanvasEditor::cancelGesture);
}

void Page::settle() { m_selecting->dropSelection(); }

const morvi::IndexedImage* Page::editedPicture() const {
    const morvi::IndexedImage& p = m_source->picture();
    return p.hasPixels() ? &p : nullptr;
}

void Page::setChanged(bool changed) {
    if (m_changed == changed) return;
    m_changed = changed;
    emit changedChanged(changed);
}

void Page::refreshChanged() { setChanged(m_context.history.differsFromSaved(family())); }

void Page::redrawPage() {
    // The page draws into its views and sets its controls; each of those repaints itself, so
    // the page as a whole is not repainted (a stroke repaints the canvas, not every button).
    m_editor->updateScrollRanges();
    beforeRender();
    m_editor->render();
    m_palette->paint();
    paintOwn();
}

void Page::renderPreview(const morvi::IndexedImage& image, QSize size) {
    morvi::drawImage(image, m_widgets.preview->surface(), &m_context.ws.backgrounds.smallBackdrop, size.width(), size.height());
    m_widgets.preview->update();
}

void Page::dataRestored() {
    m_editor->cancelGesture();
    if (m_selection.lifted()) m_selection.clear();
    m_source->restored();
    m_palette->updateControls();
    redrawPage();
}

void Page::showPicture(int index) {
    QComboBox* list = m_widgets.pictureList;
    if (index < 0 || index >= list->count()) return;
    if (list->currentIndex() == index) redrawPage();
    else list->setCurrentIndex(index);
}

void Page::chooseTool(Tool tool) {
    // Another tool puts a lifted selection down; the rectangle stays for copy and paste.
    if (tool != Tool::Select) m_selecting->dropSelection();
    m_editor->setTool(tool);
    m_widgets.tools->setCurrent(tool);
    emit toolChanged();
    redrawPage();
}

void Page::addToSave(morvi::SaveRequest& request) {
    // The save commits the picture shown.
    m_source->saved();
    describeSave(request);
}

void Page::describeSave(morvi::SaveRequest& request) const {
    request.add(family());
    request.shown[family()] = m_source->index();
}

void Page::clearImage() {
    if (m_selection.active()) {
        m_selecting->deleteSelection();
        return;
    }
    if (m_context.prompts.ask(clearQuestion(), Buttons::OkCancel, Icon::None) != Answer::Ok) return;
    edit(QStringLiteral("Clear"), [&] { return m_source->clear(); });
}

void Page::flipImage(int vertical) {
    if (m_selection.active()) {
        m_selecting->flipSelection(vertical != 0);
        return;
    }
    edit(vertical ? QStringLiteral("Flip vertical") : QStringLiteral("Flip horizontal"), [&] { return m_source->flip(vertical != 0); });
}

Page::PixelInfo Page::pixelInfo(QPoint p) const {
    PixelInfo info;
    const morvi::IndexedImage& picture = m_source->picture();
    if (!picture.hasPixels() || !picture.contains(p.x(), p.y())) return info;
    info.inside = true;
    info.index = m_editor->shown().pixel(p.x(), p.y());
    const std::vector<morvi::PaletteColor> colors = m_source->tableColors();
    info.color = std::size_t(info.index) < colors.size() ? colors[std::size_t(info.index)] : picture.palette[std::size_t(info.index)];
    return info;
}

// --- every change of the family ---

bool Page::runStep(const QString& label, std::vector<morvi::ChunkId> scope, const std::function<bool()>& change) {
    morvi::EditHistory& history = m_context.history;
    const bool grouped = history.open();
    if (!grouped && scope.empty()) history.begin(m_context.ws, family(), label.toStdString(), place());
    else if (!grouped) history.begin(m_context.ws, family(), label.toStdString(), place(), std::move(scope));
    const bool changed = change();
    if (!grouped) {
        history.end(m_context.ws);
        refreshChanged();
        emit edited(label);
    }
    return changed;
}

bool Page::edit(const QString& label, const std::function<bool()>& change) {
    // Any other edit puts a lifted selection down first.
    m_selecting->dropSelection();
    const bool changed = runStep(label, {}, [&] {
        const bool c = change();
        if (c) m_source->edited();
        return c;
    });
    // The picture may have shrunk under the selection.
    m_selection.fit(m_source->picture().width, m_source->picture().height);
    redrawPage();
    return changed;
}

void Page::beginGroup(const QString& label) {
    if (!m_context.history.open()) m_context.history.begin(m_context.ws, family(), label.toStdString(), place());
}

void Page::endGroup() {
    if (!m_context.history.open()) return;
    m_context.history.end(m_context.ws);
    refreshChanged();
    emit edited(QString());
}

void Page::commitWrites(const QString& label, const std::vector<morvi::PixelWrite>& writes) {
    // A colour the family's pictures cannot show is refused, with the reason.
    if (const std::string why = m_source->refusePixels(writes); !why.empty()) {
        m_context.prompts.message(QString::fromStdString(why), Icon::Warning);
        redrawPage();
        return;
    }
    // Writing pixels touches the picture's own chunks only: the step keeps just those.
    if (!writes.empty()) runStep(label, m_source->writeScope(), [&] { return m_source->writePixels(writes); });
    redrawPage();
}

} // namespace morvi::ui

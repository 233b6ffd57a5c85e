#include "ui/shell/status_bar.h"

#include <QLabel>
#include <QStatusBar>

#include "imagefile/palette_file.h"
#include "ui/pages/page.h"

namespace morvi::ui {

StatusTexts::StatusTexts(QStatusBar* bar) {
    bar->setSizeGripEnabled(true);
    auto label = [bar](const QString& name, int minimumChars, bool permanent) {
        auto* l = new QLabel(bar);
        l->setAccessibleName(name);
        l->setProperty("what", name);
        if (minimumChars) l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QLatin1Char('8')) * minimumChars);
        if (permanent) bar->addPermanentWidget(l);
        else bar->addWidget(l, 1);
        return l;
    };
    hint = label(QStringLiteral("Hint"), 0, false);
    size = label(QStringLiteral("Shape size"), 9, true);
    position = label(QStringLiteral("Position"), 8, true);
    tile = label(QStringLiteral("Tile"), 10, true);
    index = label(QStringLiteral("Colour index"), 8, true);
    color = label(QStringLiteral("Colour"), 14, true);
    note = label(QStringLiteral("Pose"), 0, true);
    for (QLabel* l : {size, position, tile, index, color, note}) l->hide();
}

void StatusTexts::showPointer(const Page& page, std::optional<QPoint> at) {
    const Page::PixelInfo info = at ? page.pixelInfo(*at) : Page::PixelInfo{};
    auto put = [](QLabel* l, const QString& text, const QString& value) {
        const QString what = l->property("what").toString();
        l->setText(text);
        l->setAccessibleName(value.isEmpty() ? what : what + QLatin1Char(' ') + value);
    };
    if (!at || !info.inside) {
        // Off the canvas, or beside the picture: the pointer's texts make way for the whole hint.
        for (QLabel* l : {position, tile, index, color, note}) {
            put(l, QString(), QString());
            l->hide();
        }
        const QString tip = QString::fromLatin1(toolInfo(page.editor().tool()).hint);
        put(hint, tip, tip);
        return;
    }
    put(hint, QString(), QString());
    for (QLabel* l : {position, tile, index, color}) l->show();
    const QString where = QStringLiteral("%1, %2").arg(at->x()).arg(at->y());
    const QString tileAt = QStringLiteral("%1, %2").arg(at->x() / 8).arg(at->y() / 8);
    const QString colour = QString::fromStdString(morvi::hexColorText(info.color)) + QStringLiteral("  $") +
                           QString::fromStdString(morvi::snesWordText(morvi::snesWord(info.color)));
    put(position, where, where);
    put(tile, QStringLiteral("tile ") + tileAt, tileAt);
    put(index, QStringLiteral("index %1").arg(info.index), QString::number(info.index));
    put(color, colour, colour);
    const QString own = page.pointerNote(*at);
    put(note, own, own);
    note->setVisible(!own.isEmpty());
}

void StatusTexts::showPageNote(const Page& page, const QString& text) {
    const QString shown = text.isEmpty() ? QString::fromLatin1(toolInfo(page.editor().tool()).hint) : text;
    hint->setText(shown);
    hint->setAccessibleName(shown);
}

void StatusTexts::showShapeSize(QSize s) {
    const QString text = s.isEmpty() ? QString() : QStringLiteral("%1 x %2").arg(s.width()).arg(s.height());
    size->setText(text);
    size->setAccessibleName(text.isEmpty() ? QStringLiteral("Shape size") : QStringLiteral("Shape size ") + text);
    size->setVisible(!s.isEmpty());
}

} // namespace morvi::ui

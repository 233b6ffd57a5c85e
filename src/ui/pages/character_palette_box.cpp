#include "ui/pages/character_palette_box.h"

#include <QComboBox>
#include <QStandardItemModel>
#include <QSignalBlocker>
#include <QStringList>

#include "characters/battle_palette.h"
#include "characters/character_module.h"
#include "ui/editor/edit_sink.h"

namespace morvi::ui {

CharacterPaletteBox::CharacterPaletteBox(QComboBox* list, morvi::Workspace& ws, EditSink& sink, std::function<int()> character)
    : QObject(list), m_list(list), m_ws(ws), m_sink(sink), m_character(std::move(character)) {
    {
        QSignalBlocker quiet(m_list);
        for (int n = 0; n < morvi::kBattlePaletteCount; ++n) m_list->addItem(QStringLiteral("Palette #%1").arg(n));
        m_list->setItemData(morvi::kEsperTerraBattlePalette, QStringLiteral("Esper Terra's: the game shows it in fixed colours"), Qt::ToolTipRole);
        m_list->setItemData(morvi::kOwnBattlePalette, QStringLiteral("No other character's: colours of its own, kept in the battle palettes only"),
                            Qt::ToolTipRole);
        // Esper Terra's palette is not one another character can take.
        if (auto* model = qobject_cast<QStandardItemModel*>(m_list->model()))
            if (QStandardItem* item = model->item(morvi::kEsperTerraBattlePalette)) item->setEnabled(false);
    }
    connect(m_list, &QComboBox::currentIndexChanged, this, &CharacterPaletteBox::choose);
}

void CharacterPaletteBox::show() {
    const morvi::CharacterSet& set = charactersOf(m_ws);
    const int index = m_character();
    const morvi::CharacterSprites& ch = set.characters[std::size_t(index)];
    const int number = morvi::characterBattlePalette(set, index);
    QSignalBlocker quiet(m_list);
    m_list->setCurrentIndex(number < m_list->count() ? number : -1);
    m_list->setEnabled(!ch.fixedPalette);
    const QString name = QString::fromLatin1(morvi::kCharacterNames[std::size_t(index)]);
    if (ch.fixedPalette) {
        m_list->setToolTip(QStringLiteral("%1 is always shown in the game's fixed colours: her palette cannot be changed").arg(name));
        return;
    }
    QStringList sharing;
    for (int n : morvi::charactersSharingPalette(set, index))
        if (!set.characters[std::size_t(n)].fixedPalette) // shown in her own colours whatever the table says
            sharing << QString::fromLatin1(morvi::kCharacterNames[std::size_t(n)]);
    QString tip = QStringLiteral("The battle and menu palette %1 uses").arg(name);
    if (number >= m_list->count()) tip += QStringLiteral(": the ROM holds %1, which is none of the 8").arg(number);
    tip += sharing.isEmpty() ? QStringLiteral("; no other character uses it")
                             : QStringLiteral("; also used by %1, whose colours change with it").arg(sharing.join(QStringLiteral(", ")));
    m_list->setToolTip(tip);
}

void CharacterPaletteBox::choose(int number) {
    const int index = m_character();
    const bool changed = m_sink.edit(QStringLiteral("Palette"), [&] {
        if (number < 0 || number == morvi::characterBattlePalette(charactersOf(m_ws), index)) return false;
        return morvi::setCharacterBattlePalette(charactersOf(m_ws), index, number).empty();
    });
    if (changed) emit chosen();
    show();
}

} // namespace morvi::ui

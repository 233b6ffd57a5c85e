#pragma once
// The character page's "Palette" box: which of the 8 battle and menu palettes the character
// uses. A choice is one step of the history and recolours the character at once; the number is
// written with the characters. Esper Terra's is fixed, and her box says why.
#include <QObject>
#include <functional>

class QComboBox;

namespace morvi {
struct Workspace;
}

namespace morvi::ui {

class EditSink;

class CharacterPaletteBox : public QObject {
    Q_OBJECT
public:
    // `list` is the page's drop-down list; `character` tells which character is shown.
    CharacterPaletteBox(QComboBox* list, morvi::Workspace& ws, EditSink& sink, std::function<int()> character);
    // Shows the character's number (none for a number past 7), enabled unless it is fixed.
    void show();

signals:
    // A new palette was chosen: the colours on the page changed.
    void chosen();

private:
    void choose(int number);

    QComboBox* m_list;
    morvi::Workspace& m_ws;
    EditSink& m_sink;
    std::function<int()> m_character;
};

} // namespace morvi::ui

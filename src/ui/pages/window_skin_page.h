#pragma once
// The "Windows" tab: the 8 menu window skins, each drawn as the window the game lays out from
// its tiles, with the note that saved games keep their own colours.
#include "ui/pages/page.h"

class QLabel;

namespace morvi::ui {

class WindowSkinPage : public Page {
    Q_OBJECT
public:
    explicit WindowSkinPage(EditorContext& context, QWidget* parent = nullptr);

    void exportImage() override;
    QLabel* note() const { return m_note; }

protected:
    void paintOwn() override;
    QString clearQuestion() const override;

private:
    QLabel* m_note = nullptr;
};

} // namespace morvi::ui

#pragma once
// "Run in Emulator": the work as it stands, written as a save would write it to a copy of the
// ROM's own, started in the user's emulator; and Options > "Emulator ...", which one. The copies
// it made are removed when it goes.
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

namespace morvi {
struct Workspace;
}

namespace morvi::ui {

class Page;
class Prompts;

class EmulatorRun {
public:
    EmulatorRun(morvi::Workspace& ws, Prompts& prompts, QWidget* parent) : m_ws(ws), m_prompts(prompts), m_parent(parent) {}
    ~EmulatorRun();
    EmulatorRun(const EmulatorRun&) = delete;
    EmulatorRun& operator=(const EmulatorRun&) = delete;

    // Writes every unsaved change of the pages into the copy and starts the emulator on it (the
    // pages' lifted selections must be down already).
    void run(const std::vector<Page*>& pages);
    // Asks for the emulator and its arguments; false when none was chosen.
    bool choose();
    // Where the copies go (a folder of the program's own by default).
    void setCopyFolder(const QString& folder) { m_copyFolder = folder; }
    QString copyPath() const;

private:
    morvi::Workspace& m_ws;
    Prompts& m_prompts;
    QWidget* m_parent;
    QString m_copyFolder;
    QStringList m_copies;
};

} // namespace morvi::ui

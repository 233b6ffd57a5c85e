#pragma once
// The "Monsters" and "Espers" tabs: one page that shows either family of the shared monster
// graphics pool.
#include "ui/pages/page.h"
#include "monsters/monster_module.h"

namespace morvi {
struct MonsterEntry;
}

class QProgressBar;

namespace morvi::ui {

// Which list the monster page shows.
enum class MonsterList { Monsters, Espers };

class MonsterPage : public Page {
    Q_OBJECT
public:
    explicit MonsterPage(EditorContext& context, QWidget* parent = nullptr);

    void exportImage() override;
    void reloaded() override;
    void afterSave() override;
    void dataRestored() override;
    void showPicture(int entry) override;
    // The list position of an entry in a list, or -1 when the list does not hold it.
    static int positionOf(MonsterList list, int entry);
    // The entry at a position of a list.
    static int entryAt(MonsterList list, int position);
    // The list an entry is found in.
    static MonsterList listOf(int entry);

    // Refills the picture list with monsters or espers and shows the list's first entry.
    void showList(MonsterList list);
    void showTab(int tab) override { showList(tab == 1 ? MonsterList::Espers : MonsterList::Monsters); }
    MonsterList shownList() const { return m_list; }
    int currentEntry() const { return source().index(); }

    QComboBox* recordList() const { return m_recordList; }
    QComboBox* sizeList() const { return m_sizeList; }
    QComboBox* colorList() const { return m_colorList; }
    QLabel* moldLabel() const { return m_mold; }
    QLabel* freeSpaceLabel() const { return m_freeSpace; }
    // Which free-space icon shows: true for the "too little" one.
    bool overSpace() const { return m_over; }
    QPushButton* newImageButton() const { return m_newImage; }
    QProgressBar* graphicsMeter() const { return m_graphicsMeter; }
    QProgressBar* moldMeter() const { return m_moldMeter; }
    QLabel* sharingLabel() const { return m_sharing; }

protected:
    void paintOwn() override;
    QString clearQuestion() const override;

private:
    morvi::MonsterSource& monsters() const { return static_cast<morvi::MonsterSource&>(source()); }
    morvi::MonsterEntry& entry() const { return monsters().entry(); }
    void buildControls();
    void refillEntryList();
    void refillRecordList();
    void select();
    void updateTexts();
    void updateMeters();
    void updateSharing();
    void newImage();
    void openCopyDialog();

    MonsterList m_list = MonsterList::Monsters;
    bool m_over = false;
    FittingComboBox* m_recordList = nullptr;
    QComboBox* m_sizeList = nullptr;
    QComboBox* m_colorList = nullptr;
    QLabel* m_mold = nullptr;
    QLabel* m_freeSpace = nullptr;
    QLabel* m_spaceIcon = nullptr;
    QProgressBar* m_graphicsMeter = nullptr;
    QProgressBar* m_moldMeter = nullptr;
    QLabel* m_sharing = nullptr;
    QPushButton* m_newImage = nullptr;
};

} // namespace morvi::ui

#pragma once
// The character page's animation preview: the character playing one of the game's animations
// (or a sequence of the user's own) over the backdrop, at the game's speed, its double speed or
// any speed from the slider, with steps forward and back. Battle animations show colours 12 to
// 15 as the battle replaces them. The pose being edited shows as it is drawn.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

#include "app/animation_export.h"
#include "characters/animation_frames.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QVBoxLayout;
class QWidget;

namespace morvi {
struct Workspace;
}

namespace morvi::ui {

class SurfaceView;
class Transfers;
struct EditorContext;

class AnimationPanel : public QObject {
    Q_OBJECT
public:
    // The character shown and, while a stroke is drawn, the pose being edited as it looks now.
    struct Showing {
        const morvi::CharacterSprites* character = nullptr;
        int editedPose = -1;
        const morvi::IndexedImage* edited = nullptr;
        // Another family's pictures (a field sheet's frames): how a sequence is drawn.
        std::function<morvi::AnimationPictures(const std::vector<morvi::AnimationFrame>&)> pictures = {};
    };
    AnimationPanel(morvi::Workspace& ws, std::function<Showing()> showing, QWidget* parent);

    // --- the widgets, for the page's layout and the tests ---
    SurfaceView* view() const { return m_view; }
    QComboBox* list() const { return m_list; }
    QComboBox* sequenceBox() const { return m_sequence; }
    QPushButton* playButton() const { return m_play; }
    QPushButton* backButton() const { return m_back; }
    QPushButton* forwardButton() const { return m_forward; }
    QPushButton* doubleButton() const { return m_double; }
    QSlider* speedSlider() const { return m_speed; }
    QLabel* speedLabel() const { return m_speedLabel; }
    QCheckBox* onionBox() const { return m_onion; }
    QSlider* onionSlider() const { return m_onionOpacity; }
    QWidget* sequenceRow() const { return m_sequenceRow; }

    // --- what it plays ---
    // The animations the list offers (the game's character animations at first), then "Your
    // sequence ...". The first is chosen, or the one named `chosen` where it is there.
    void setAnimations(std::vector<morvi::Animation> list, const QString& chosen = QString());
    // The game's animation chosen, or null for the user's own sequence.
    const morvi::Animation* animation() const;
    const std::vector<morvi::AnimationFrame>& frames() const { return m_player.frames(); }
    int framesPerPose() const { return m_player.framesPerPose(); }
    const morvi::AnimationPlayer& player() const { return m_player; }
    // The frame on show, as drawn into the view (before scaling).
    const morvi::IndexedImage& frameShown() const { return m_frame; }
    // Plays or pauses; a step pauses.
    bool playing() const { return m_timer.isActive(); }
    void setPlaying(bool playing);
    void togglePlaying() { setPlaying(!playing()); }
    void step(int poses);
    // One tick of 60 Hz, as the clock gives them; redraws when another pose shows.
    void tick();
    // Draws the current frame again (the character or its pixels changed).
    void redraw();
    // Plays the typed sequence (it goes to the recent ones); false, with the reason said in the
    // row's tooltip, for one that is not a sequence.
    bool playSequence(const QString& text);

    bool onionOn() const;
    void setOnion(bool on);
    int onionOpacity() const;

signals:
    // The sequence or the onion skin settings changed: the canvas draws its onion again.
    void onionChanged();

private:
    void chooseAnimation(int row);
    void applySpeed();
    void fillRecent();

    morvi::Workspace& m_ws;
    std::function<Showing()> m_showing;
    std::vector<morvi::Animation> m_animations;
    morvi::AnimationPlayer m_player;
    morvi::IndexedImage m_frame;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_ticksDone = 0;
    int m_ownFrames = 8; // the chosen animation's own frames per pose
    bool m_battle = false;

    SurfaceView* m_view = nullptr;
    QComboBox* m_list = nullptr;
    QWidget* m_sequenceRow = nullptr;
    QComboBox* m_sequence = nullptr;
    QPushButton* m_play = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_forward = nullptr;
    QPushButton* m_double = nullptr;
    QSlider* m_speed = nullptr;
    QLabel* m_speedLabel = nullptr;
    QCheckBox* m_onion = nullptr;
    QSlider* m_onionOpacity = nullptr;
};

// A page with an animation panel: the Animation menu's commands act on it.
class Animated {
public:
    virtual ~Animated() = default;
    virtual AnimationPanel& animation() const = 0;
    // "Export Animation ...": what the panel plays, as an animated GIF.
    virtual void exportAnimation() = 0;
};

// "Export Animation ...": asks where and how large, then writes what the panel plays as an
// animated GIF, drawn by `pictures`; `subject` names the sprite ("Terra", "Sheet 29") in the
// dialog, `fileStem` begins the file's name.
using AnimationPicturesOf = std::function<morvi::AnimationPictures(const std::vector<morvi::AnimationFrame>&)>;
void exportPanelAnimation(const AnimationPanel& panel, QWidget* window, Transfers& transfers, EditorContext& context,
                          const QString& subject, const QString& fileStem, AnimationPicturesOf pictures);

// Lays the panel out in a page's left column: its view beside the page's preview with the step
// and play buttons under it, then under the lists the animation list, the sequence row and the
// speed; with `onion`, the onion skin's row last.
void layOutAnimationPanel(QVBoxLayout* column, QWidget* preview, AnimationPanel& panel, bool onion);

} // namespace morvi::ui

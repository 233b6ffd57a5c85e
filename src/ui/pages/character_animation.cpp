#include "ui/pages/character_animation.h"
#include "ui/dialogs/animation_export_dialog.h"
#include "ui/dialogs/prompts.h"
#include "ui/editor/edit_sink.h"
#include "ui/editor/transfers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QDir>
#include <QFileInfo>
#include <QVBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

#include "family/workspace.h"
#include "ui/widgets/views.h"

namespace morvi::ui {

namespace {

constexpr int kViewSide = 80;
constexpr int kViewScale = 3; // the largest whole scale at which a 24-pixel pose fits the view
constexpr int kSlowestFrames = 30;

QString itemText(const morvi::Animation& a) {
    return (a.battle ? QStringLiteral("Battle: ") : QStringLiteral("Field: ")) + QString::fromStdString(a.title);
}

void fillList(QComboBox* list, const std::vector<morvi::Animation>& animations) {
    list->clear();
    for (const morvi::Animation& a : animations) {
        list->addItem(itemText(a));
        list->setItemData(list->count() - 1,
                          QStringLiteral("%1: poses %2").arg(QString::fromStdString(a.name), QString::fromStdString(morvi::formatPoseSequence(a.frames))),
                          Qt::ToolTipRole);
    }
    list->addItem(QStringLiteral("Your sequence ..."));
}

} // namespace

void AnimationPanel::setAnimations(std::vector<morvi::Animation> list, const QString& chosen) {
    m_animations = std::move(list);
    {
        QSignalBlocker quiet(m_list);
        fillList(m_list, m_animations);
        m_list->setCurrentIndex(std::max(0, m_list->findText(chosen)));
    }
    chooseAnimation(m_list->currentIndex());
}

AnimationPanel::AnimationPanel(morvi::Workspace& ws, std::function<Showing()> showing, QWidget* parent)
    : QObject(parent), m_ws(ws), m_showing(std::move(showing)) {
    m_view = new SurfaceView(kViewSide, kViewSide, QStringLiteral("Animation"), parent);
    m_view->setToolTip(QStringLiteral("The character as the game plays it"));
    m_list = new QComboBox(parent);
    m_list->setAccessibleName(QStringLiteral("Animation"));
    m_list->setMaxVisibleItems(30);
    // As wide as the list column, whatever the longest name; the open list shows names whole.
    m_list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_list->setMinimumContentsLength(12);
    m_list->setMaximumWidth(214);
    m_list->view()->setMinimumWidth(m_list->fontMetrics().horizontalAdvance(QStringLiteral("Battle: kneeling (critical, poisoned, asleep)")) + 30);
    fillList(m_list, m_animations = morvi::gameAnimations());
    m_list->setToolTip(QStringLiteral("The game's animations, or a sequence of your own"));

    m_sequenceRow = new QWidget(parent);
    auto* sequenceLayout = new QHBoxLayout(m_sequenceRow);
    sequenceLayout->setContentsMargins(0, 0, 0, 0);
    auto* sequenceLabel = new QLabel(QStringLiteral("Poses"), m_sequenceRow);
    m_sequence = new QComboBox(m_sequenceRow);
    m_sequence->setEditable(true);
    m_sequence->setInsertPolicy(QComboBox::NoInsert);
    m_sequence->setAccessibleName(QStringLiteral("Pose sequence"));
    m_sequence->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_sequence->setMinimumContentsLength(8);
    m_sequence->lineEdit()->setPlaceholderText(QStringLiteral("7 8 7 6m"));
    m_sequence->setToolTip(QStringLiteral("Pose numbers 0 to 42 separated by blanks, m after one to mirror it; Enter plays"));
    sequenceLabel->setBuddy(m_sequence);
    sequenceLayout->addWidget(sequenceLabel);
    sequenceLayout->addWidget(m_sequence, 1);
    m_sequenceRow->hide();

    auto button = [parent](const QString& text, const QString& name, const QString& tip) {
        auto* b = new QPushButton(text, parent);
        b->setAccessibleName(name);
        b->setToolTip(tip);
        b->setFixedWidth(26);
        return b;
    };
    m_back = button(QStringLiteral("|◀"), QStringLiteral("Step back"), QStringLiteral("One pose back (,)"));
    m_play = button(QStringLiteral("▶"), QStringLiteral("Play"), QStringLiteral("Play or pause (Enter on the canvas)"));
    m_forward = button(QStringLiteral("▶|"), QStringLiteral("Step forward"), QStringLiteral("One pose forward (.)"));
    m_double = new QPushButton(QStringLiteral("x2"), parent);
    m_double->setCheckable(true);
    m_double->setFixedWidth(30);
    m_double->setAccessibleName(QStringLiteral("Double speed"));
    m_double->setToolTip(QStringLiteral("The game's double speed (a battle at its fast setting, Sprint Shoes on the field)"));
    m_speed = new QSlider(Qt::Horizontal, parent);
    m_speed->setRange(1, kSlowestFrames);
    m_speed->setInvertedAppearance(true); // right is faster: fewer frames a pose
    m_speed->setAccessibleName(QStringLiteral("Speed"));
    m_speed->setToolTip(QStringLiteral("How long each pose shows, in frames of 60 a second (the game: 8)"));
    m_speedLabel = new QLabel(parent);
    m_speedLabel->setMinimumWidth(m_speedLabel->fontMetrics().horizontalAdvance(QStringLiteral("30/60 s")));
    m_onion = new QCheckBox(QStringLiteral("Onion skin"), parent);
    m_onion->setToolTip(QStringLiteral("The poses before (red) and after (blue) this one in the animation, faintly under "
                                       "the canvas (F3); never part of the picture"));
    m_onionOpacity = new QSlider(Qt::Horizontal, parent);
    m_onionOpacity->setRange(10, 90);
    m_onionOpacity->setAccessibleName(QStringLiteral("Onion skin opacity"));
    m_onionOpacity->setToolTip(QStringLiteral("How strong the onion skin is"));
    m_onion->setChecked(ws.settings.onionSkin != 0);
    m_onionOpacity->setValue(std::clamp(int(ws.settings.onionOpacity), 10, 90));
    fillRecent();

    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(15);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        // As many ticks of 60 Hz as the clock says have passed (a late timer catches up, but
        // never by more than half a second).
        const qint64 due = m_clock.elapsed() * 60 / 1000;
        for (int n = 0; m_ticksDone < due && n < 30; ++n, ++m_ticksDone) tick();
        m_ticksDone = std::max(m_ticksDone, due - 30);
    });
    connect(m_list, &QComboBox::currentIndexChanged, this, &AnimationPanel::chooseAnimation);
    connect(m_play, &QPushButton::clicked, this, &AnimationPanel::togglePlaying);
    connect(m_back, &QPushButton::clicked, this, [this] { step(-1); });
    connect(m_forward, &QPushButton::clicked, this, [this] { step(1); });
    connect(m_double, &QPushButton::toggled, this, [this](bool on) {
        QSignalBlocker quiet(m_speed);
        m_speed->setValue(on ? std::max(1, m_ownFrames / 2) : m_ownFrames);
        applySpeed();
    });
    connect(m_speed, &QSlider::valueChanged, this, [this] {
        QSignalBlocker quiet(m_double);
        m_double->setChecked(m_speed->value() * 2 == m_ownFrames);
        applySpeed();
    });
    connect(m_sequence, &QComboBox::activated, this, [this] { playSequence(m_sequence->currentText()); });
    connect(m_sequence->lineEdit(), &QLineEdit::returnPressed, this, [this] { playSequence(m_sequence->currentText()); });
    connect(m_onion, &QCheckBox::toggled, this, [this](bool on) {
        m_ws.settings.onionSkin = on ? 1 : 0;
        emit onionChanged();
    });
    connect(m_onionOpacity, &QSlider::valueChanged, this, [this](int value) {
        m_ws.settings.onionOpacity = std::uint8_t(value);
        emit onionChanged();
    });
    chooseAnimation(m_list->findText(QStringLiteral("Field: walk down")));
    {
        QSignalBlocker quiet(m_list);
        m_list->setCurrentIndex(m_list->findText(QStringLiteral("Field: walk down")));
    }
}

const morvi::Animation* AnimationPanel::animation() const {
    const int row = m_list->currentIndex();
    const auto& all = m_animations;
    return row >= 0 && row < int(all.size()) ? &all[std::size_t(row)] : nullptr;
}

void AnimationPanel::chooseAnimation(int row) {
    const auto& all = m_animations;
    const bool own = row < 0 || row >= int(all.size());
    m_sequenceRow->setVisible(own);
    if (own) {
        if (!m_sequence->currentText().isEmpty()) playSequence(m_sequence->currentText());
        return;
    }
    const morvi::Animation& a = all[std::size_t(row)];
    m_battle = a.battle;
    m_ownFrames = a.framesPerPose;
    m_player.setSequence(a.frames, m_double->isChecked() ? std::max(1, m_ownFrames / 2) : m_ownFrames);
    {
        QSignalBlocker quiet(m_speed);
        m_speed->setValue(m_player.framesPerPose());
    }
    applySpeed();
    redraw();
    emit onionChanged();
}

bool AnimationPanel::playSequence(const QString& text) {
    std::string why;
    const auto frames = morvi::parsePoseSequence(text.toStdString(), why);
    if (!frames) {
        m_sequence->setToolTip(QString::fromStdString(why));
        m_sequence->lineEdit()->setStyleSheet(QStringLiteral("color: #c00000"));
        return false;
    }
    m_sequence->lineEdit()->setStyleSheet(QString());
    m_sequence->setToolTip(QStringLiteral("Pose numbers 0 to 42 separated by blanks, m after one to mirror it; Enter plays"));
    m_battle = false;
    m_ownFrames = m_speed->value();
    m_player.setSequence(*frames, m_speed->value());
    m_ws.settings.addRecentSequence({morvi::formatPoseSequence(*frames), m_speed->value()});
    fillRecent();
    {
        QSignalBlocker quiet(m_list);
        m_list->setCurrentIndex(m_list->count() - 1);
    }
    m_sequenceRow->show();
    applySpeed();
    redraw();
    emit onionChanged();
    return true;
}

void AnimationPanel::fillRecent() {
    QSignalBlocker quiet(m_sequence);
    const QString typed = m_sequence->currentText();
    m_sequence->clear();
    for (const auto& s : m_ws.settings.recentSequences) m_sequence->addItem(QString::fromStdString(s.poses), s.framesPerPose);
    m_sequence->setCurrentText(typed);
}

void AnimationPanel::applySpeed() {
    m_player.setFramesPerPose(m_speed->value());
    m_speedLabel->setText(QStringLiteral("%1/60 s").arg(m_speed->value()));
}

void AnimationPanel::setPlaying(bool on) {
    if (on == playing()) return;
    if (on) {
        m_clock.start();
        m_ticksDone = 0;
        m_timer.start();
    } else {
        m_timer.stop();
    }
    m_play->setText(on ? QStringLiteral("❚❚") : QStringLiteral("▶"));
    m_play->setAccessibleName(on ? QStringLiteral("Pause") : QStringLiteral("Play"));
}

void AnimationPanel::step(int poses) {
    setPlaying(false);
    m_player.step(poses);
    redraw();
}

void AnimationPanel::tick() {
    // Behind another page the animation goes on, undrawn.
    if (m_player.tick() && m_view->isVisible()) redraw();
}

void AnimationPanel::redraw() {
    const Showing now = m_showing();
    morvi::Surface& s = m_view->surface();
    const morvi::IndexedImage& backdrop = m_ws.backgrounds.smallBackdrop;
    // The backdrop's middle behind the pose.
    const int bx = std::max(0, (backdrop.width - kViewSide) / 2), by = std::max(0, (backdrop.height - kViewSide) / 2);
    for (int y = 0; y < kViewSide; ++y)
        for (int x = 0; x < kViewSide; ++x)
            s.set(x, y, backdrop.hasPixels() && backdrop.contains(bx + x, by + y) ? backdrop.colorAt(bx + x, by + y).toRgb32() : morvi::rgb32(0, 0, 0));
    if ((!now.character && !now.pictures) || m_player.frames().empty()) {
        m_frame = {};
        m_view->update();
        return;
    }
    const morvi::AnimationFrame frame = m_player.current();
    morvi::FrameBox box;
    if (now.pictures) {
        const morvi::AnimationPictures pictures = now.pictures(m_player.frames());
        box = pictures.box;
        m_frame = pictures.refuse(frame).empty() ? pictures.render(frame) : morvi::IndexedImage{};
    } else if (box = morvi::frameBoxOf(m_player.frames()); now.edited && frame.pose == now.editedPose) {
        // The pose being drawn, as it looks with the stroke so far.
        m_frame = morvi::renderFrame(*now.edited, frame, box, m_battle);
    } else {
        m_frame = morvi::renderFrame(*now.character, frame, box, m_battle);
    }
    // Larger pictures (32 x 32 frames) at the largest whole scale that fits.
    const int scale = std::max(1, std::min({kViewScale, kViewSide / std::max(1, box.width), (kViewSide - 4) / std::max(1, box.height)}));
    const int ox = (kViewSide - scale * box.width) / 2, oy = kViewSide - 4 - scale * box.height;
    for (int y = 0; y < m_frame.height; ++y)
        for (int x = 0; x < m_frame.width; ++x) {
            const std::uint8_t v = m_frame.pixel(x, y);
            if (v == 0) continue;
            const std::uint32_t c = m_frame.palette[v].toRgb32();
            for (int dy = 0; dy < scale; ++dy)
                for (int dx = 0; dx < scale; ++dx) {
                    const int vx = ox + scale * x + dx, vy = oy + scale * y + dy;
                    if (vx >= 0 && vy >= 0 && vx < kViewSide && vy < kViewSide) s.set(vx, vy, c);
                }
        }
    m_view->update();
}

bool AnimationPanel::onionOn() const { return m_onion->isChecked(); }

void AnimationPanel::setOnion(bool on) { m_onion->setChecked(on); }

int AnimationPanel::onionOpacity() const { return m_onionOpacity->value(); }

void exportPanelAnimation(const AnimationPanel& panel, QWidget* window, Transfers& transfers, EditorContext& context,
                          const QString& subject, const QString& fileStem, AnimationPicturesOf pictures) {
    if (panel.frames().empty()) return;
    const morvi::Animation* chosen = panel.animation();
    const QString name = chosen ? QString::fromStdString(chosen->name) : QStringLiteral("sequence");
    const QString what = chosen ? QStringLiteral("%1, %2").arg(subject, QString::fromStdString(chosen->title))
                                : QStringLiteral("%1, poses %2").arg(subject, QString::fromStdString(morvi::formatPoseSequence(panel.frames())));
    // Where the picture exports go: the last export's folder, else the ROM's.
    const QString file = QStringLiteral("%1-%2.gif").arg(fileStem, name);
    const QString proposed = QFileInfo(transfers.defaultExportPath(file)).absoluteDir().filePath(file);
    auto* dialog = new AnimationExportDialog(window, context.prompts, what, proposed);
    QObject::connect(dialog, &QDialog::accepted, dialog, [&panel, &context, &transfers, dialog, pictures = std::move(pictures)] {
        morvi::AnimationExport request;
        request.frames = panel.frames();
        request.framesPerPose = panel.framesPerPose();
        request.scale = dialog->scale();
        // The page's backdrop, as the canvas shows it.
        if (dialog->withBackdrop()) request.backdrop = &context.ws.backgrounds.smallBackdrop;
        const QString path = dialog->path();
        if (path.isEmpty()) return;
        std::string why;
        if (morvi::exportAnimationGif(pictures(request.frames), request, path.toUtf8().toStdString(), why))
            transfers.rememberExport(path);
        else
            context.prompts.message(QStringLiteral("Error writing the file \"%1\": %2; nothing was exported.")
                                        .arg(QDir::toNativeSeparators(path), QString::fromStdString(why)),
                                    Icon::Warning);
    });
    transfers.showDialog(dialog);
}

void layOutAnimationPanel(QVBoxLayout* column, QWidget* preview, AnimationPanel& panel, bool onion) {
    const int at = column->indexOf(preview);
    column->removeWidget(preview);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(preview, 0, Qt::AlignTop);
    auto* viewColumn = new QVBoxLayout;
    viewColumn->setSpacing(4);
    viewColumn->addWidget(panel.view());
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(1);
    buttons->addWidget(panel.backButton());
    buttons->addWidget(panel.playButton());
    buttons->addWidget(panel.forwardButton());
    viewColumn->addLayout(buttons);
    viewColumn->addStretch(1);
    row->addLayout(viewColumn);
    row->addStretch(1);
    column->insertLayout(at, row);
    column->addWidget(panel.list());
    column->addWidget(panel.sequenceRow());
    auto* speed = new QHBoxLayout;
    speed->addWidget(panel.doubleButton());
    speed->addWidget(panel.speedSlider(), 1);
    speed->addWidget(panel.speedLabel());
    column->addLayout(speed);
    if (onion) {
        auto* onionRow = new QHBoxLayout;
        onionRow->addWidget(panel.onionBox());
        onionRow->addWidget(panel.onionSlider(), 1);
        column->addLayout(onionRow);
    } else {
        panel.onionBox()->hide();
        panel.onionSlider()->hide();
    }
}

} // namespace morvi::ui

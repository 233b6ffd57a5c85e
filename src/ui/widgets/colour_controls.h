#pragma once
// The colour sliders, "Transparent" and the colour fields of a page.
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "image/indexed_image.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;

namespace morvi::ui {

// The red, green and blue sliders (0 to 31) with their value labels, and "Transparent".
class ColorControls : public QWidget {
    Q_OBJECT
public:
    explicit ColorControls(QWidget* parent = nullptr);
    // Values 0 to 31, shown without emitting anything.
    void setValues(int red, int green, int blue);
    // Sliders and the box are usable only for an editable colour; the box is checked as given.
    void setEditable(bool editable, bool transparentChecked);
    QSlider* slider(int channel) const { return m_sliders[std::size_t(channel)]; }
    QLabel* valueLabel(int channel) const { return m_values[std::size_t(channel)]; }
    QCheckBox* transparentBox() const { return m_transparent; }
    // The "Hex" (0) and "SNES" (1) fields: they show the colour given here (unless the user is
    // typing in one), mark a value that is not a colour, and report a good one on Enter.
    QLineEdit* field(int f) const { return m_fields[std::size_t(f)]; }
    void setColor(morvi::PaletteColor color);
    // Keys that pass through the fields to the window's commands (undo and redo).
    void setPassedKeys(std::function<bool(QKeyCombination)> passed) { m_passed = std::move(passed); }
    bool fieldInvalid(int f) const;

signals:
    void channelMoved(int channel, int value); // 0 red, 1 green, 2 blue
    void sliderPressed();
    void sliderReleased();
    void transparentClicked();
    void colorEntered(morvi::PaletteColor color);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<morvi::PaletteColor> fieldColor(int field) const;
    void markField(int field, bool invalid);
    std::array<QLineEdit*, 2> m_fields{};
    std::array<QSlider*, 3> m_sliders{};
    std::array<QLabel*, 3> m_values{};
    QCheckBox* m_transparent = nullptr;
    std::function<bool(QKeyCombination)> m_passed;
};

} // namespace morvi::ui

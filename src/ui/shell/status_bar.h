#pragma once
// The status bar's texts: the tool's hint, the size of the shape being dragged, and over the
// canvas the picture position under the pointer, its tile, its palette index and that colour.
// Each label's accessible name carries its value ("Position 41, 41"), so a screen reader reads it.
#include <QPoint>
#include <QSize>
#include <optional>

class QLabel;
class QStatusBar;

namespace morvi::ui {

class Page;

class StatusTexts {
public:
    explicit StatusTexts(QStatusBar* bar);
    // The pointer over a picture pixel of the page, or away from it (the tool's hint shows).
    void showPointer(const Page& page, std::optional<QPoint> at);
    // The size of the shape being dragged; an empty size hides it.
    void showShapeSize(QSize size);

    QLabel* hint = nullptr;
    QLabel* size = nullptr;
    QLabel* position = nullptr;
    QLabel* tile = nullptr;
    QLabel* index = nullptr;
    QLabel* color = nullptr;
    // What the page tells of the point under the pointer (a character's pose and shared tile).
    QLabel* note = nullptr;
    // A text of the page's own in place of the tool's hint (the pose under the pointer on the
    // sheet); an empty text gives the hint back.
    void showPageNote(const Page& page, const QString& text);
};

} // namespace morvi::ui

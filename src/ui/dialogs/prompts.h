#pragma once
// Every message box, question and file chooser of the editor goes through Prompts. The editor
// uses QtPrompts, which shows real dialogs; tests install a scripted one that records what was
// asked and answers from a queue, so the whole editor can run under test without a person.
#include <QColor>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "image/surface.h"
#include "rom/notifier.h"

class QMessageBox;
class QWidget;

namespace morvi::ui {

inline const QString kCaption = QStringLiteral("Morvi V. 2.12");

enum class Icon { None, Information, Warning, Error, Question };
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct FileRequest {
    QString title;
    QStringList filters;   // "ROM file (*.smc)", ...
    QString initialPath;
    QString defaultSuffix; // "png", without the dot
};

// What the import file chooser's preview panel shows for one file.
struct ImportPreview {
    morvi::Surface picture; // 128 x 128: the file over the small backdrop, or the backdrop alone
    QString sizeText;
    QString colorsText;
    QString orderText; // whether the file's palette order was kept or its colours numbered by first use
};

struct ImportRequest {
    QString title;
    QStringList filters;
    // Whether the panel offers "Keep current palette" (map the file's colours onto the
    // picture's own palette instead of replacing it).
    bool offerKeepPalette = true;
    // Fills the panel for a file the user points at; an empty path clears it.
    std::function<ImportPreview(const QString& path, bool keepPalette)> preview;
    // Called when the user confirms a file: true takes it and closes the chooser, false (after
    // the caller showed why) keeps the chooser open for another choice.
    std::function<bool(const QString& path, bool keepPalette)> accept;
    // Where the chooser opens (empty: where the platform chooses) and the filter it starts on
    // (one of filters; empty: the first).
    QString folder;
    QString filter;
    // Told the folder and filter of a file that was taken, for the next time.
    std::function<void(const QString& folder, const QString& filter)> remember;
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void message(const QString& text, Icon icon) = 0;
    virtual Answer ask(const QString& text, Buttons buttons, Icon icon) = 0;
    // An existing file to open; empty when cancelled.
    virtual QString openFile(QWidget* parent, const FileRequest& request) = 0;
    // A file to write, with overwrite confirmation; empty when cancelled.
    virtual QString saveFile(QWidget* parent, const FileRequest& request) = 0;
    // Runs the import chooser until a file is accepted or the user cancels; true when accepted.
    virtual bool importFile(QWidget* parent, const ImportRequest& request) = 0;
    // The platform's colour dialog, starting at `initial`; nullopt when cancelled.
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial, const QString& title) = 0;
    // A line of text, starting at `initial`; nullopt when cancelled.
    virtual std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label, const QString& initial) {
        (void)parent, (void)title, (void)label, (void)initial;
        return std::nullopt;
    }
};

// Makes a message box wide enough that its title shows whole in the title bar.
void fitCaption(QMessageBox& box);

class QtPrompts : public Prompts {
public:
    void message(const QString& text, Icon icon) override;
    Answer ask(const QString& text, Buttons buttons, Icon icon) override;
    QString openFile(QWidget* parent, const FileRequest& request) override;
    QString saveFile(QWidget* parent, const FileRequest& request) override;
    bool importFile(QWidget* parent, const ImportRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial, const QString& title) override;
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label, const QString& initial) override;
};

// Hands the core's messages (save refusals, write failures) to the prompts.
class PromptNotifier : public morvi::Notifier {
public:
    explicit PromptNotifier(Prompts& prompts) : m_prompts(prompts) {}
    void notify(morvi::MessageKind kind, std::string_view text) override;

private:
    Prompts& m_prompts;
};

} // namespace morvi::ui

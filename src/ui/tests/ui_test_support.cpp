#include "ui/tests/ui_test_support.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QMouseEvent>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

#include "demo/demo_rom.h"
#include "image/canvas.h"
#include "ui/pages/character_page.h"
#include "ui/shell/main_window.h"
#include "ui/pages/monster_page.h"
#include "ui/pages/portrait_page.h"

namespace morvi::ui {

void ScriptedPrompts::message(const QString& text, Icon icon) { log.push_back({text, icon, false}); }

Answer ScriptedPrompts::ask(const QString& text, Buttons, Icon icon) {
    log.push_back({text, icon, true});
    if (answers.empty()) return Answer::Cancel;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

QString ScriptedPrompts::openFile(QWidget*, const FileRequest& request) {
    fileRequests.push_back(request);
    if (files.empty()) return {};
    const QString f = files.front();
    files.pop_front();
    return f;
}

QString ScriptedPrompts::saveFile(QWidget* parent, const FileRequest& request) { return openFile(parent, request); }

std::optional<QColor> ScriptedPrompts::chooseColor(QWidget*, const QColor& initial, const QString& title) {
    log.push_back({title, Icon::None, true});
    colorDialogInitial.push_back(initial);
    if (colors.empty()) return std::nullopt;
    const auto answer = colors.front();
    colors.pop_front();
    return answer;
}

std::optional<QString> ScriptedPrompts::askText(QWidget*, const QString& title, const QString&, const QString& initial) {
    log.push_back({title, Icon::None, true});
    textOffered.push_back(initial);
    if (textAnswers.empty()) return std::nullopt;
    const auto answer = textAnswers.front();
    textAnswers.pop_front();
    return answer;
}

bool ScriptedPrompts::importFile(QWidget*, const ImportRequest& request) {
    lastImportTitle = request.title;
    importRequests.push_back(request);
    while (!importFiles.empty()) {
        const QString path = importFiles.front();
        importFiles.pop_front();
        if (path.isEmpty()) return false;
        if (request.preview) previews.push_back(request.preview(path, importKeepPalette));
        if (request.accept && !request.accept(path, importKeepPalette)) continue;
        const QString filter = !importFilter.isEmpty() ? importFilter : !request.filter.isEmpty() ? request.filter : request.filters.value(0);
        if (request.remember) request.remember(QFileInfo(path).absolutePath(), filter);
        return true;
    }
    return false;
}

QStringList ScriptedPrompts::texts() const {
    QStringList out;
    for (const auto& e : log) out << e.text;
    return out;
}

const std::vector<std::uint8_t>& demoRomBytes(bool withHeader) {
    static const morvi::RomImage demo = morvi::buildDemoRom();
    static const std::vector<std::uint8_t> plain = demo.fileBytes(false);
    static const std::vector<std::uint8_t> headered = demo.fileBytes(true);
    return withHeader ? headered : plain;
}

EditorHarness::EditorHarness(bool withHeader) : ws(morvi::Workspace::create()) {
    m_romPath = dir.file("demo.smc");
    morvi::testing::writeFile(m_romPath, demoRomBytes(withHeader));
    notifier = std::make_unique<PromptNotifier>(prompts);
    ws->notifier = notifier.get();
    // The smallest window, where the canvas is 256 x 256: the tests' pixel positions assume it.
    ws->settings.width = MainWindow::kMinimumWidth;
    ws->settings.height = MainWindow::kMinimumHeight;
    window = std::make_unique<MainWindow>(*ws, prompts);
    QObject::connect(window.get(), &MainWindow::pagesMade, [this] { pinCanvases(m_pinned); });
    window->show();
    activate();
}

void EditorHarness::pinCanvases(bool pinned) {
    m_pinned = pinned;
    for (Page* page : {static_cast<Page*>(monsterPage(*window)), static_cast<Page*>(portraitPage(*window)),
                       static_cast<Page*>(characterPage(*window))}) {
        if (!page) continue; // made at the first open, and pinned then
        if (pinned) {
            page->widgets().canvas->setFixedSize(morvi::kCanvasSide, morvi::kCanvasSide);
        } else {
            page->widgets().canvas->setMinimumSize(morvi::kCanvasSide, morvi::kCanvasSide);
            page->widgets().canvas->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
    }
    QApplication::processEvents();
}

EditorHarness::~EditorHarness() {
    // Close any dialog still open so it does not outlive the window.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != window.get() && w->isVisible()) w->close();
    window.reset();
}

void EditorHarness::activate() {
    // Shortcuts act only in the active window; offscreen, nothing hands activation back after
    // a progress window or dialog went away.
    QApplication::setActiveWindow(window.get());
    (void)QTest::qWaitForWindowActive(window.get(), 1000);
}

void EditorHarness::markSaved(Page* page) {
    window->history().markSaved(page->family());
    page->refreshChanged();
}

void EditorHarness::openDemo() {
    prompts.files.push_back(QString::fromStdString(m_romPath));
    window->openRom(255);
    activate();
    ASSERT_EQ(ws->rom.romPath, m_romPath) << "the demo ROM did not load: " << prompts.lastText().toStdString();
}

void click(QWidget* widget, QPoint at) { QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at); }

QPoint canvasPixel(const Page* page, int x, int y) {
    const int m = page->widgets().magnification->value();
    return page->editor().pictureShift() + QPoint(x * m + m / 2, y * m + m / 2);
}

void drag(QWidget* widget, const std::vector<QPoint>& points) {
    if (points.empty()) return;
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, points.front());
    for (std::size_t i = 1; i < points.size(); ++i) {
        // QTest::mouseMove does not carry the held button: send the event itself.
        QMouseEvent move(QEvent::MouseMove, QPointF(points[i]), widget->mapToGlobal(QPointF(points[i])),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, points.back());
}

void dropFile(QWidget* target, const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

} // namespace morvi::ui

// The test program's main: an offscreen QApplication, and settings kept in a scratch folder so
// that no test reads or writes the user's own.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static morvi::testing::TempDir settingsDir;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(settingsDir.path().string()));
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(settingsDir.path().string()));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settingsDir.path().string()));
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quarnsby"));
    QCoreApplication::setApplicationName(QStringLiteral("morvi"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

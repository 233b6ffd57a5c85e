// "Run in Emulator" with a small script standing in for the emulator: it records its arguments
// and copies the file it was given.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QMenu>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/emulator.h"
#include "family/workspace.h"
#include "ui/pages/portrait_page.h"
#include "ui/shell/emulator_run.h"
#include "ui/tests/ui_test_support.h"

using namespace morvi::ui;

namespace {

// A script that writes its arguments, one a line, and copies the file named by the last one.
std::string standIn(EditorHarness& h) {
    const std::string script = h.file("fake emulator.sh");
    morvi::testing::writeFile(script, std::vector<std::uint8_t>());
    std::FILE* f = std::fopen(script.c_str(), "w");
    std::fprintf(f, "#!/bin/sh\nfor a in \"$@\"; do printf '%%s\\n' \"$a\"; done > '%s.tmp'\n"
                    "for a in \"$@\"; do last=\"$a\"; done\ncp \"$last\" '%s'\nmv '%s.tmp' '%s'\n",
                 h.file("args").c_str(), h.file("seen.smc").c_str(), h.file("args").c_str(), h.file("args").c_str());
    std::fclose(f);
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    return script;
}

// Waits (a few seconds at most) for the stand-in to have run.
QStringList argumentsSeen(EditorHarness& h) {
    for (int i = 0; i < 100 && !QFile::exists(QString::fromStdString(h.file("args"))); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    QFile f(QString::fromStdString(h.file("args")));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace

TEST(RunInEmulator, TheCopyIsWhatSaveWouldWriteAndTheRomAndTheSessionStayAsTheyAre) {
#ifdef _WIN32
    GTEST_SKIP() << "the stand-in emulator is a POSIX shell script, which Windows cannot start";
#endif
    EditorHarness h;
    h.openDemo();
    h.window->emulator().setCopyFolder(QString::fromStdString(h.file("copies ○")));
    const std::string script = standIn(h);
    h.ws->settings.emulator = morvi::quoteWord(script) + " --fast \"%ROM%\"";
    h.window->tabBar()->setCurrentIndex(kPortraitsTab);
    Page* page = h.window->currentPage();
    page->widgets().magnification->spinBox()->setValue(4);
    click(page->widgets().strip, QPoint(18 * 3 + 4, 10));
    drag(page->widgets().canvas, {page->editor().pictureShift() + QPoint(2, 2), page->editor().pictureShift() + QPoint(60, 30)});
    ASSERT_TRUE(page->changed());
    const auto onDisk = morvi::testing::readFile(h.romPath());
    const auto baseline = h.ws->romOnDisk;

    h.window->action("run-emulator")->trigger();
    const QStringList args = argumentsSeen(h);
    const QString copy = h.window->emulator().copyPath();
    EXPECT_EQ(args, (QStringList{QStringLiteral("--fast"), copy}));
    EXPECT_TRUE(copy.endsWith(QStringLiteral("/demo-test.smc")));
    // The user's ROM, its changed flag and the outside-edit baseline are untouched.
    EXPECT_EQ(morvi::testing::readFile(h.romPath()), onDisk);
    EXPECT_EQ(h.ws->romOnDisk, baseline);
    EXPECT_TRUE(page->changed());
    // The copy is byte for byte what Save then writes.
    ASSERT_TRUE(h.window->saveRom());
    EXPECT_EQ(morvi::testing::readFile(h.file("seen.smc")), morvi::testing::readFile(h.romPath()));
    EXPECT_NE(morvi::testing::readFile(h.romPath()), onDisk);
    // The copies go with the program.
    ASSERT_TRUE(QFile::exists(copy));
    h.window.reset();
    EXPECT_FALSE(QFile::exists(copy));
}

TEST(RunInEmulator, TheEmulatorIsChosenOnceAndEveryFailureSaysWhy) {
    EditorHarness h;
    h.openDemo();
    h.window->emulator().setCopyFolder(QString::fromStdString(h.file("copies")));
    const auto onDisk = morvi::testing::readFile(h.romPath());
    // None set: the dialog asks (offering what it found); cancelled, nothing starts.
    h.ws->settings.emulator.clear();
    h.window->runInEmulator();
    ASSERT_EQ(h.prompts.textOffered.size(), 1u);
    EXPECT_FALSE(QFile::exists(h.window->emulator().copyPath()));
    // A quote left open is refused, and nothing is kept.
    h.prompts.textAnswers.push_back(QStringLiteral("emu \"open"));
    EXPECT_FALSE(h.window->emulator().choose());
    EXPECT_TRUE(h.prompts.lastText().contains(QStringLiteral("quote")));
    EXPECT_TRUE(h.ws->settings.emulator.empty());
    // A program that does not exist: said, with its name.
    h.prompts.textAnswers.push_back(QStringLiteral("/no/such/emulator -x"));
    ASSERT_TRUE(h.window->emulator().choose());
    EXPECT_EQ(h.ws->settings.emulator, "/no/such/emulator -x");
    h.window->action("run-emulator")->trigger();
    EXPECT_TRUE(h.prompts.lastText().contains(QStringLiteral("\"/no/such/emulator\" could not be started"))) << h.prompts.lastText().toStdString();
    EXPECT_EQ(morvi::testing::readFile(h.romPath()), onDisk);
    // The key is F5, and the menu item stands in File.
    EXPECT_EQ(h.window->action("run-emulator")->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(h.window->menu("File")->actions().contains(h.window->action("run-emulator")));
}

// With a real emulator (test.sh runs this under Xvfb with Debian's mednafen, naming it in
// MORVI_REAL_EMULATOR; elsewhere it is skipped): it starts on the copy and stays up.
TEST(RunInEmulator, ARealEmulatorStartsOnTheCopyAndStaysUp) {
    const char* emulator = std::getenv("MORVI_REAL_EMULATOR");
    if (!emulator || !*emulator) GTEST_SKIP() << "MORVI_REAL_EMULATOR names no emulator";
    EditorHarness h;
    h.openDemo();
    h.window->emulator().setCopyFolder(QString::fromStdString(h.file("copies")));
    h.ws->settings.emulator = morvi::quoteWord(emulator) + " -sound 0 %ROM%";
    h.window->action("run-emulator")->trigger();
    const QString copy = h.window->emulator().copyPath();
    auto running = [&] { return QProcess::execute(QStringLiteral("pgrep"), {QStringLiteral("-f"), copy}) == 0; };
    bool started = false;
    for (int i = 0; i < 100 && !started; ++i) {
        started = running();
        if (!started) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(started) << "the emulator did not start on " << copy.toStdString() << ": " << h.prompts.lastText().toStdString();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    EXPECT_TRUE(running()) << "the emulator stays up";
    QProcess::execute(QStringLiteral("pkill"), {QStringLiteral("-f"), copy});
}

#include <gtest/gtest.h>

#include <set>

#include "app/emulator.h"

using namespace morvi;

TEST(Emulator, TheCommandIsSplitAsAShellSplitsItAndTheRomTakesItsPlace) {
    using Words = std::vector<std::string>;
    EXPECT_EQ(splitCommandLine("  mednafen  -sound 0 "), (Words{"mednafen", "-sound", "0"}));
    EXPECT_EQ(splitCommandLine("\"/opt/My Emu/emu\" -f 'a b' c\\ d \"q\\\"uote\""),
              (Words{"/opt/My Emu/emu", "-f", "a b", "c d", "q\"uote"}));
    EXPECT_EQ(splitCommandLine("emu ''"), (Words{"emu", ""})) << "an empty quoted word is a word";
    EXPECT_FALSE(splitCommandLine("emu \"open"));
    EXPECT_FALSE(splitCommandLine("emu 'open"));
    // %ROM% wherever it stands; without it the ROM comes last.
    EXPECT_EQ(emulatorCommand("emu --rom=%ROM% -x", "/t/a b.smc"), (Words{"emu", "--rom=/t/a b.smc", "-x"}));
    EXPECT_EQ(emulatorCommand("emu -x", "/t/a.smc"), (Words{"emu", "-x", "/t/a.smc"}));
    EXPECT_TRUE(emulatorCommand("", "/t/a.smc").empty());
    EXPECT_TRUE(emulatorCommand("emu 'x", "/t/a.smc").empty());
    // A quoted word comes back whole.
    for (const std::string w : {"plain", "/a b/c", "it's", "q\"x\\y", ""})
        EXPECT_EQ(splitCommandLine("emu " + quoteWord(w)), (Words{"emu", w})) << w;
}

TEST(Emulator, TheFirstEmulatorFoundIsOfferedWithWhatItNeeds) {
    std::set<std::string> files;
    auto exists = [&](const std::string& f) { return files.count(f) > 0; };
    EXPECT_EQ(findEmulator("/bin:/usr/bin", exists), "");
    files = {"/opt/emu/snes9x"};
    EXPECT_EQ(findEmulator("/bin:/opt/emu", exists), "/opt/emu/snes9x %ROM%");
    files.insert("/usr/bin/retroarch");
    EXPECT_EQ(findEmulator("/bin:/opt/emu", exists), "/opt/emu/snes9x %ROM%") << "retroarch without a SNES core is passed over";
    files.insert("/usr/lib/x86_64-linux-gnu/libretro/snes9x_libretro.so");
    EXPECT_EQ(findEmulator("/bin:/opt/emu", exists), "/usr/bin/retroarch -L /usr/lib/x86_64-linux-gnu/libretro/snes9x_libretro.so %ROM%");
    files.insert("/usr/games/mednafen"); // Debian's place, whatever the PATH says
    EXPECT_EQ(findEmulator("", exists), "/usr/games/mednafen -sound 0 %ROM%");
}

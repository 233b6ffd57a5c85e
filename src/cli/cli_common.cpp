#include "cli/cli_common.h"
#include "monsters/monster_module.h"
#include "portraits/portrait_module.h"
#include "characters/character_module.h"
#include "app/families.h"

#include <algorithm>
#include <filesystem>

namespace morvi::cli {

bool Options::has(const std::string& f) const { return std::find(flags.begin(), flags.end(), f) != flags.end(); }

// Splits arguments; names in takesValue consume the next argument.
std::optional<Options> parse(const std::vector<std::string>& args, const std::vector<std::string>& takesValue,
                             const std::vector<std::string>& bare, std::ostream& err) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) != 0) {
            o.positional.push_back(a);
        } else if (std::find(takesValue.begin(), takesValue.end(), a) != takesValue.end()) {
            if (i + 1 >= args.size()) {
                err << a << " needs a value\n";
                return std::nullopt;
            }
            o.values[a] = args[++i];
        } else if (std::find(bare.begin(), bare.end(), a) != bare.end()) {
            o.flags.push_back(a);
        } else {
            err << "unknown option " << a << "\n";
            return std::nullopt;
        }
    }
    return o;
}

std::optional<HeaderChoice> headerChoice(const Options& o, std::ostream& err) {
    auto it = o.values.find("--header");
    if (it == o.values.end()) return HeaderChoice::Detect;
    if (it->second == "yes") return HeaderChoice::Present;
    if (it->second == "no") return HeaderChoice::Absent;
    err << "--header takes yes or no\n";
    return std::nullopt;
}

std::unique_ptr<Workspace> openOrComplain(const std::string& path, HeaderChoice choice, std::ostream& err,
                                          HeaderTest* test) {
    auto ws = Workspace::create();
    OpenOutcome outcome = openRom(*ws, path, choice);
    if (test) *test = outcome.test;
    if (!outcome.ok && !outcome.opened) {
        // --header cannot help a file that does not open at all.
        std::error_code ec;
        if (!std::filesystem::exists(pathFromUtf8(path), ec)) err << path << ": no such file\n";
        else err << path << ": cannot open the file for reading and writing\n";
        return nullptr;
    }
    if (!outcome.ok) {
        err << path << ": " << outcome.error << "\n";
        if (outcome.test == HeaderTest::NotRecognised && choice == HeaderChoice::Detect)
            err << "use --header yes or --header no to load it anyway\n";
        return nullptr;
    }
    return ws;
}

// The value of 1 to maxDigits decimal digits, or -1.
int digitsValue(const std::string& text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

int saveOrComplain(Workspace& ws, const SaveRequest& request, const std::string& romPath, DiskSteps& steps, std::ostream& err) {
    StreamNotifier notifier(err);
    // The file was read a moment ago: a difference now is another program writing it meanwhile.
    const SaveOutcome saved = saveRomFamilies(ws, request, steps, notifier, [] { return false; });
    if (saved.cancelled) return err << romPath << ": the ROM was changed by another program meanwhile; nothing was saved\n", 1;
    if (!saved.ok && !saved.error.empty()) err << romPath << ": " << saved.error << "\n";
    return saved.ok ? 0 : 1;
}

int saveFamilyOrComplain(Workspace& ws, Family family, const std::string& romPath, DiskSteps& steps, std::ostream& err) {
    SaveRequest request;
    request.add(family);
    return saveOrComplain(ws, request, romPath, steps, err);
}

std::optional<TargetCommand> readTargetCommand(const Options& o, const char* usage, std::ostream& err) {
    if (o.positional.size() != 4 || (o.positional[0] != "export" && o.positional[0] != "import")) {
        err << usage;
        return std::nullopt;
    }
    const auto header = headerChoice(o, err);
    if (!header) return std::nullopt;
    std::string why;
    const auto target = parsePaletteTarget(o.positional[2], why);
    if (!target) {
        err << o.positional[2] << ": " << why << "\n";
        return std::nullopt;
    }
    return TargetCommand{o.positional[0] == "export", o.positional[1], *target, o.positional[3], *header};
}

} // namespace morvi::cli

#pragma once
// What morvi-cli's commands share: their options, the ROM opened or a complaint, and the save
// that ends a command which changes the ROM.
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "family/palette_target.h"
#include "app/rom_save.h"
#include "app/rom_session.h"
#include "family/workspace.h"

namespace morvi::cli {

class StreamNotifier : public Notifier {
public:
    explicit StreamNotifier(std::ostream& err) : m_err(err) {}
    void notify(MessageKind, std::string_view text) override { m_err << text << "\n"; }

private:
    std::ostream& m_err;
};

// Where a command writes its report and its complaints, and the steps through which its save
// touches the disk.
struct Streams {
    std::ostream& out;
    std::ostream& err;
    DiskSteps& steps;
};

// Says what a family reports of one file, with the file's name in front.
class FileNotifier : public Notifier {
public:
    FileNotifier(std::ostream& err, std::string path) : m_err(err), m_path(std::move(path)) {}
    void notify(MessageKind, std::string_view text) override { m_err << m_path << ": " << text << "\n"; }

private:
    std::ostream& m_err;
    std::string m_path;
};

struct Options {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values; // --name value
    std::vector<std::string> flags;            // --name
    bool has(const std::string& f) const;
};

// Splits arguments; names in takesValue consume the next argument.
std::optional<Options> parse(const std::vector<std::string>& args, const std::vector<std::string>& takesValue,
                             const std::vector<std::string>& bare, std::ostream& err);
std::optional<HeaderChoice> headerChoice(const Options& o, std::ostream& err);
std::unique_ptr<Workspace> openOrComplain(const std::string& path, HeaderChoice choice, std::ostream& err,
                                          HeaderTest* test = nullptr);
// The value of 1 to maxDigits decimal digits, or -1.
int digitsValue(const std::string& text, std::size_t maxDigits);
// Saves the families the request names, all or nothing; 0, or 1 with the reason said.
int saveOrComplain(Workspace& ws, const SaveRequest& request, const std::string& romPath, DiskSteps& steps, std::ostream& err);
// Saves the family of one picture.
int saveFamilyOrComplain(Workspace& ws, Family family, const std::string& romPath, DiskSteps& steps, std::ostream& err);

// "export|import ROM TARGET FILE" as `palette` and `picture` take them; nullopt when the
// arguments are not that (what is wrong said, or the usage).
struct TargetCommand {
    bool exporting = false;
    std::string romPath;
    PaletteTarget target;
    std::string file;
    HeaderChoice header = HeaderChoice::Detect;
};
std::optional<TargetCommand> readTargetCommand(const Options& o, const char* usage, std::ostream& err);

int cmdPicture(const Options& o, std::ostream& err, DiskSteps& steps);
int cmdAnimation(const Options& o, std::ostream& out, std::ostream& err);

} // namespace morvi::cli

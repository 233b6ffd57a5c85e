#include "testing/run_program.h"

#include <cstdlib>
#include <filesystem>

#ifdef _WIN32
#include <process.h>
#else
#include <sys/wait.h>
#endif

namespace morvi::testing {

#ifdef _WIN32

namespace {

// Quoted for the command line that cmd.exe hands the program (the rules of CommandLineToArgvW).
std::wstring quoted(const std::wstring& s) {
    std::wstring q = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : s) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        q.append(c == L'"' ? 2 * slashes + 1 : slashes, L'\\');
        slashes = 0;
        q += c;
    }
    q.append(2 * slashes, L'\\');
    return q + L"\"";
}

std::wstring wide(const std::string& utf8) { return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring(); }

} // namespace

int runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& outFile,
               const std::string& errFile) {
    // cmd.exe /c strips the outer quotes of the whole line: one more pair around it.
    std::wstring line = L"\"" + quoted(wide(program));
    for (const auto& a : args) line += L" " + quoted(wide(a));
    line += L" >" + quoted(wide(outFile)) + L" 2>" + quoted(wide(errFile)) + L"\"";
    return _wsystem(line.c_str());
}

#else

namespace {

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

} // namespace

int runProgram(const std::string& program, const std::vector<std::string>& args, const std::string& outFile,
               const std::string& errFile) {
    std::string command = quoted(program);
    for (const auto& a : args) command += " " + quoted(a);
    command += " >" + quoted(outFile) + " 2>" + quoted(errFile);
    const int raw = std::system(command.c_str());
    return raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

#endif

} // namespace morvi::testing

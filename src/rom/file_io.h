#pragma once
// Files named by UTF-8 paths on every platform, readable reasons for failures, and the one way
// a whole file is replaced: a complete new file beside it, flushed to the disk, then renamed
// over it, so that the old file stays whole until the moment the new one takes its place.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "rom/task_threads.h"

namespace morvi {

// The path a UTF-8 name denotes (on Windows the wide path; elsewhere the same bytes).
std::filesystem::path pathFromUtf8(const std::string& utf8);
// The UTF-8 name of a path.
std::string pathToUtf8(const std::filesystem::path& path);
// std::fopen for a UTF-8 path.
std::FILE* openFile(const std::string& utf8Path, const char* mode);

// A short reason for a failure, as a user reads it: "disk full", "permission denied", ...
std::string describeError(std::error_code error);
// The reason errno gives now (an unknown one when errno is 0).
std::error_code lastError();

// Reads a whole file, opened with `mode` ("r+b" refuses one that cannot be written); on
// failure the reason is in error.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::error_code& error,
                   const char* mode = "rb");

// The points at which replacing a file changes something on the disk. A save asks its steps
// before each of them: an error makes that step fail as if the system had refused it, and tests
// throw from here to stop the save at that point, as a crash or a power cut would.
class DiskSteps {
public:
    virtual ~DiskSteps() = default;
    virtual std::error_code before(const char* step) {
        (void)step;
        return {};
    }
};

// A file opened by descriptor, so that it can be flushed to the disk. Closes when destroyed.
class RawFile {
public:
    RawFile() = default;
    RawFile(RawFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    RawFile& operator=(RawFile&& other) noexcept;
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;
    ~RawFile() { close(); }
    bool create(const std::filesystem::path& path); // new and empty, for writing
    bool openToRead(const std::filesystem::path& path);
    bool isOpen() const { return m_fd >= 0; }
    bool write(std::span<const std::uint8_t> data);
    // Asks the system to start putting what was just written on the disk, so that the flush
    // at the end waits for less. A hint: where there is no such call, nothing happens.
    void startWriteback(std::uint64_t offset, std::size_t size);
    bool flush();
    bool close();

private:
    int m_fd = -1;
};

struct ReplaceOutcome {
    bool ok = false;
    bool inPlace = false;     // no file could be made beside the target: it was written in place
    bool checkFailed = false; // the caller's check said no: nothing was put in place
    std::string error;        // what failed and why, for the user; empty on success
    // The old file, kept open over the rename where it could be: the system gives its space back
    // when the last handle closes, and freeing a ROM's worth of pages is a noticeable part of a
    // save's time, so a caller can leave that to another thread.
    RawFile replaced;
};

// Makes newBytes the content of path. oldBytes is the content the caller read from path; the
// in-place fallback (taken only when no file can be made beside the target) writes just the
// bytes that differ and puts the old ones back when a write fails. The file keeps its
// permissions; a path that is a symbolic link keeps the link and its target is replaced.
ReplaceOutcome replaceFileContents(const std::string& path, std::span<const std::uint8_t> newBytes,
                                   std::span<const std::uint8_t> oldBytes, DiskSteps& steps);
// The same with the old content made only when the in-place fallback needs it.
ReplaceOutcome replaceFileContents(const std::string& path, std::span<const std::uint8_t> newBytes,
                                   const std::function<std::vector<std::uint8_t>()>& oldBytes, DiskSteps& steps);
// And with a check of newBytes that must pass before they replace the file. The check runs on
// one of `threads` while the new file is written and flushed (it may only read newBytes); in
// place, before any write.
ReplaceOutcome replaceFileContents(const std::string& path, std::span<const std::uint8_t> newBytes,
                                   const std::function<std::vector<std::uint8_t>()>& oldBytes, DiskSteps& steps,
                                   const std::function<bool()>& check, TaskThreads& threads);
// The same without a seam.
ReplaceOutcome replaceFileContents(const std::string& path, std::span<const std::uint8_t> newBytes,
                                   std::span<const std::uint8_t> oldBytes);

} // namespace morvi

#include "rom/file_io.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#include <fcntl.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace morvi {

namespace fs = std::filesystem;

fs::path pathFromUtf8(const std::string& utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string pathToUtf8(const fs::path& path) {
    const std::u8string s = path.u8string();
    return std::string(reinterpret_cast<const char*>(s.data()), s.size());
}

std::FILE* openFile(const std::string& utf8Path, const char* mode) {
#ifdef _WIN32
    std::wstring wideMode;
    for (const char* m = mode; *m; ++m) wideMode.push_back(wchar_t(*m));
    return _wfopen(pathFromUtf8(utf8Path).c_str(), wideMode.c_str());
#else
    return std::fopen(utf8Path.c_str(), mode);
#endif
}

std::error_code lastError() { return std::error_code(errno ? errno : EIO, std::generic_category()); }

std::string describeError(std::error_code error) {
    if (!error) return "no error";
    if (error.category() == std::generic_category() || error.category() == std::system_category()) {
        switch (error.value()) {
        case ENOSPC: return "disk full";
#ifdef EDQUOT
        case EDQUOT: return "disk quota exceeded";
#endif
        case EACCES:
        case EPERM: return "permission denied";
        case EROFS: return "read-only file system";
        case ENOENT: return "file not found";
        case EIO: return "input/output error";
        case EISDIR: return "is a folder";
        case ENAMETOOLONG: return "file name too long";
        case EBUSY: return "file in use";
        default: break;
        }
    }
    std::string text = error.message();
    if (!text.empty()) text[0] = char(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::error_code& error, const char* mode) {
    errno = 0;
    std::FILE* file = openFile(path, mode);
    if (!file) {
        error = lastError();
        return false;
    }
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        // Straight into the vector: the system copies the file once, with no copy of ours after
        // it (a buffer kept from an earlier read of the same size is not even cleared).
        out.resize(std::size_t(size));
        ok = std::fread(out.data(), 1, out.size(), file) == out.size();
    }
    if (!ok) error = std::ferror(file) ? lastError() : std::make_error_code(std::errc::io_error);
    std::fclose(file);
    return ok;
}

namespace {

void syncFolder(const fs::path& folder) {
#ifndef _WIN32
    // Makes the rename itself durable; a failure here leaves the new file in place all the same.
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)folder;
#endif
}

// The file a path finally names, through any symbolic links.
fs::path resolveLinks(const fs::path& path) {
    std::error_code ec;
    fs::path p = path;
    for (int depth = 0; depth < 40 && fs::is_symlink(fs::symlink_status(p, ec)); ++depth) {
        fs::path next = fs::read_symlink(p, ec);
        if (ec) break;
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    return p;
}

std::string failure(const char* what, std::error_code error) {
    return std::string(what) + " (" + describeError(error) + ")";
}

constexpr std::size_t kWriteChunk = 256 * 1024;
constexpr std::size_t kJoinGap = 4096;

// Writes only the bytes that differ, keeping the old ones to put back if a write fails.
ReplaceOutcome writeInPlace(const fs::path& target, std::span<const std::uint8_t> newBytes,
                            std::span<const std::uint8_t> oldBytes, DiskSteps& steps) {
    ReplaceOutcome out;
    out.inPlace = true;
    if (newBytes.size() < oldBytes.size()) {
        out.error = "writing the ROM in place failed (the new ROM is shorter than the old one)";
        return out;
    }
    struct Range {
        std::size_t start, end;
    };
    std::vector<Range> ranges;
    for (std::size_t i = 0; i < newBytes.size();) {
        if (i < oldBytes.size() && newBytes[i] == oldBytes[i]) {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < newBytes.size() && (end >= oldBytes.size() || newBytes[end] != oldBytes[end])) ++end;
        // Ranges a little apart are written as one: rewriting equal bytes is harmless and
        // costs less than another seek and write.
        if (!ranges.empty() && i - ranges.back().end <= kJoinGap)
            ranges.back().end = end;
        else
            ranges.push_back({i, end});
        i = end;
    }
    errno = 0;
    std::FILE* file = openFile(pathToUtf8(target), "r+b");
    if (!file) {
        out.error = failure("opening the ROM for writing failed", lastError());
        return out;
    }
    auto put = [&](std::size_t at, std::span<const std::uint8_t> bytes, const char* step, std::error_code& error) {
        error = steps.before(step);
        if (error) return false;
        errno = 0;
        if (std::fseek(file, long(at), SEEK_SET) != 0 || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
            std::fflush(file) != 0) {
            error = lastError();
            return false;
        }
        return true;
    };
    std::error_code error;
    std::size_t done = 0;
    for (; done < ranges.size(); ++done) {
        const Range& r = ranges[done];
        if (!put(r.start, newBytes.subspan(r.start, r.end - r.start), "write in place", error)) break;
    }
    if (done == ranges.size()) {
        error = steps.before("flush");
#ifndef _WIN32
        if (!error && ::fsync(fileno(file)) != 0) error = lastError();
#endif
        if (!error) {
            if (std::fclose(file) != 0) {
                out.error = failure("writing the ROM in place failed", lastError());
                return out;
            }
            out.ok = true;
            return out;
        }
    }
    // Put back every range written, the failing one included (it may be half written).
    bool restored = true;
    const std::size_t last = std::min(done + 1, ranges.size());
    for (std::size_t k = last; k-- > 0;) {
        const Range& r = ranges[k];
        std::error_code ignored;
        const std::size_t oldEnd = std::min(r.end, oldBytes.size());
        if (r.start < oldEnd && !put(r.start, oldBytes.subspan(r.start, oldEnd - r.start), "restore", ignored)) restored = false;
    }
    std::fclose(file);
    out.error = failure("writing the ROM in place failed", error) +
                (restored ? "; the old bytes were put back" : "; the old bytes could not all be put back");
    return out;
}

} // namespace

RawFile& RawFile::operator=(RawFile&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool RawFile::create(const fs::path& path) {
    close();
#ifdef _WIN32
    m_fd = _wopen(path.c_str(), _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    m_fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
#endif
    return m_fd >= 0;
}

bool RawFile::openToRead(const fs::path& path) {
    close();
#ifdef _WIN32
    m_fd = _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
#else
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
#endif
    return m_fd >= 0;
}

bool RawFile::write(std::span<const std::uint8_t> data) {
    while (!data.empty()) {
#ifdef _WIN32
        const int n = _write(m_fd, data.data(), unsigned(std::min<std::size_t>(data.size(), 1u << 30)));
#else
        const ssize_t n = ::write(m_fd, data.data(), data.size());
#endif
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data = data.subspan(std::size_t(n));
    }
    return true;
}

void RawFile::startWriteback([[maybe_unused]] std::uint64_t offset, [[maybe_unused]] std::size_t size) {
#ifdef __linux__
    ::sync_file_range(m_fd, off64_t(offset), off64_t(size), SYNC_FILE_RANGE_WRITE);
#endif
}

bool RawFile::flush() {
#ifdef _WIN32
    return _commit(m_fd) == 0;
#else
    return ::fsync(m_fd) == 0;
#endif
}

bool RawFile::close() {
    if (m_fd < 0) return true;
#ifdef _WIN32
    const bool ok = _close(m_fd) == 0;
#else
    const bool ok = ::close(m_fd) == 0;
#endif
    m_fd = -1;
    return ok;
}

ReplaceOutcome replaceFileContents(const std::string& path, std::span<const std::uint8_t> newBytes,
                                   std::span<const std::uint8_t> oldBytes, DiskSteps& steps) {
    return replaceFileContents(path, newBytes, [&] { return std::vector<std::uint8_t>(oldBytes.begin(), oldBytes.end()); },
                               steps);
}

ReplaceOutcome replaceFileContents(const std::string& path, std::span<const std::uint8_t> newBytes,
                                   const std::function<std::vector<std::uint8_t>()>& oldBytes, DiskSteps& steps) {
    TaskThreads none(0); // no check to run beside the writing
    return replaceFileContents(path, newBytes, oldBytes, steps, {}, none);
}

ReplaceOutcome replaceFileContents(const std::string& path, std::span<const std::uint8_t> newBytes,
                                   const std::function<std::vector<std::uint8_t>()>& oldBytes, DiskSteps& steps,
                                   const std::function<bool()>& check, TaskThreads& threads) {
    ReplaceOutcome out;
    auto checkedInPlace = [&](const fs::path& at) {
        if (check && !check()) {
            ReplaceOutcome refused;
            refused.checkFailed = true;
            return refused;
        }
        return writeInPlace(at, newBytes, oldBytes(), steps);
    };
    const fs::path target = resolveLinks(pathFromUtf8(path));
    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (ec || !fs::exists(status)) {
        out.error = failure("the ROM file is gone", ec ? ec : std::make_error_code(std::errc::no_such_file_or_directory));
        return out;
    }
    // Something that is not a plain file (a device) cannot be renamed over.
    if (!fs::is_regular_file(status)) return checkedInPlace(target);

    fs::path temp = target;
    temp += ".morvi-save";
    RawFile file;
    std::error_code error = steps.before("create");
    errno = 0;
    if (error || !file.create(temp)) {
        // No file can be made beside the ROM (a folder without write permission): in place.
        return checkedInPlace(target);
    }
    // The check reads the new bytes while they go to the disk: its time hides in the wait.
    bool passed = true;
    TaskThreads::Task checked;
    if (check) threads.start(checked, [&] { passed = check(); });
    auto checkPassed = [&] {
        checked.wait();
        return passed;
    };
    auto fail = [&](const char* what) {
        checkPassed(); // never leave the check running on bytes the caller may free
        file.close();
        std::error_code ignored;
        fs::remove(temp, ignored);
        out.error = failure(what, error);
        return std::move(out);
    };
    for (std::size_t at = 0; at < newBytes.size(); at += kWriteChunk) {
        error = steps.before("write");
        errno = 0;
        const std::size_t n = std::min(kWriteChunk, newBytes.size() - at);
        if (!error && !file.write(newBytes.subspan(at, n))) error = lastError();
        if (error) return fail("writing the new ROM file failed");
        file.startWriteback(at, n);
    }
    error = steps.before("flush");
    errno = 0;
    if (!error && !file.flush()) error = lastError();
    if (error) return fail("flushing the new ROM file to the disk failed");
    error = steps.before("close");
    errno = 0;
    if (!error && !file.close()) error = lastError();
    if (error) return fail("writing the new ROM file failed");
    if (!checkPassed()) {
        file.close();
        std::error_code ignored;
        fs::remove(temp, ignored);
        out.checkFailed = true;
        return out;
    }
    error = steps.before("permissions");
    if (!error) fs::permissions(temp, status.permissions(), fs::perm_options::replace, error);
    if (error) return fail("keeping the ROM's permissions failed");
    // Held over the rename, so that its pages are freed when the caller lets go of it and not
    // in the rename (a file that cannot be opened is freed by the rename as before). Not on
    // Windows, where a file that is open cannot be renamed over.
    RawFile previous;
#ifndef _WIN32
    previous.openToRead(target);
#endif
    error = steps.before("rename");
    if (!error) fs::rename(temp, target, error);
    if (error) return fail("putting the new ROM in place failed");
    syncFolder(target.parent_path());
    out.replaced = std::move(previous);
    out.ok = true;
    return out;
}

ReplaceOutcome replaceFileContents(const std::string& path, std::span<const std::uint8_t> newBytes,
                                   std::span<const std::uint8_t> oldBytes) {
    DiskSteps none;
    return replaceFileContents(path, newBytes, oldBytes, none);
}

} // namespace morvi

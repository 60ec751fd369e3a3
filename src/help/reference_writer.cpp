// Writes the reference file atomically: a temporary file in the same
// directory, renamed over the old one only once it is complete.
#include <fcntl.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "help.h"

namespace zorvane {
namespace {

#if defined(_WIN32)
// The same few calls under their Windows names; replacing an existing file
// by renaming needs MoveFileEx there.
int open_new(const char* path) {
    return ::_open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, 0666);
}
long process_id() { return static_cast<long>(::_getpid()); }
int write_some(int fd, const char* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(size));
}
bool flush_to_disk(int fd) { return ::_commit(fd) == 0; }
bool close_file(int fd) { return ::_close(fd) == 0; }
bool replace_file(const char* from, const char* to) {
    return ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
void remove_file(const char* path) { ::_unlink(path); }
#else
int open_new(const char* path) {
    return ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
long process_id() { return static_cast<long>(::getpid()); }
ssize_t write_some(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }
bool flush_to_disk(int fd) { return ::fsync(fd) == 0; }
bool close_file(int fd) { return ::close(fd) == 0; }
bool replace_file(const char* from, const char* to) { return std::rename(from, to) == 0; }
void remove_file(const char* path) { ::unlink(path); }
#endif

constexpr std::size_t PATH_CAPACITY = 4096;
using Path = std::array<char, PATH_CAPACITY>;

// Joins directory and name into `path`; false when it does not fit.
bool join(Path& path, const char* directory, std::string_view name, long pid, int attempt) {
    int length = 0;
    const char* separator = directory == nullptr ? "" : "/";
    const char* prefix = directory == nullptr ? "" : directory;
    const auto name_length = static_cast<int>(name.size());
    if (attempt < 0) {
        length = std::snprintf(path.data(), path.size(), "%s%s%.*s", prefix, separator, name_length,
                               name.data());
    } else {
        length = std::snprintf(path.data(), path.size(), "%s%s%.*s.%ld-%d.tmp", prefix, separator,
                               name_length, name.data(), pid, attempt);
    }
    return length > 0 && static_cast<std::size_t>(length) < path.size();
}

bool write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        const auto written = write_some(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Creates a temporary file next to the reference; -1 on failure.
int create_temporary(Path& path, const char* directory) {
    const long pid = process_id();
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (!join(path, directory, REFERENCE_FILE_NAME, pid, attempt)) return -1;
        const int fd = open_new(path.data());
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

bool save_formula_reference(const char* directory) noexcept {
    Path final_path{};
    Path temporary_path{};
    if (!join(final_path, directory, REFERENCE_FILE_NAME, 0, -1)) return false;
    const int fd = create_temporary(temporary_path, directory);
    if (fd < 0) return false;

    bool complete = true;
    for (const std::string_view text : formula_reference_texts()) {
        complete = complete && write_all(fd, text);
    }
    complete = complete && flush_to_disk(fd);
    complete = close_file(fd) && complete;
    complete = complete && replace_file(temporary_path.data(), final_path.data());
    if (!complete) remove_file(temporary_path.data());
    return complete;
}

}  // namespace zorvane

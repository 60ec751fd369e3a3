// Writes the reference file atomically: a temporary file in the same
// directory, renamed over the old one only once it is complete.
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "help.h"

namespace zorvane {
namespace {

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
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Creates a temporary file next to the reference; -1 on failure.
int create_temporary(Path& path, const char* directory) {
    const long pid = static_cast<long>(::getpid());
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (!join(path, directory, REFERENCE_FILE_NAME, pid, attempt)) return -1;
        const int fd = ::open(path.data(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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
    complete = complete && ::fsync(fd) == 0;
    complete = ::close(fd) == 0 && complete;
    complete = complete && std::rename(temporary_path.data(), final_path.data()) == 0;
    if (!complete) ::unlink(temporary_path.data());
    return complete;
}

}  // namespace zorvane

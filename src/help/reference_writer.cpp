// Writes the reference file atomically: a temporary file beside the file it
// replaces, flushed to disk, renamed over the old one only once it is
// complete, and the directory synced so that the rename itself is durable.
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
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "help.h"

namespace zorvane {
namespace {

// Every path the writer builds, terminator included. Linux accepts no
// longer path (PATH_MAX), so a path that does not fit could not be opened
// anyway; it is refused rather than cut.
constexpr std::size_t PATH_CAPACITY = 4096;
using Path = std::array<char, PATH_CAPACITY>;

// Symbolic links followed from the reference's name to a file, as many as
// Linux follows in one path (its ELOOP limit); more is taken for a loop.
constexpr int MAX_LINK_HOPS = 40;

// Temporary names tried when earlier ones exist, for instance left behind by
// a crashed process that had the same process id.
constexpr int MAX_TEMPORARY_ATTEMPTS = 100;

// What a replaced file keeps: its permission bits (read, write and execute
// for owner, group and others; set-id bits are not carried onto a text file)
// and its group. A new file gets the usual 0666 less the umask.
constexpr unsigned PERMISSION_BITS = 0777;
struct Kept {
    bool existing = false;
    unsigned permissions = 0666;
    unsigned group = 0;
};

#if defined(_WIN32)
// The same few calls under their Windows names; replacing an existing file
// by renaming needs MoveFileEx there, which also writes the rename through.
// Links and the directory need no handling of their own.
int open_new(const char* path, const Kept& /*kept*/) {
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
bool resolve_target(Path& /*path*/, Kept& /*kept*/) { return true; }
bool keep_attributes(int /*fd*/, const Kept& /*kept*/) { return true; }
int open_directory_of(Path& /*path*/) { return 0; }
bool sync_directory(int /*fd*/) { return true; }
void close_directory(int /*fd*/) {}
#else
int open_new(const char* path, const Kept& kept) {
    return ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  static_cast<mode_t>(kept.permissions));
}
#if defined(__wasi__)
// A WebAssembly instance under WASI is a process of its own and has no id.
long process_id() { return 0; }
#else
long process_id() { return static_cast<long>(::getpid()); }
#endif
ssize_t write_some(int fd, const char* data, std::size_t size) { return ::write(fd, data, size); }
bool flush_to_disk(int fd) { return ::fsync(fd) == 0; }
bool close_file(int fd) { return ::close(fd) == 0; }
bool replace_file(const char* from, const char* to) { return std::rename(from, to) == 0; }
void remove_file(const char* path) { ::unlink(path); }

// Replaces `path`, a symbolic link, by the name it points to; a relative
// link is read from the link's own directory. False when that does not fit.
bool follow_link(Path& path) {
    Path link;
    const ssize_t length = ::readlink(path.data(), link.data(), link.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= link.size()) return false;
    const auto link_length = static_cast<std::size_t>(length);
    const char* const slash = std::strrchr(path.data(), '/');
    const std::size_t kept =
        link[0] == '/' || slash == nullptr ? 0 : static_cast<std::size_t>(slash - path.data()) + 1;
    if (kept + link_length >= path.size()) return false;
    std::memcpy(path.data() + kept, link.data(), link_length);
    path[kept + link_length] = '\0';
    return true;
}

// Follows symbolic links from `path` to the file to replace, so that a link
// stays a link. A name that does not exist yet is a new file; a link to
// nothing, a loop, and a target whose name does not fit are failures.
bool resolve_target(Path& path, Kept& kept) {
    for (int hop = 0; hop <= MAX_LINK_HOPS; ++hop) {
        struct stat status {};
        if (::lstat(path.data(), &status) != 0) return hop == 0 && errno == ENOENT;
        if (!S_ISLNK(status.st_mode)) {
            if (S_ISREG(status.st_mode)) {
                kept = {true, status.st_mode & PERMISSION_BITS, status.st_gid};
            }
            return true;
        }
        if (!follow_link(path)) return false;
    }
    return false;
}

// Gives the temporary file the replaced file's group, where the process may
// (EPERM: it belongs to no such group), then its permission bits, which the
// umask may have cut at creation. Only what differs is changed, so a file
// system without owners or modes (FAT) is not asked to change anything.
bool keep_attributes(int fd, const Kept& kept) {
    struct stat status {};
    if (!kept.existing) return true;
    if (::fstat(fd, &status) != 0) return false;
    if (status.st_gid != kept.group &&
        ::fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(kept.group)) != 0 &&
        errno != EPERM) {
        return false;
    }
    return (status.st_mode & PERMISSION_BITS) == kept.permissions ||
           ::fchmod(fd, static_cast<mode_t>(kept.permissions)) == 0;
}

// Opens the directory that holds `path`; -1 on failure. It is opened before
// anything is written, so that a directory that cannot be synced fails
// while the old file is still in place.
int open_directory_of(Path& path) {
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    char* const slash = std::strrchr(path.data(), '/');
    if (slash == nullptr) return ::open(".", flags);
    if (slash == path.data()) return ::open("/", flags);
    *slash = '\0';
    const int fd = ::open(path.data(), flags);
    *slash = '/';
    return fd;
}
// EINVAL: the file system has no way to sync a directory; the rename is as
// durable as it can make it.
bool sync_directory(int fd) { return ::fsync(fd) == 0 || errno == EINVAL; }
void close_directory(int fd) { ::close(fd); }
#endif

// Writes `directory`/name (null: the name alone) into `path`; false when it
// does not fit, or when `directory` is empty: that names no directory, as
// the system reads an empty path, and joined it would name the root's file.
bool join(Path& path, const char* directory, std::string_view name) {
    if (directory != nullptr && *directory == '\0') return false;
    const auto name_length = static_cast<int>(name.size());
    const int length = directory == nullptr ? std::snprintf(path.data(), path.size(), "%.*s",
                                                            name_length, name.data())
                                            : std::snprintf(path.data(), path.size(), "%s/%.*s",
                                                            directory, name_length, name.data());
    return length > 0 && static_cast<std::size_t>(length) < path.size();
}

// The temporary name of one attempt, beside `target`; false when it does
// not fit.
bool temporary_name(Path& path, const Path& target, long pid, int attempt) {
    const int length =
        std::snprintf(path.data(), path.size(), "%s.%ld-%d.tmp", target.data(), pid, attempt);
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

// Creates a temporary file beside `target` under a name no other file has;
// -1 on failure.
int create_temporary(Path& path, const Path& target, const Kept& kept) {
    const long pid = process_id();
    for (int attempt = 0; attempt < MAX_TEMPORARY_ATTEMPTS; ++attempt) {
        if (!temporary_name(path, target, pid, attempt)) return -1;
        const int fd = open_new(path.data(), kept);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Writes the reference into the open temporary file and flushes it to disk;
// closes it either way.
bool fill_temporary(int fd, const Kept& kept) {
    const auto to_file = [](void* context, std::string_view text) {
        return write_all(*static_cast<int*>(context), text);
    };
    bool complete =
        keep_attributes(fd, kept) && write_formula_reference(to_file, &fd) && flush_to_disk(fd);
    return close_file(fd) && complete;
}

}  // namespace

bool save_formula_reference(const char* directory) noexcept {
    Path target;
    Kept kept;
    if (!join(target, directory, REFERENCE_FILE_NAME) || !resolve_target(target, kept)) {
        return false;
    }
    const int directory_fd = open_directory_of(target);
    if (directory_fd < 0) return false;

    Path temporary;
    const int fd = create_temporary(temporary, target, kept);
    bool complete = fd >= 0 && fill_temporary(fd, kept);
    complete = complete && replace_file(temporary.data(), target.data());
    if (fd >= 0 && !complete) remove_file(temporary.data());
    complete = complete && sync_directory(directory_fd);
    close_directory(directory_fd);
    return complete;
}

}  // namespace zorvane

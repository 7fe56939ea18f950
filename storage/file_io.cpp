#include "storage/file_io.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace sonora {

namespace {

// Name of a temporary file in the folder of `path`, unlikely to collide with another writer. The
// process id is part of it: a forked process starts with the same random state as its parent.
std::string temporaryNameBeside(const std::string& path) {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, ".tmp%ld_%08llx", static_cast<long>(::getpid()),
                  static_cast<unsigned long long>(rng() & 0xFFFFFFFFull));
    return path + suffix;
}

// Attempts at a temporary name before giving up: a name is taken only when a writer that was
// killed left its temporary file behind.
constexpr int kTemporaryNameAttempts = 16;

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Symbolic links are followed at most this often (the limit of the kernel's own path lookup).
constexpr int kMaxLinkHops = 40;
constexpr mode_t kPermissionBits = 07777;

// The folder part of `path` ("." for a bare name).
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file `path` finally names when its symbolic links are followed: saving goes into the link's
// target and leaves the link in place. A link to a file that does not exist yet names that file.
// False when the links run in a circle.
bool followLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return true;
        }
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n <= 0) {
            return true; // replaced while we looked: the rename decides
        }
        link.resize(static_cast<std::size_t>(n));
        target = link.front() == '/' ? link : folderOf(target) + "/" + link;
    }
    return false;
}

// Makes the rename itself durable: without it a power failure may bring back the old name.
void syncFolderOf(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // some file systems cannot sync a folder; the file itself is synced
        ::close(fd);
    }
}

std::string writeErrorMessage(const std::string& path, int errorNumber) {
    return "Die Datei " + path + " kann nicht geschrieben werden. " +
           writeErrorReason(errorNumber, folderOf(path)) + ".";
}

} // namespace

ReadStatus readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes,
                         std::size_t maxBytes) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? ReadStatus::Missing : ReadStatus::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadStatus::Failed;
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        ::close(fd);
        return ReadStatus::TooLarge;
    }
    // Read until end of file, never beyond the bound: the size may change while we read.
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            bytes.clear();
            return ReadStatus::Failed;
        }
        if (n == 0) {
            break;
        }
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
            ::close(fd);
            bytes.clear();
            return ReadStatus::TooLarge;
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    ::close(fd);
    return ReadStatus::Ok;
}

bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error) {
    std::string target;
    if (!followLinks(path, target)) {
        error = writeErrorMessage(path, ELOOP);
        return false;
    }
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && fd < 0; ++attempt) {
        temp = temporaryNameBeside(target);
        // 0666 less the umask for a new file, as any other program would create it.
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd < 0) {
        error = writeErrorMessage(target, errno);
        return false;
    }
    if (replacing) {
        // The new file takes the place of the old one with its owner and its permission bits
        // (a private file stays private). Changing the owner is allowed only to root; for anybody
        // else the file is theirs already or cannot be given away, so a failure is no error.
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
        }
        ::fchmod(fd, old.st_mode & kPermissionBits);
    }
    bool ok = writeAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
    int savedErrno = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) == 0) {
        syncFolderOf(target);
        return true;
    }
    error = writeErrorMessage(target, ok ? errno : savedErrno);
    ::unlink(temp.c_str());
    return false;
}

std::string writeErrorReason(int errorNumber, const std::string& folder) {
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        return "Im Ordner " + folder + " darf nicht geschrieben werden";
    case EROFS:
        return "Der Datenträger ist schreibgeschützt";
    case ENOSPC:
    case EDQUOT:
        return "Auf dem Datenträger ist kein Platz mehr";
    case ENOENT:
    case ENOTDIR:
        return "Den Ordner " + folder + " gibt es nicht";
    case EISDIR:
        return "An ihrer Stelle steht ein Ordner";
    case ELOOP:
        return "Ihre symbolischen Verknüpfungen führen im Kreis";
    case EEXIST:
        return "Die temporäre Datei daneben gibt es schon";
    default:
        break;
    }
    return "Fehler " + std::to_string(errorNumber) + " des Betriebssystems";
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace sonora

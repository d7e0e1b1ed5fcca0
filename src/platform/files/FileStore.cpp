#include "platform/files/FileStore.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <pthread.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zirko {

std::string NotRegularFileText(const std::filesystem::path& fileName)
{
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    return fileName.string() + " is not a regular file.";
}

bool ReadWholeFile(const std::filesystem::path& fileName, std::string& content)
{
    // Non-blocking, so that a FIFO is refused below instead of waiting for a writer.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    content.clear();
    content.reserve(static_cast<size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buf, sizeof buf);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        content.append(buf, static_cast<size_t>(got));
    }
    ::close(fd);
    return true;
}

namespace {

// The file a name stands for: symbolic links are followed, so saving replaces what the link
// points to and the link stays. Empty after too many links (a loop).
std::filesystem::path FollowLinks(const std::filesystem::path& fileName)
{
    std::filesystem::path path = fileName;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<size_t>(length) >= target.size())
            return {};
        target.resize(static_cast<size_t>(length));
        const std::filesystem::path next(target);
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return {};
}

bool InGroup(gid_t group)
{
    if (group == ::getegid())
        return true;
    std::vector<gid_t> groups(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
    return std::find(groups.begin(), groups.begin() + std::max(count, 0), group) !=
           groups.begin() + std::max(count, 0);
}

// Whether the user may write the existing file: the system's answer, and the write bit the
// user's class has, since the superuser passes every access check and would replace a file
// someone made read-only.
bool MayWrite(const std::filesystem::path& path, const struct stat& st)
{
    if (::access(path.c_str(), W_OK) != 0)
        return false;
    const mode_t bit = st.st_uid == ::geteuid() ? S_IWUSR : InGroup(st.st_gid) ? S_IWGRP : S_IWOTH;
    return (st.st_mode & bit) != 0;
}

// Keeps SIGINT, SIGTERM, SIGHUP and SIGQUIT waiting while a finished file moves into place, so
// a stop cannot fall between linking it under a temporary name and renaming it.
class TStopSignalsHeld {
public:
    TStopSignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            sigaddset(&held, signal);
        ::pthread_sigmask(SIG_BLOCK, &held, &Previous);
    }
    ~TStopSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &Previous, nullptr); }
    TStopSignalsHeld(const TStopSignalsHeld&) = delete;
    TStopSignalsHeld& operator=(const TStopSignalsHeld&) = delete;

private:
    sigset_t Previous;
};

std::filesystem::path TemporaryName(const std::filesystem::path& target)
{
    static thread_local std::mt19937 random{std::random_device{}()};
    std::filesystem::path temp = target;
    temp += ".tmp" + std::to_string(random() % 1000000);
    return temp;
}

bool WriteAll(int fd, const char* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t put = ::write(fd, data + done, size - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(put);
    }
    return true;
}

// Gives the unnamed file `fd` the name `name`; false with errno set when it cannot.
bool LinkUnnamed(int fd, const std::filesystem::path& name)
{
    if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    // Without the right to link by descriptor, the descriptor's name in /proc does it.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

} // namespace

// The data goes into an unnamed file of the target's folder (or, where the file system has no
// such files, a temporary one beside the target, removed on every failure). Replacing keeps the
// old file's permissions and refuses a file the user may not write; creating never replaces a
// file of that name that appeared meanwhile, nor a link to a missing file.
TFileSave SaveProducedFile(const std::filesystem::path& fileName, TSaveMode mode,
                           const TByteProducer& produce)
{
    std::filesystem::path target = FollowLinks(fileName);
    if (target.empty())
        return TFileSave::Failed;
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // A link whose target is missing is a name that is taken, and nothing is made through it:
    // the target could lie anywhere. Replacing puts the file in the link's place.
    if (!exists && target != fileName) {
        if (mode == TSaveMode::CreateNew)
            return TFileSave::Exists;
        target = fileName;
    }
    if (exists && mode == TSaveMode::CreateNew)
        return TFileSave::Exists;
    if (exists && (!S_ISREG(old.st_mode) || !MayWrite(target, old)))
        return TFileSave::Failed;

    const std::filesystem::path folder =
        target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path();
    std::filesystem::path named;
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        named = TemporaryName(target);
        fd = ::open(named.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    }
    if (fd < 0)
        return TFileSave::Failed;
    bool ok = !exists || ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && produce([fd](const char* data, size_t size) { return WriteAll(fd, data, size); });
    ok = ok && ::fsync(fd) == 0;

    TFileSave outcome = ok ? TFileSave::Written : TFileSave::Failed;
    if (ok && mode == TSaveMode::CreateNew) {
        const bool linked =
            named.empty() ? LinkUnnamed(fd, target) : ::link(named.c_str(), target.c_str()) == 0;
        if (!linked)
            outcome = errno == EEXIST ? TFileSave::Exists : TFileSave::Failed;
    } else if (ok) {
        TStopSignalsHeld held;
        if (named.empty()) {
            for (int attempt = 0; attempt < 100 && named.empty(); ++attempt) {
                named = TemporaryName(target);
                if (!LinkUnnamed(fd, named)) {
                    const bool taken = errno == EEXIST;
                    named.clear();
                    if (!taken)
                        break;
                }
            }
        }
        if (named.empty() || std::rename(named.c_str(), target.c_str()) != 0)
            outcome = TFileSave::Failed;
        else
            named.clear();
    }
    // The data reached the disk with fsync: closing has nothing left to fail on.
    ::close(fd);
    if (!named.empty())
        ::unlink(named.c_str());
    return outcome;
}

TFileSave SaveFileAtomically(const std::filesystem::path& fileName, std::string_view content,
                             TSaveMode mode)
{
    return SaveProducedFile(fileName, mode, [content](const TByteSink& sink) {
        return sink(content.data(), content.size());
    });
}

bool WriteFileAtomically(const std::filesystem::path& fileName, std::string_view content)
{
    return SaveFileAtomically(fileName, content, TSaveMode::Replace) == TFileSave::Written;
}

} // namespace zirko

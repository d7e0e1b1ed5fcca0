#include "platform/files/FlightFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <stdexcept>
#include <string_view>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zirko {

namespace {

size_t MemoryLimitOverride = 0;

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23 // Linux 5.14; older kernels refuse it and the pages fault as usual
#endif

// A long flight's arrays are tens of megabytes written once from start to end: a fault per 4 KB
// page cost as much as parsing them. Large pages where the system gives them, and every page
// mapped by one call.
void MapArrayAtOnce(void* data, size_t bytes)
{
    constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
    if (bytes < kLargePage)
        return;
    const auto start = reinterpret_cast<uintptr_t>(data);
    const uintptr_t firstLarge = (start + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t endLarge = (start + bytes) & ~(kLargePage - 1);
    if (endLarge > firstLarge)
        ::madvise(reinterpret_cast<void*>(firstLarge), endLarge - firstLarge, MADV_HUGEPAGE);
    const auto pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const uintptr_t firstPage = start & ~(pageSize - 1);
    ::madvise(reinterpret_cast<void*>(firstPage), start + bytes - firstPage, MADV_POPULATE_WRITE);
}

} // namespace

std::string NotEnoughMemoryText(const std::filesystem::path& fileName)
{
    return "Not enough memory to open " + fileName.string() + ".";
}

size_t FlightMemoryLimit()
{
    if (MemoryLimitOverride != 0)
        return MemoryLimitOverride;
    // Half the machine's memory for one flight: more would push everything else into swap, and
    // the system would end the program rather than let an allocation fail.
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    uint64_t limit = pages > 0 && pageSize > 0
                         ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 2
                         : UINT64_MAX;
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit bound {};
        if (::getrlimit(resource, &bound) == 0 && bound.rlim_cur != RLIM_INFINITY)
            limit = std::min<uint64_t>(limit, bound.rlim_cur / 2);
    }
    return static_cast<size_t>(std::min<uint64_t>(limit, SIZE_MAX));
}

void SetFlightMemoryLimit(size_t bytes)
{
    MemoryLimitOverride = bytes;
}

TReadResult ReadDataFile(const std::filesystem::path& fileName, TDataBlock& flight,
                         double markerThreshold)
{
    if (fileName.empty())
        return {};
    TReadResult ioFailure;
    ioFailure.Status = TReadStatus::IoError;
    ioFailure.Message = kMsgReadIo;
    if (std::string text = NotRegularFileText(fileName); !text.empty()) {
        ioFailure.Message = std::move(text);
        return ioFailure;
    }
    // Non-blocking: a FIFO put in the file's place after the look above does not hold the
    // program; it is refused below.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return ioFailure;
    struct stat st {};
    // Larger than the reader could ever hold: refused before a byte is mapped.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFlightFileBytes) {
        ::close(fd);
        return ioFailure;
    }
    TReadResult result;
    try {
        if (st.st_size == 0) {
            ::close(fd);
            return ParseDataFile({}, flight, markerThreshold);
        }
        // The file is mapped, not copied: reading needs little beyond the arrays it fills. Its
        // pages are mapped in one go (read ahead when not cached) rather than by a fault per
        // page while the lines are parsed.
        void* map = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ,
                           MAP_PRIVATE | MAP_POPULATE, fd, 0);
        ::close(fd);
        if (map == MAP_FAILED)
            return ioFailure;
        try {
            TParseTuning tuning;
            tuning.PrepareArray = MapArrayAtOnce;
            result = ParseDataFile(
                std::string_view(static_cast<const char*>(map), static_cast<size_t>(st.st_size)),
                flight, markerThreshold, FlightMemoryLimit(), tuning);
        } catch (...) {
            ::munmap(map, static_cast<size_t>(st.st_size));
            throw;
        }
        ::munmap(map, static_cast<size_t>(st.st_size));
    } catch (const std::bad_alloc&) {
        flight.Clear();
        ioFailure.Message = NotEnoughMemoryText(fileName);
        return ioFailure;
    } catch (const std::length_error&) {
        flight.Clear();
        ioFailure.Message = NotEnoughMemoryText(fileName);
        return ioFailure;
    }
    return result;
}

TWriteResult WriteDataFile(const std::filesystem::path& fileName, const TDataBlock& flight,
                           TSaveMode mode)
{
    TWriteResult result = CheckDataFile(flight);
    if (!result.Ok())
        return result;
    const TFileSave saved = SaveProducedFile(
        fileName, mode, [&flight](const TByteSink& sink) { return EmitDataFile(flight, sink); });
    if (saved == TFileSave::Exists) {
        result.Status = TWriteStatus::Exists;
    } else if (saved == TFileSave::Failed) {
        result.Status = TWriteStatus::IoError;
        result.Message = kMsgWriteIo;
    }
    return result;
}

bool IsFlightDataFile(const std::filesystem::path& fileName)
{
    std::string extension = fileName.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".zdf")
        return true;
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    // Non-blocking: should the name be swapped for a FIFO after the look, opening still returns.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    constexpr std::string_view kStart = "<Header>";
    char start[8] = {};
    static_assert(sizeof start == kStart.size());
    size_t got = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        while (got < sizeof start) {
            const ssize_t n = ::read(fd, start + got, sizeof start - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
    }
    ::close(fd);
    return got == sizeof start && std::string_view(start, got) == kStart;
}

} // namespace zirko

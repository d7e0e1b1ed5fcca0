#include "platform/files/FlightFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zirko {

TReadResult ReadDataFile(const std::filesystem::path& fileName, TDataBlock& flight,
                         double markerThreshold)
{
    if (fileName.empty())
        return {};
    TReadResult ioFailure;
    ioFailure.Status = TReadStatus::IoError;
    ioFailure.Message = kMsgReadIo;
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return ioFailure;
    struct stat st {};
    // Larger than the reader could ever hold: refused before a byte is mapped.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFlightFileBytes) {
        ::close(fd);
        return ioFailure;
    }
    if (st.st_size == 0) {
        ::close(fd);
        return ParseDataFile({}, flight, markerThreshold);
    }
    // The file is mapped, not copied: reading needs little beyond the arrays it fills.
    void* map = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED)
        return ioFailure;
    ::madvise(map, static_cast<size_t>(st.st_size), MADV_SEQUENTIAL);
    TReadResult result = ParseDataFile(
        std::string_view(static_cast<const char*>(map), static_cast<size_t>(st.st_size)), flight,
        markerThreshold);
    ::munmap(map, static_cast<size_t>(st.st_size));
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

} // namespace zirko

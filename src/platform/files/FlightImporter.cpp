#include "platform/files/FlightImporter.h"

#include "platform/files/FlightFile.h"

#include <fcntl.h>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zirko {

namespace {

// A name the numbering may never pass: a folder full of imports stops there with a message.
constexpr int kLastNumber = 99999;

} // namespace

TImportResult ReadImportSource(const std::filesystem::path& fileName, TImportFormat format,
                               const TColumnChoice& choice)
{
    const std::string name = fileName.string();
    TImportResult failure;
    // A FIFO would block the open, a device never end: such names are refused unopened.
    if (std::string notRegular = NotRegularFileText(fileName); !notRegular.empty()) {
        failure.Error = std::move(notRegular);
        return failure;
    }
    failure.Error = name + ": " + kMsgReadIo;
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return failure;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFlightFileBytes) {
        ::close(fd);
        return failure;
    }
    if (st.st_size == 0) {
        ::close(fd);
        return ParseImport({}, name, format, choice);
    }
    // Mapped, not copied: a log of many sessions costs memory for its samples only.
    void* map = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED)
        return failure;
    ::madvise(map, static_cast<size_t>(st.st_size), MADV_SEQUENTIAL);
    TImportResult result;
    try {
        result = ParseImport(
            std::string_view(static_cast<const char*>(map), static_cast<size_t>(st.st_size)), name,
            format, choice);
    } catch (const std::bad_alloc&) {
        result = {};
        result.Error = NotEnoughMemoryText(fileName);
    }
    ::munmap(map, static_cast<size_t>(st.st_size));
    return result;
}

TImportWrite WriteImportedFlights(const TImportResult& source, const std::string& sourceName,
                                  const std::filesystem::path& folder, const std::string& baseName)
{
    TImportWrite write;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
        write.Error = "Cannot create " + folder.string();
        return write;
    }
    int number = 1;
    for (size_t i = 0; i < source.Flights.size(); ++i) {
        const TDataBlock block = MakeImportedBlock(source, i, sourceName);
        while (true) {
            if (number > kLastNumber) {
                write.Error = "No free file name for " + baseName + " in " + folder.string();
                return write;
            }
            const std::filesystem::path target = folder / ImportFileName(baseName, number);
            // A name taken, by a file, a folder or a dangling link, is passed over; one taken
            // between this look and the write is refused by the write itself.
            if (std::filesystem::symlink_status(target, error).type() !=
                std::filesystem::file_type::not_found) {
                ++number;
                continue;
            }
            const TWriteResult result = WriteDataFile(target, block, TSaveMode::CreateNew);
            if (result.Status == TWriteStatus::Exists) {
                ++number;
                continue;
            }
            if (!result.Ok()) {
                write.Error = target.string() + ": " + result.Message;
                return write;
            }
            write.Written.push_back(target);
            ++number;
            break;
        }
    }
    return write;
}

} // namespace zirko

// The program's side of the logger conversation as a state machine fed bytes, time and commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zirko {

// Sizes and limits of the logger's wire protocol.
inline constexpr size_t kLoggerConfigBytes = 264; // one configuration record
inline constexpr size_t kLoggerBlockBytes = 264;  // one download block, a check byte follows
inline constexpr size_t kLoggerFirmwareBytes = 26;
inline constexpr size_t kLoggerMaxImageBytes = 50000001; // largest memory image kept
inline constexpr int64_t kLoggerReadTimeoutMs = 100;     // a read with no byte in this time fails
// A logger that says nothing this long after a command, or in the middle of its firmware text,
// is not going to answer.
inline constexpr int64_t kLoggerReplyTimeoutMs = 2000;
// Erased memory reads as 0xFF. A run of this many ends the download: a sample ending in 0xFF,
// a marker and a header of 0xFF bytes are one byte shorter, so no recorded flight can form it.
inline constexpr size_t kLoggerEndRunBytes = 4 + 14 + 1;
// Of the run that ended the download, the image keeps this many bytes: the closing marker and
// one byte more, as the splitter expects. A download of no more bytes than these holds no data.
inline constexpr size_t kLoggerEndRunKept = 5;
inline constexpr int kLoggerMaxBadBlocks = 10; // the 11th bad block in a row ends it
// The memory of a logger whose firmware does not name it; also what is assumed before the
// firmware has been read.
inline constexpr int64_t kLoggerSmallMemory = 540672;
inline constexpr int64_t kLoggerLargeMemory = 9000000;

// Command and reply letters.
inline constexpr uint8_t kLoggerHello = '*';
inline constexpr uint8_t kLoggerFirmware = 'F';
inline constexpr uint8_t kLoggerReadConfig = 'R';
inline constexpr uint8_t kLoggerWriteConfig = 'W';
inline constexpr uint8_t kLoggerErase = 'E';
inline constexpr uint8_t kLoggerDownload = 'D';
inline constexpr uint8_t kLoggerBlockOk = 'O';
inline constexpr uint8_t kLoggerBlockBad = 'X';

// Failure and status texts the user sees.
inline constexpr const char* kMsgNotConnected = "Not connected.";
inline constexpr const char* kMsgFileNotLoaded = "File not loaded.";
inline constexpr const char* kMsgNoResponse = "Communication error, no response from device";
inline constexpr const char* kMsgReadCrc = "Reading failed, CRC error.";
inline constexpr const char* kMsgVerifyCrc = "Config file reading failed, CRC error.";
inline constexpr const char* kMsgVerifyFailed = "Verifying config file failed.";
inline constexpr const char* kMsgBadCrcTooOften =
    "Communication error, bad CRC more then 10 times.";
inline constexpr const char* kMsgCommunication = "Communication error";
inline constexpr const char* kMsgDataReadingStarted = "Data reading started.";
inline constexpr const char* kMsgDisconnected = "Disconnected.";

// Exclusive-or of all bytes: the check byte of a configuration record or a download block.
uint8_t LoggerCheckByte(std::span<const uint8_t> bytes);

// 9000000 when "ZIRKO" stands anywhere in the firmware bytes, otherwise 540672.
int64_t MemorySizeFromFirmware(std::span<const uint8_t> firmware);

// How a connection came to its end.
enum class TConnectionEnd {
    Requested, // the user disconnected
    Closing,   // the device window is closing
    Failed,    // a failure ended it; the port is closed before anything else is shown
};

// What happened on the line, in the terms of the logger and its conversation.
enum class TProtocolEventKind {
    Waiting,          // "*" went out: the port is open, the logger not heard yet
    WaitingActivity,  // Number: bytes heard while waiting for the logger's "*"
    Connected,        // the logger answered the handshake
    Status,           // Text: what the logger is doing or has done
    Failure,          // Text: what went wrong, for the user to acknowledge
    Busy,             // Flag: a long operation of the logger began (true) or ended (false)
    Firmware,         // Bytes: the identification as received; Text: it up to its first NUL;
                      // Number: MemorySize
    Configuration,    // Bytes: the configuration record (ConfigImage) after a read or a write;
                      // Flag: it passed every check and may be edited
    DownloadStarted,  // Text: the logger began sending its memory
    Progress,         // Number: bytes of the memory received so far; Flag: the download is over
                      // and Number counts the bytes of its data
    DownloadFinished, // Bytes: every byte accepted (the raw backup keeps them all);
                      // Number: LastDataIndex, the last byte of the image to split;
                      // UsedBytes: UsedBytes; DataBytes: the count of the closing Progress.
                      // The caller splits and saves.
    CommandFinished,  // Text: the command letter whose reply was handled; Flag: the connection
                      // goes on, so the next command may be given
    Disconnected,     // Ending: why; Text: "Disconnected." unless the window is closing. The
                      // driver closes the port.
};

struct TProtocolEvent {
    TProtocolEventKind Kind = TProtocolEventKind::Status;
    std::string Text;
    int64_t Number = 0;
    int64_t UsedBytes = 0;
    int64_t DataBytes = 0;
    bool Flag = false;
    TConnectionEnd Ending = TConnectionEnd::Requested;
    std::vector<uint8_t> Bytes;
};

// The dots that show bytes arriving before the handshake: one per byte, starting again past 101.
std::string WaitingDots(int64_t bytesHeard);

// What the machine is doing with the bytes that arrive.
//
//   phase            | what moves it on                          | next phase
//   -----------------+-------------------------------------------+--------------------------------
//   Closed           | Start                                     | WaitingForDevice
//   WaitingForDevice | the logger's "*" (F is sent)              | Idle
//   Idle             | the reply letter of the pending command:  |
//                    |   F / R / W (its read-back R) / E / D     | Firmware / ConfigRead /
//                    |                                           | ConfigVerify / Erasing /
//                    Download
//   Firmware         | 26 bytes (R is sent), or silence          | Idle, or Closed
//   ConfigRead       | 265 bytes, or silence                     | Idle, or Closed
//   ConfigVerify     | 265 bytes: equal, different or damaged    | Idle, or Closed
//   Erasing          | one byte: "E" or another                  | Idle
//   Download         | a block and its check byte ("O"/"X" sent) | BlockEcho
//                    | the erased end, or silence inside it      | Idle (DownloadFinished)
//   BlockEcho        | the echo of "O" or "X"                    | Download
//   any but Closed   | a wrong echo, 11 bad blocks, silence      | Closed (Failure)
//   any but Closed   | Disconnect, Close                         | Closed
enum class TProtocolPhase {
    Closed,           // no port; every command answers "Not connected."
    WaitingForDevice, // "*" sent, counting the bytes heard until the device's "*"
    Idle,             // connected; bytes are compared with the pending command's letter
    Firmware,         // collecting the 26 firmware bytes (reply time-out)
    ConfigRead,       // collecting 264 + 1 configuration bytes (100 ms read time-out)
    ConfigVerify,     // the same after a write
    Erasing,          // waiting for the second "E" (the erase time-out, when set)
    Download,         // collecting blocks (100 ms read time-out)
    BlockEcho,        // waiting for the echo of "O" or "X" (100 ms read time-out)
};

// The program's side of the conversation. Nothing here blocks or touches a port: the driver
// hands in what arrived and the time, sends TakeOutput() in order, arms a timer for
// NextDeadline() and calls OnTime() when it fires, and passes TakeEvents() on in order.
class TLoggerProtocol {
public:
    TLoggerProtocol();

    // The port was opened: "*" goes out and the machine waits for the logger.
    void Start(int64_t nowMs);
    // Bytes that arrived, in order. `nowMs` is when they were read.
    void OnBytes(std::span<const uint8_t> bytes, int64_t nowMs);
    void OnBytes(std::string_view bytes, int64_t nowMs);
    // Time passed without bytes: read time-outs fire here.
    void OnTime(int64_t nowMs);

    // The window's buttons. Each fails with "Not connected." while the port is closed.
    void ReadData(int64_t nowMs);
    // The caller has already asked "Erase memory?" and got Yes.
    void EraseMemory(int64_t nowMs);
    // "W", the 264 bytes of `configImage` (which becomes ConfigImage) and "R" for the read-back.
    // Refused with "File not loaded." before a configuration was read.
    void UploadConfig(std::span<const uint8_t> configImage, int64_t nowMs);
    // "R": read the configuration (also run by itself after the firmware).
    void RequestConfig(int64_t nowMs);
    // The Disconnect button: the pending operation ends as when the loop is left (a download
    // keeps what it has), then the connection ends.
    void Disconnect(int64_t nowMs);
    // The window closing: as Disconnect.
    void Close(int64_t nowMs);

    // Bytes to send, in wire order, since the last call.
    std::vector<uint8_t> TakeOutput();
    // Events since the last call, in order.
    std::vector<TProtocolEvent> TakeEvents();
    // When OnTime must be called next if no byte arrives before, or nothing when no time-out
    // is running.
    std::optional<int64_t> NextDeadline() const;

    // The largest image a download keeps; accepting stops there.
    void SetMaxImageBytes(size_t bytes) { MaxImage = bytes; }
    size_t MaxImageBytes() const { return MaxImage; }
    // How long an erase may take from its command to the second "E"; 0 waits for ever (the
    // window has a Disconnect button, zirko-cli has not).
    void SetEraseTimeout(int64_t milliseconds) { EraseTimeoutMs = milliseconds; }

    TProtocolPhase Phase() const { return State; }
    bool PortOpen() const { return State != TProtocolPhase::Closed; }
    // "F", "R", "W", "E", "D", or empty when idle.
    const std::string& PendingCommand() const { return Pending; }
    bool StopRequested() const { return Stopping; }
    bool DeviceConnected() const { return Connected; }
    bool ConfigLoaded() const { return Loaded; }
    int64_t UsedBytes() const { return Used; }
    int64_t LastDataIndex() const { return LastIndex; }
    int64_t MemorySize() const { return Memory; }
    // 264 bytes, as last read or uploaded.
    const std::vector<uint8_t>& ConfigImage() const { return Config; }
    // 264 bytes, as read back after a write.
    const std::vector<uint8_t>& VerifyImage() const { return Verify; }
    // Up to 26 bytes as received.
    const std::vector<uint8_t>& FirmwareBytes() const { return Firmware; }

private:
    void Send(uint8_t byte);
    void Emit(TProtocolEventKind kind, std::string text = {});
    void EmitNumber(TProtocolEventKind kind, int64_t number);
    void EmitFlag(TProtocolEventKind kind, bool flag);
    bool RefuseUnlessOpen();
    void HandleByte(uint8_t byte, int64_t nowMs);
    void HandleIdle(uint8_t byte, int64_t nowMs);
    void HandleConfigByte(uint8_t byte);
    void HandleDownloadByte(uint8_t byte, int64_t nowMs);
    void HandleBlockEcho(uint8_t byte, int64_t nowMs);
    void FinishFirmware(int64_t nowMs);
    // Why a configuration reply failed (empty: it did not): no answer, too few bytes or a
    // wrong check byte.
    std::string ConfigReplyFailure(bool timedOut, const char* checkFailed) const;
    void FinishConfigRead(bool timedOut);
    void FinishConfigVerify(bool timedOut);
    void EmitConfiguration(bool usable);
    void FinishDownload(bool endOfData);
    // A command got no answer in time: the connection ends with "no response".
    void FailSilentReply();
    void FailDownload(const std::string& text);
    void FinishCommand(const std::string& letter);
    void EndPending(int64_t nowMs);
    void EndConnection(TConnectionEnd ending);

    TProtocolPhase State = TProtocolPhase::Closed;
    std::string Pending;
    bool Stopping = false;
    bool Connected = false;
    bool Loaded = false;
    int64_t Used = 0;
    int64_t LastIndex = 0;
    int64_t Memory = 0;
    std::vector<uint8_t> Config;
    std::vector<uint8_t> Verify;
    std::vector<uint8_t> Firmware;
    int64_t BytesHeard = 0; // before the handshake
    size_t MaxImage = kLoggerMaxImageBytes;
    int64_t EraseTimeoutMs = 0;

    std::vector<uint8_t> Output;
    std::vector<TProtocolEvent> Events;
    int64_t LastByteMs = 0;
    // Configuration transfer.
    size_t ConfigCount = 0;
    uint8_t ConfigXor = 0;
    uint8_t ConfigLastByte = 0;
    std::vector<uint8_t> ConfigIncoming;
    // Download.
    std::vector<uint8_t> DownloadBuffer;
    std::vector<uint8_t> Block;
    size_t BlockPosition = 0;
    uint8_t BlockXor = 0;
    int BadBlocks = 0;
    // The run of 0xFF bytes up to the last byte received, and up to the last accepted one.
    size_t ErasedRun = 0;
    size_t ErasedRunAtAccept = 0;
    int64_t EraseStartMs = 0;
    uint8_t ExpectedEcho = 0;
};

} // namespace zirko

// The program's side of the logger conversation as a state machine fed bytes, time and commands.
#include "core/device/LoggerProtocol.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zirko {

namespace {

std::string OnlyBytesReadText(size_t count)
{
    return "Reading failed, only " + std::to_string(count) + " bytes read.";
}

} // namespace

std::string WaitingDots(int64_t bytesHeard)
{
    // The dots only show that something arrives; they start again past 101.
    return bytesHeard <= 0 ? std::string()
                           : std::string(static_cast<size_t>((bytesHeard - 1) % 101 + 1), '.');
}

uint8_t LoggerCheckByte(std::span<const uint8_t> bytes)
{
    uint8_t check = 0;
    for (uint8_t byte : bytes)
        check ^= byte;
    return check;
}

int64_t MemorySizeFromFirmware(std::span<const uint8_t> firmware)
{
    static constexpr std::string_view kLargeMemoryMark = "ZIRKO";
    const std::string_view text(reinterpret_cast<const char*>(firmware.data()), firmware.size());
    return text.find(kLargeMemoryMark) != std::string_view::npos ? kLoggerLargeMemory
                                                                 : kLoggerSmallMemory;
}

TLoggerProtocol::TLoggerProtocol()
    : Config(kLoggerConfigBytes, 0), Verify(kLoggerConfigBytes, 0),
      ConfigIncoming(kLoggerConfigBytes, 0), Block(kLoggerBlockBytes, 0)
{
}

void TLoggerProtocol::Send(uint8_t byte)
{
    Output.push_back(byte);
}

void TLoggerProtocol::Emit(TProtocolEventKind kind, std::string text)
{
    TProtocolEvent event;
    event.Kind = kind;
    event.Text = std::move(text);
    Events.push_back(std::move(event));
}

void TLoggerProtocol::EmitNumber(TProtocolEventKind kind, int64_t number)
{
    TProtocolEvent event;
    event.Kind = kind;
    event.Number = number;
    Events.push_back(std::move(event));
}

void TLoggerProtocol::EmitFlag(TProtocolEventKind kind, bool flag)
{
    TProtocolEvent event;
    event.Kind = kind;
    event.Flag = flag;
    Events.push_back(std::move(event));
}

std::vector<uint8_t> TLoggerProtocol::TakeOutput()
{
    return std::exchange(Output, {});
}

std::vector<TProtocolEvent> TLoggerProtocol::TakeEvents()
{
    return std::exchange(Events, {});
}

std::optional<int64_t> TLoggerProtocol::NextDeadline() const
{
    const std::optional<int64_t> eraseDeadline =
        EraseTimeoutMs > 0 ? std::optional<int64_t>(EraseStartMs + EraseTimeoutMs) : std::nullopt;
    switch (State) {
    case TProtocolPhase::ConfigRead:
    case TProtocolPhase::ConfigVerify:
    case TProtocolPhase::Download:
    case TProtocolPhase::BlockEcho:
        return LastByteMs + kLoggerReadTimeoutMs;
    case TProtocolPhase::Idle:
        if (Pending.empty())
            return std::nullopt;
        if (Pending[0] == kLoggerErase)
            return eraseDeadline;
        return LastByteMs + kLoggerReplyTimeoutMs;
    case TProtocolPhase::Firmware:
        return LastByteMs + kLoggerReplyTimeoutMs;
    case TProtocolPhase::Erasing:
        return eraseDeadline;
    default:
        return std::nullopt;
    }
}

void TLoggerProtocol::Start(int64_t nowMs)
{
    if (State != TProtocolPhase::Closed)
        return;
    State = TProtocolPhase::WaitingForDevice;
    Stopping = false;
    Connected = false;
    Pending.clear();
    BytesHeard = 0;
    LastByteMs = nowMs;
    Send(kLoggerHello);
    Emit(TProtocolEventKind::Waiting);
}

bool TLoggerProtocol::RefuseUnlessOpen()
{
    if (State == TProtocolPhase::Closed) {
        Emit(TProtocolEventKind::Failure, kMsgNotConnected);
        return true;
    }
    // A command in the middle of a transfer would be read by the device as data, and one given
    // before the reply to the last would be taken for that reply: both are left unsent.
    return (State != TProtocolPhase::WaitingForDevice && State != TProtocolPhase::Idle) ||
           !Pending.empty();
}

void TLoggerProtocol::ReadData(int64_t nowMs)
{
    if (RefuseUnlessOpen())
        return;
    Pending.assign(1, 'D');
    LastByteMs = nowMs;
    EmitNumber(TProtocolEventKind::Progress, 0);
    Send(kLoggerDownload);
}

void TLoggerProtocol::EraseMemory(int64_t nowMs)
{
    if (RefuseUnlessOpen())
        return;
    Send(kLoggerErase);
    Pending.assign(1, 'E');
    EraseStartMs = nowMs;
}

void TLoggerProtocol::RequestConfig(int64_t nowMs)
{
    if (RefuseUnlessOpen())
        return;
    Pending.assign(1, 'R');
    LastByteMs = nowMs;
    Send(kLoggerReadConfig);
}

void TLoggerProtocol::UploadConfig(std::span<const uint8_t> configImage, int64_t nowMs)
{
    if (RefuseUnlessOpen())
        return;
    if (!Loaded) {
        Emit(TProtocolEventKind::Failure, kMsgFileNotLoaded);
        return;
    }
    const size_t count = std::min(configImage.size(), kLoggerConfigBytes);
    std::copy_n(configImage.begin(), count, Config.begin());
    Pending.assign(1, 'W');
    LastByteMs = nowMs;
    Send(kLoggerWriteConfig);
    Emit(TProtocolEventKind::Status, "Config file writing started.");
    for (size_t i = 0; i < count; ++i)
        Send(Config[i]);
    if (count != kLoggerConfigBytes)
        Emit(TProtocolEventKind::Failure, "Only " + std::to_string(count) + " bytes written.");
    Emit(TProtocolEventKind::Status, "Config file writing finished.");
    Emit(TProtocolEventKind::Status, "Verifying config file.");
    Send(kLoggerReadConfig);
}

void TLoggerProtocol::OnBytes(std::string_view bytes, int64_t nowMs)
{
    OnBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), nowMs);
}

void TLoggerProtocol::OnBytes(std::span<const uint8_t> bytes, int64_t nowMs)
{
    // Bytes handed in were waiting in the receive queue: they count as in time even when the
    // driver's timer ran late, so a time-out only fires from OnTime.
    for (uint8_t byte : bytes) {
        if (State == TProtocolPhase::Closed)
            return;
        LastByteMs = nowMs;
        HandleByte(byte, nowMs);
    }
}

void TLoggerProtocol::OnTime(int64_t nowMs)
{
    const auto deadline = NextDeadline();
    if (!deadline || nowMs < *deadline)
        return;
    switch (State) {
    case TProtocolPhase::ConfigRead:
        FinishConfigRead(true);
        break;
    case TProtocolPhase::ConfigVerify:
        FinishConfigVerify(true);
        break;
    case TProtocolPhase::Download:
        // A logger that falls silent inside erased memory has said all it holds.
        if (ErasedRun >= kLoggerEndRunKept)
            FinishDownload(true);
        else
            FailDownload(kMsgNoResponse);
        break;
    case TProtocolPhase::BlockEcho:
        FailDownload(kMsgCommunication);
        break;
    case TProtocolPhase::Idle:
    case TProtocolPhase::Firmware:
    case TProtocolPhase::Erasing:
        FailSilentReply();
        break;
    default:
        break;
    }
}

void TLoggerProtocol::FailSilentReply()
{
    const std::string letter = Pending;
    if (State == TProtocolPhase::Firmware || State == TProtocolPhase::Erasing)
        EmitFlag(TProtocolEventKind::Busy, false);
    State = TProtocolPhase::Idle;
    Emit(TProtocolEventKind::Failure, kMsgNoResponse);
    FinishCommand(letter);
    EndConnection(TConnectionEnd::Failed);
}

void TLoggerProtocol::HandleByte(uint8_t byte, int64_t nowMs)
{
    switch (State) {
    case TProtocolPhase::WaitingForDevice:
    case TProtocolPhase::Idle:
        if (!Connected)
            EmitNumber(TProtocolEventKind::WaitingActivity, ++BytesHeard);
        HandleIdle(byte, nowMs);
        break;
    case TProtocolPhase::Firmware:
        Firmware.push_back(byte);
        if (Firmware.size() >= kLoggerFirmwareBytes)
            FinishFirmware(nowMs);
        break;
    case TProtocolPhase::ConfigRead:
    case TProtocolPhase::ConfigVerify:
        HandleConfigByte(byte);
        break;
    case TProtocolPhase::Erasing:
        if (byte == kLoggerErase) {
            Emit(TProtocolEventKind::Status, "Erasing finished.");
        } else {
            Emit(TProtocolEventKind::Status,
                 std::string("Command:E expected, but ") + static_cast<char>(byte) + " found");
        }
        EmitFlag(TProtocolEventKind::Busy, false);
        State = TProtocolPhase::Idle;
        FinishCommand("E");
        break;
    case TProtocolPhase::Download:
        HandleDownloadByte(byte, nowMs);
        break;
    case TProtocolPhase::BlockEcho:
        HandleBlockEcho(byte, nowMs);
        break;
    case TProtocolPhase::Closed:
        break;
    }
}

void TLoggerProtocol::HandleIdle(uint8_t byte, int64_t)
{
    if (byte == kLoggerHello) {
        if (Connected)
            return;
        Send(kLoggerHello);
        Connected = true;
        State = TProtocolPhase::Idle;
        Emit(TProtocolEventKind::Status, "Connected to Zirko");
        BytesHeard = 0;
        Emit(TProtocolEventKind::Connected);
        Pending.assign(1, 'F');
        Send(kLoggerFirmware);
        EmitNumber(TProtocolEventKind::Progress, 0);
        return;
    }
    if (Pending.size() != 1)
        return;
    const uint8_t pending = static_cast<uint8_t>(Pending[0]);
    if (byte == kLoggerFirmware && pending == kLoggerFirmware) {
        EmitFlag(TProtocolEventKind::Busy, true);
        Firmware.clear();
        State = TProtocolPhase::Firmware;
    } else if (byte == kLoggerReadConfig &&
               (pending == kLoggerReadConfig || pending == kLoggerWriteConfig)) {
        ConfigCount = 0;
        ConfigXor = 0;
        ConfigLastByte = 0;
        State = pending == kLoggerReadConfig ? TProtocolPhase::ConfigRead
                                             : TProtocolPhase::ConfigVerify;
    } else if (byte == kLoggerErase && pending == kLoggerErase) {
        Emit(TProtocolEventKind::Status, "Erasing started, please wait.");
        EmitFlag(TProtocolEventKind::Busy, true);
        State = TProtocolPhase::Erasing;
    } else if (byte == kLoggerDownload && pending == kLoggerDownload) {
        EmitFlag(TProtocolEventKind::Busy, true);
        Emit(TProtocolEventKind::DownloadStarted, kMsgDataReadingStarted);
        LastIndex = 0;
        DownloadBuffer.clear();
        BlockPosition = 0;
        BlockXor = 0;
        BadBlocks = 0;
        ErasedRun = 0;
        ErasedRunAtAccept = 0;
        State = TProtocolPhase::Download;
    }
}

void TLoggerProtocol::FinishFirmware(int64_t nowMs)
{
    Memory = MemorySizeFromFirmware(Firmware);
    TProtocolEvent firmware;
    firmware.Kind = TProtocolEventKind::Firmware;
    // The identification is a C string: a NUL ends the visible text.
    firmware.Text.assign(Firmware.begin(), std::find(Firmware.begin(), Firmware.end(), uint8_t{0}));
    firmware.Number = Memory;
    firmware.Bytes = Firmware;
    Events.push_back(std::move(firmware));
    EmitFlag(TProtocolEventKind::Busy, false);
    Emit(TProtocolEventKind::Status, "Reading firmware finished.");
    State = TProtocolPhase::Idle;
    Pending.clear();
    TProtocolEvent finished;
    finished.Kind = TProtocolEventKind::CommandFinished;
    finished.Text = "F";
    // The configuration is asked for next: the buttons wait for its reply.
    finished.Flag = false;
    Events.push_back(std::move(finished));
    if (!Stopping)
        RequestConfig(nowMs);
}

void TLoggerProtocol::HandleConfigByte(uint8_t byte)
{
    ConfigLastByte = byte;
    if (ConfigCount < kLoggerConfigBytes) {
        ConfigIncoming[ConfigCount] = byte;
        ConfigXor ^= byte;
        ++ConfigCount;
        return;
    }
    ++ConfigCount; // the check byte
    if (State == TProtocolPhase::ConfigRead)
        FinishConfigRead(false);
    else
        FinishConfigVerify(false);
}

std::string TLoggerProtocol::ConfigReplyFailure(bool timedOut, const char* checkFailed) const
{
    if (timedOut)
        return kMsgNoResponse;
    if (ConfigCount <= kLoggerConfigBytes)
        return OnlyBytesReadText(ConfigCount);
    if (ConfigLastByte != ConfigXor)
        return checkFailed;
    return {};
}

void TLoggerProtocol::FinishConfigRead(bool timedOut)
{
    State = TProtocolPhase::Idle;
    const std::string failure = ConfigReplyFailure(timedOut, kMsgReadCrc);
    if (failure.empty()) {
        // Only a record that passed its check replaces the one the controls edit, so a garbled
        // read can never be uploaded back to the device.
        Config = ConfigIncoming;
        Loaded = true;
    } else {
        Emit(TProtocolEventKind::Failure, failure);
    }
    EmitConfiguration(failure.empty());
    Emit(TProtocolEventKind::Status, "Config file reading finished.");
    FinishCommand("R");
    if (timedOut)
        EndConnection(TConnectionEnd::Failed);
}

void TLoggerProtocol::FinishConfigVerify(bool timedOut)
{
    State = TProtocolPhase::Idle;
    const std::string failure = ConfigReplyFailure(timedOut, kMsgVerifyCrc);
    if (failure.empty()) {
        Verify = ConfigIncoming;
        Loaded = true;
        if (Verify != Config)
            Emit(TProtocolEventKind::Failure, kMsgVerifyFailed);
        Emit(TProtocolEventKind::Status, "Config file writing finished.");
    } else {
        std::copy_n(ConfigIncoming.begin(), std::min(ConfigCount, kLoggerConfigBytes),
                    Verify.begin());
        Emit(TProtocolEventKind::Failure, failure);
    }
    EmitConfiguration(failure.empty() && Verify == Config);
    FinishCommand("W");
    if (!failure.empty())
        EndConnection(TConnectionEnd::Failed);
}

void TLoggerProtocol::EmitConfiguration(bool usable)
{
    TProtocolEvent configuration;
    configuration.Kind = TProtocolEventKind::Configuration;
    configuration.Bytes = Config;
    configuration.Flag = usable;
    Events.push_back(std::move(configuration));
}

void TLoggerProtocol::HandleDownloadByte(uint8_t byte, int64_t nowMs)
{
    if (BlockPosition < kLoggerBlockBytes) {
        Block[BlockPosition] = byte;
        BlockXor ^= byte;
        ErasedRun = byte == 0xFF ? ErasedRun + 1 : 0;
        ++BlockPosition;
        if (ErasedRun >= kLoggerEndRunBytes)
            FinishDownload(true);
        return;
    }
    if (byte == BlockXor) {
        const size_t room = MaxImage - std::min(MaxImage, DownloadBuffer.size());
        const size_t count = std::min(kLoggerBlockBytes, room);
        DownloadBuffer.insert(DownloadBuffer.end(), Block.begin(), Block.begin() + count);
        ErasedRunAtAccept = ErasedRun;
        BadBlocks = 0;
        ExpectedEcho = kLoggerBlockOk;
    } else {
        if (++BadBlocks > kLoggerMaxBadBlocks) {
            FailDownload(kMsgBadCrcTooOften);
            return;
        }
        // The run of 0xFF goes on from the last accepted byte when the block comes again.
        ErasedRun = ErasedRunAtAccept;
        ExpectedEcho = kLoggerBlockBad;
    }
    BlockPosition = 0;
    BlockXor = 0;
    Send(ExpectedEcho);
    State = TProtocolPhase::BlockEcho;
    (void)nowMs;
}

void TLoggerProtocol::HandleBlockEcho(uint8_t byte, int64_t)
{
    if (byte != ExpectedEcho) {
        FailDownload(kMsgCommunication);
        return;
    }
    State = TProtocolPhase::Download;
    EmitNumber(TProtocolEventKind::Progress, static_cast<int64_t>(DownloadBuffer.size()));
    if (DownloadBuffer.size() >= MaxImage || Stopping)
        FinishDownload(false);
}

void TLoggerProtocol::FinishDownload(bool endOfData)
{
    size_t run = ErasedRunAtAccept;
    if (endOfData && BlockPosition > 0) {
        const size_t room = MaxImage - std::min(MaxImage, DownloadBuffer.size());
        const size_t count = std::min(BlockPosition, room);
        DownloadBuffer.insert(DownloadBuffer.end(), Block.begin(), Block.begin() + count);
        run = ErasedRun;
    }
    run = std::min(run, DownloadBuffer.size());
    State = TProtocolPhase::Idle;
    BlockPosition = 0;
    // The image ends a marker and one byte into the final run of erased bytes, wherever the
    // reading stopped; everything read still goes to the caller for the raw backup.
    auto accepted = static_cast<int64_t>(DownloadBuffer.size());
    if (run >= kLoggerEndRunKept)
        accepted -= static_cast<int64_t>(run - kLoggerEndRunKept);
    if (accepted > 0)
        LastIndex = accepted - 1;
    // The erased end alone is no data.
    const int64_t dataBytes =
        accepted <= static_cast<int64_t>(kLoggerEndRunKept) ? 0 : accepted - 1;
    TProtocolEvent count;
    count.Kind = TProtocolEventKind::Progress;
    count.Number = dataBytes;
    count.Flag = true;
    Events.push_back(std::move(count));
    Used = accepted > 0 ? accepted - 1 : 0;
    TProtocolEvent finished;
    finished.Kind = TProtocolEventKind::DownloadFinished;
    finished.Number = LastIndex;
    finished.UsedBytes = Used;
    finished.DataBytes = dataBytes;
    finished.Bytes = std::exchange(DownloadBuffer, {});
    Events.push_back(std::move(finished));
    EmitFlag(TProtocolEventKind::Busy, false);
    FinishCommand("D");
}

void TLoggerProtocol::FailDownload(const std::string& text)
{
    State = TProtocolPhase::Idle;
    BlockPosition = 0;
    DownloadBuffer = {};
    Emit(TProtocolEventKind::Failure, text);
    EmitFlag(TProtocolEventKind::Busy, false);
    FinishCommand("D");
    EndConnection(TConnectionEnd::Failed);
}

void TLoggerProtocol::FinishCommand(const std::string& letter)
{
    Pending.clear();
    TProtocolEvent finished;
    finished.Kind = TProtocolEventKind::CommandFinished;
    finished.Text = letter;
    finished.Flag = !Stopping;
    Events.push_back(std::move(finished));
}

void TLoggerProtocol::EndPending(int64_t nowMs)
{
    switch (State) {
    case TProtocolPhase::Firmware:
        FinishFirmware(nowMs);
        break;
    case TProtocolPhase::ConfigRead:
        FinishConfigRead(false);
        break;
    case TProtocolPhase::ConfigVerify:
        FinishConfigVerify(false);
        break;
    case TProtocolPhase::Erasing:
        EmitFlag(TProtocolEventKind::Busy, false);
        State = TProtocolPhase::Idle;
        FinishCommand("E");
        break;
    case TProtocolPhase::Download:
    case TProtocolPhase::BlockEcho:
        // Stopped between blocks: what was accepted is split and saved.
        FinishDownload(false);
        break;
    default:
        break;
    }
}

void TLoggerProtocol::Disconnect(int64_t nowMs)
{
    if (State == TProtocolPhase::Closed)
        return;
    Stopping = true;
    EndPending(nowMs);
    EndConnection(TConnectionEnd::Requested);
}

void TLoggerProtocol::Close(int64_t nowMs)
{
    if (State == TProtocolPhase::Closed)
        return;
    Stopping = true;
    EndPending(nowMs);
    EndConnection(TConnectionEnd::Closing);
}

void TLoggerProtocol::EndConnection(TConnectionEnd ending)
{
    if (State == TProtocolPhase::Closed)
        return;
    Stopping = true;
    State = TProtocolPhase::Closed;
    Pending.clear();
    Connected = false;
    TProtocolEvent ended;
    ended.Kind = TProtocolEventKind::Disconnected;
    ended.Ending = ending;
    if (ending != TConnectionEnd::Closing)
        ended.Text = kMsgDisconnected;
    Events.push_back(std::move(ended));
}

} // namespace zirko

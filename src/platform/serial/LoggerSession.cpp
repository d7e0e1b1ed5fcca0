#include "platform/serial/LoggerSession.h"

#include "core/device/LoggerProtocol.h"
#include "platform/serial/SerialPort.h"

#include <algorithm>
#include <utility>

namespace zirko {

namespace {

// The simulated logger behind a pseudo-terminal answers a block within microseconds.
constexpr qint64 kAwaitBytesMicroseconds = 1000;

QString Text(const std::string& bytes)
{
    // Device texts are single bytes; every byte keeps its own character.
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QByteArray Bytes(const std::vector<uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

} // namespace

TLoggerSession::TLoggerSession(QObject* parent)
    : QObject(parent), Machine(std::make_unique<TLoggerProtocol>())
{
    Clock.start();
    Deadline.setSingleShot(true);
    Deadline.setTimerType(Qt::PreciseTimer);
    connect(&Deadline, &QTimer::timeout, this, &TLoggerSession::OnDeadline);
}

TLoggerSession::~TLoggerSession()
{
    if (Link) {
        Link->disconnect(this);
        Link->Close();
    }
}

void TLoggerSession::SetLinkForNextConnect(std::unique_ptr<TLoggerLink> link)
{
    NextLink = std::move(link);
}

void TLoggerSession::SetEraseTimeout(qint64 milliseconds)
{
    Machine->SetEraseTimeout(milliseconds);
}

bool TLoggerSession::PortOpen() const
{
    return Machine->PortOpen();
}

bool TLoggerSession::DeviceConnected() const
{
    return Machine->DeviceConnected();
}

QString TLoggerSession::PendingCommand() const
{
    return Text(Machine->PendingCommand());
}

qint64 TLoggerSession::MemorySize() const
{
    return Machine->MemorySize();
}

bool TLoggerSession::ConfigLoaded() const
{
    return Machine->ConfigLoaded();
}

QByteArray TLoggerSession::ConfigImage() const
{
    return Bytes(Machine->ConfigImage());
}

void TLoggerSession::Connect()
{
    if (Machine->PortOpen())
        return;
    std::unique_ptr<TLoggerLink> link =
        NextLink ? std::move(NextLink) : CreateLoggerLink(Port, nullptr, SimulatorPacing);
    const TOpenResult opened = link->OpenPort(Port);
    if (!opened.Ok) {
        emit ConnectFailed(opened.Message);
        return;
    }
    Link = std::move(link);
    LinkWasLost = false;
    connect(Link.get(), &TLoggerLink::BytesArrived, this, &TLoggerSession::Pump);
    connect(Link.get(), &TLoggerLink::LinkLost, this, &TLoggerSession::OnLinkLost);
    // The machine is waiting for the logger before anyone hears of the open port.
    Machine->Start(Now());
    emit PortOpened();
    emit StatusText(opened.Message);
    Pump();
}

void TLoggerSession::Disconnect()
{
    if (!Machine->PortOpen()) {
        ClosePort();
        return;
    }
    Machine->Disconnect(Now());
    Pump();
}

void TLoggerSession::Close()
{
    if (!Machine->PortOpen()) {
        ClosePort();
        return;
    }
    Machine->Close(Now());
    Pump();
}

void TLoggerSession::ReadData()
{
    Machine->ReadData(Now());
    Pump();
}

void TLoggerSession::EraseMemory()
{
    Machine->EraseMemory(Now());
    Pump();
}

void TLoggerSession::UploadConfig(const QByteArray& configImage)
{
    const auto* data = reinterpret_cast<const uint8_t*>(configImage.constData());
    Machine->UploadConfig(std::span<const uint8_t>(data, static_cast<size_t>(configImage.size())),
                          Now());
    Pump();
}

void TLoggerSession::DownloadConfig()
{
    Machine->RequestConfig(Now());
    Pump();
}

void TLoggerSession::OnDeadline()
{
    Pump();
}

void TLoggerSession::OnLinkLost(const QString& message)
{
    // An unplugged logger answers nothing more: a failure like a read time-out, and whatever
    // was half downloaded is not saved.
    LinkWasLost = true;
    // The box's event loop must not run the download's read time-out meanwhile: a second box
    // would follow this one. The machine hears of the loss once the box is closed.
    Deadline.stop();
    const bool wasHandling = std::exchange(Handling, true);
    emit Failed(message);
    Handling = wasHandling;
    if (Machine->PortOpen())
        Machine->Disconnect(Now());
    Pump();
    ClosePort();
}

void TLoggerSession::Pump()
{
    if (Handling) {
        MoreToHandle = true;
        return;
    }
    Handling = true;
    do {
        MoreToHandle = false;
        if (Link && Link->IsOpen()) {
            const QByteArray in = Link->ReadAvailable();
            if (!in.isEmpty())
                Machine->OnBytes(std::string_view(in.constData(), static_cast<size_t>(in.size())),
                                 Now());
        }
        if (const auto due = Machine->NextDeadline(); due && *due <= Now())
            Machine->OnTime(Now());
        const std::vector<uint8_t> out = Machine->TakeOutput();
        if (!out.empty() && Link && Link->IsOpen()) {
            Link->Write(Bytes(out));
            if (Machine->Phase() == TProtocolPhase::BlockEcho)
                AnswerClock.start();
        }
        // Handlers of these signals may open modal boxes; bytes arriving meanwhile wait for the
        // next round of this loop.
        for (const TProtocolEvent& e : Machine->TakeEvents())
            Dispatch(e);
        // After a block was answered a fast logger's echo and next block follow within
        // microseconds: waiting for them here saves a sleep and a wake-up for every block. Bytes
        // that take longer (a paced or a real line) come through the event loop as usual.
        const TProtocolPhase phase = Machine->Phase();
        const qint64 waited = AnswerClock.isValid() ? AnswerClock.nsecsElapsed() / 1000 : 0;
        if ((phase == TProtocolPhase::Download || phase == TProtocolPhase::BlockEcho) &&
            AnswerClock.isValid() && waited < kAwaitBytesMicroseconds && Link && Link->IsOpen() &&
            Link->AwaitBytes(kAwaitBytesMicroseconds - waited))
            MoreToHandle = true;
    } while (MoreToHandle);
    if (const auto due = Machine->NextDeadline())
        Deadline.start(static_cast<int>(std::clamp<qint64>(*due - Now(), 0, 60000)));
    else
        Deadline.stop();
    Handling = false;
}

void TLoggerSession::Dispatch(const TProtocolEvent& e)
{
    switch (e.Kind) {
    case TProtocolEventKind::Waiting:
        break; // PortOpened said it already
    case TProtocolEventKind::WaitingActivity:
        emit WaitingActivity(e.Number);
        break;
    case TProtocolEventKind::Connected:
        emit Connected();
        break;
    case TProtocolEventKind::Status:
        emit StatusText(Text(e.Text));
        break;
    case TProtocolEventKind::Failure:
        emit Failed(Text(e.Text));
        break;
    case TProtocolEventKind::Busy:
        emit Busy(e.Flag);
        break;
    case TProtocolEventKind::Firmware:
        emit Firmware(Text(e.Text), e.Number, !e.Bytes.empty());
        break;
    case TProtocolEventKind::Configuration:
        emit Configuration(Bytes(e.Bytes), e.Flag);
        break;
    case TProtocolEventKind::DownloadStarted:
        emit DownloadStarted(Text(e.Text));
        break;
    case TProtocolEventKind::Progress:
        emit Progress(e.Number, e.Flag);
        break;
    case TProtocolEventKind::DownloadFinished:
        if (!LinkWasLost)
            emit DownloadFinished(e.Bytes, e.Number, e.UsedBytes, e.DataBytes);
        break;
    case TProtocolEventKind::CommandFinished:
        emit CommandFinished(Text(e.Text), e.Flag);
        break;
    case TProtocolEventKind::Disconnected:
        // After a failure nothing more goes to the logger, not even while its texts are shown.
        if (e.Ending == TConnectionEnd::Failed)
            ClosePort();
        emit Disconnected(e.Ending, Text(e.Text));
        ClosePort();
        break;
    }
}

void TLoggerSession::ClosePort()
{
    if (!Link)
        return;
    Link->disconnect(this);
    Link->Close();
    // This may run inside the link's own signal: it goes once control is back in the loop.
    Link.release()->deleteLater();
    emit ConnectionClosed();
}

} // namespace zirko

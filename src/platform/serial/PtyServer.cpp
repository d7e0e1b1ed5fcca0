#include "platform/serial/PtyServer.h"

#include <algorithm>
#include <cmath>

namespace zirko {

namespace {
// How often a server without a client looks whether one has opened the port.
constexpr int kClientPollMs = 10;
constexpr double kTimerGrainMs = 1;
} // namespace

TPtyServer::TCreateResult TPtyServer::Create(TDeviceEndpoint& device)
{
    auto created = TPseudoTerminal::Create();
    if (!created.Terminal)
        return {nullptr, created.Message};
    return {std::unique_ptr<TPtyServer>(new TPtyServer(std::move(created.Terminal), device)), {}};
}

TPtyServer::TPtyServer(std::unique_ptr<TPseudoTerminal> terminal, TDeviceEndpoint& device)
    : Terminal(std::move(terminal)), Device(device)
{
    Clock.start();
    ReadNotifier = std::make_unique<QSocketNotifier>(Terminal->MasterFd(), QSocketNotifier::Read);
    WriteNotifier = std::make_unique<QSocketNotifier>(Terminal->MasterFd(), QSocketNotifier::Write);
    WriteNotifier->setEnabled(false);
    connect(ReadNotifier.get(), &QSocketNotifier::activated, this, &TPtyServer::OnReadable);
    connect(WriteNotifier.get(), &QSocketNotifier::activated, this, &TPtyServer::OnWritable);
    ClientPoll.setInterval(kClientPollMs);
    connect(&ClientPoll, &QTimer::timeout, this, &TPtyServer::CheckClient);
    Deadline.setSingleShot(true);
    Deadline.setTimerType(Qt::PreciseTimer);
    connect(&Deadline, &QTimer::timeout, this, &TPtyServer::OnDeadline);
    WaitForClient();
}

TPtyServer::~TPtyServer()
{
    ReadNotifier.reset();
    WriteNotifier.reset();
}

void TPtyServer::WaitForClient()
{
    // Without a program on the slave end the master end reads as hung up, which would wake a
    // read notifier for ever: look now and then instead.
    ReadNotifier->setEnabled(false);
    WriteNotifier->setEnabled(false);
    Deadline.stop();
    Outgoing.clear();
    if (Powered) {
        Powered = false;
        Device.PowerDown();
        emit ClientDisconnected();
    }
    ClientPoll.start();
}

void TPtyServer::CheckClient()
{
    if (!Terminal->SlaveOpen())
        return;
    ClientPoll.stop();
    ReadNotifier->setEnabled(true);
}

void TPtyServer::OnReadable()
{
    for (;;) {
        const QByteArray bytes = Terminal->ReadAvailable();
        if (bytes.isEmpty()) {
            if (!Terminal->SlaveOpen())
                WaitForClient();
            return;
        }
        Received += bytes.size();
        // The logger is switched on once the program listens: what it says before the
        // program's port is set up and purged would be lost.
        if (!Powered) {
            Powered = true;
            Device.PowerUp(Now());
            emit ClientConnected();
        }
        Device.Receive(bytes, Now());
        Flush();
        // Everything said and nothing due: the device waits for the program.
        const bool waiting = Powered && Outgoing.isEmpty() && !Device.NextDeadline();
        if (!waiting || AnswerWaitMicroseconds <= 0 ||
            !Terminal->AwaitReadable(AnswerWaitMicroseconds))
            return;
    }
}

void TPtyServer::OnWritable()
{
    Flush();
}

void TPtyServer::OnDeadline()
{
    Flush();
}

void TPtyServer::Flush()
{
    if (!Powered)
        return;
    // Timers tick in whole milliseconds: bytes due within the next one go now, or every wait for
    // the end of a paced block would add up to a millisecond of idle wire.
    const double now = Now();
    Outgoing += Device.TakeOutput(now + kTimerGrainMs);
    while (!Outgoing.isEmpty()) {
        const qint64 n = Terminal->WriteSome(Outgoing.constData(), Outgoing.size());
        if (n < 0) {
            WaitForClient();
            return;
        }
        if (n == 0)
            break;
        Sent += n;
        Outgoing.remove(0, n);
    }
    WriteNotifier->setEnabled(!Outgoing.isEmpty());
    // Wake once the next byte is due within the grain, counted in exact times: with the wait
    // rounded up to the timer's whole milliseconds every byte goes between a grain early and on
    // time, so the end of a block is never late for the answer the logger then waits for.
    // Counting from the time the bytes were taken keeps the wait from rounding down to a wake-up
    // for every single byte.
    if (const auto due = Device.NextDeadline()) {
        const double wait = std::ceil(*due - kTimerGrainMs - now);
        Deadline.start(static_cast<int>(std::clamp(wait, 0.0, 60000.0)));
    } else {
        Deadline.stop();
    }
}

} // namespace zirko

#include "platform/serial/PseudoTerminal.h"

#include <QByteArray>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace zirko {

namespace {
// How long a wait keeps the processor before it sleeps: a fast peer answers within this.
constexpr qint64 kSpinMicroseconds = 20;
} // namespace

TPseudoTerminal::TCreateResult TPseudoTerminal::Create()
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master < 0)
        return {nullptr, QString("posix_openpt failed: %1").arg(std::strerror(errno))};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        const int error = errno;
        ::close(master);
        return {nullptr,
                QString("Cannot unlock the pseudo-terminal: %1").arg(std::strerror(error))};
    }
    char name[128] = {};
    if (::ptsname_r(master, name, sizeof name) != 0) {
        const int error = errno;
        ::close(master);
        return {nullptr, QString("ptsname failed: %1").arg(std::strerror(error))};
    }
    // Raw mode: no echo, no line editing, no translation of carriage returns or 0xFF bytes.
    termios tio{};
    if (::tcgetattr(master, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(master, TCSANOW, &tio);
    }
    return {
        std::unique_ptr<TPseudoTerminal>(new TPseudoTerminal(master, QString::fromLocal8Bit(name))),
        {}};
}

TPseudoTerminal::TPseudoTerminal(int master, QString slave)
    : Master(master), Slave(std::move(slave))
{
}

TPseudoTerminal::~TPseudoTerminal()
{
    CloseMaster();
}

void TPseudoTerminal::CloseMaster()
{
    if (Master >= 0)
        ::close(Master);
    Master = -1;
}

bool TPseudoTerminal::SlaveOpen() const
{
    if (Master < 0)
        return false;
    // Linux reports a hang-up on the master end while no program holds the slave end.
    pollfd p{Master, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return false;
    return (p.revents & POLLHUP) == 0;
}

bool AwaitReadableFd(int fd, qint64 microseconds)
{
    if (fd < 0)
        return false;
    timespec start{};
    ::clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 0) > 0)
            return true;
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const qint64 spent =
            (now.tv_sec - start.tv_sec) * 1000000 + (now.tv_nsec - start.tv_nsec) / 1000;
        if (spent >= microseconds)
            return false;
        // Past the first moments the answer is waited for asleep: a busy processor goes to
        // other work, and the scheduler wakes this one promptly when the byte comes.
        if (spent >= kSpinMicroseconds) {
            const qint64 left = microseconds - spent;
            const timespec wait{static_cast<time_t>(left / 1000000),
                                static_cast<long>(left % 1000000) * 1000};
            return ::ppoll(&p, 1, &wait, nullptr) > 0;
        }
    }
}

bool TPseudoTerminal::AwaitReadable(qint64 microseconds) const
{
    return AwaitReadableFd(Master, microseconds);
}

QByteArray TPseudoTerminal::ReadAvailable()
{
    QByteArray out;
    if (Master < 0)
        return out;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(Master, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EAGAIN: nothing more now; EIO: no slave holder.
        return out;
    }
}

qint64 TPseudoTerminal::WriteSome(const char* data, qint64 size)
{
    if (Master < 0)
        return -1;
    for (;;) {
        const ssize_t n = ::write(Master, data, static_cast<size_t>(size));
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return 0;
        return -1;
    }
}

bool TPseudoTerminal::Write(const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = WriteSome(bytes.constData() + done, bytes.size() - done);
        if (n < 0)
            return false;
        if (n == 0) {
            pollfd p{Master, POLLOUT, 0};
            ::poll(&p, 1, 100);
        }
        done += n;
    }
    return true;
}

} // namespace zirko

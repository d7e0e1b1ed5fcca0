// The pseudo-terminal server against a program that reads its slave end byte by byte.
#include "platform/serial/PtyServer.h"
#include "core/device/LoggerSimulator.h"
#include "platform/serial/SimulatorDevice.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace zirko;

// A byte may leave up to the timer's grain (1 ms) before the wire would have it there, never
// earlier: counted from the program's "D", the k-th byte back is due after k + 1 byte times (the
// "D" itself takes one to reach the logger).
TEST(PtyServer, APacedDeviceSendsNoByteAheadOfTheWire)
{
    constexpr double kByteMs = 1000.0 / 11520;
    constexpr double kGrainMs = 1;
    constexpr qsizetype kExpected = 1 + 264 + 1; // echo, block, check byte
    TSimulatorOptions options;
    options.Memory = GenerateMemoryImage(1, 3, 10);
    options.BytesPerSecond = 11520;
    TSimulatorDevice device(options);
    auto server = TPtyServer::Create(device);
    ASSERT_TRUE(server.Server) << server.Message.toStdString();
    const int fd = ::open(server.Server->DevicePath().toLocal8Bit().constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::cfmakeraw(&tio);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0);

    QByteArray heard;
    qsizetype wanted = 1;
    QElapsedTimer clock;
    std::vector<std::pair<double, qsizetype>> reads; // when, and bytes heard since "D" by then
    QEventLoop loop;
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [&] {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            heard.append(buffer, n);
        if (clock.isValid())
            reads.emplace_back(static_cast<double>(clock.nsecsElapsed()) / 1e6, heard.size());
        if (heard.size() >= wanted)
            loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);

    // The server's client poll finds the port open; the first byte switches the logger on.
    ASSERT_EQ(::write(fd, "*", 1), 1);
    loop.exec();
    ASSERT_EQ(heard, QByteArray("*"));

    heard.clear();
    wanted = kExpected;
    clock.start();
    ASSERT_EQ(::write(fd, "D", 1), 1);
    loop.exec();
    notifier.reset();
    ::close(fd);

    ASSERT_EQ(heard.size(), kExpected);
    EXPECT_EQ(heard.front(), 'D');
    EXPECT_EQ(heard.mid(1, 264),
              QByteArray(reinterpret_cast<const char*>(options.Memory.data()), 264));
    ASSERT_FALSE(reads.empty());
    for (const auto& [when, count] : reads)
        EXPECT_GE(when, static_cast<double>(count + 1) * kByteMs - kGrainMs)
            << count << " bytes at " << when << " ms";
}

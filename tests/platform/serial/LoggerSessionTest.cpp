// The logger session over the in-process simulator and over a real pseudo-terminal.
#include "platform/serial/LoggerSession.h"
#include "core/device/LoggerProtocol.h"
#include "core/device/LoggerSimulator.h"
#include "platform/serial/PseudoTerminal.h"
#include "platform/serial/PtyServer.h"
#include "platform/serial/SimulatorDevice.h"
#include "platform/serial/SimulatorLink.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace zirko;

namespace {

TSimulatorOptions Options(int flights)
{
    TSimulatorOptions options;
    options.Memory = GenerateMemoryImage(flights, 7, 60);
    options.EraseMs = 100;
    return options;
}

// Everything a download reads: the memory and the run of erased bytes that ends it. The image to
// split ends at the fifth of those.
QByteArray Expected(const TSimulatorOptions& options)
{
    QByteArray image(reinterpret_cast<const char*>(options.Memory.data()),
                     static_cast<qsizetype>(options.Memory.size()));
    return image + QByteArray(kLoggerEndRunBytes, '\xFF');
}

// Runs the handshake, firmware and configuration read; true once the session is idle.
bool ConnectAndWait(TLoggerSession& session)
{
    QSignalSpy finished(&session, &TLoggerSession::CommandFinished);
    session.Connect();
    return QTest::qWaitFor(
        [&] {
            for (const auto& args : finished)
                if (args.front().toString() == "R")
                    return true;
            return false;
        },
        5000);
}

// The downloads a session reports, each image copied while its signal is delivered.
class TDownloads {
public:
    explicit TDownloads(TLoggerSession& session)
        : Connection(
              QObject::connect(&session, &TLoggerSession::DownloadFinished, &session,
                               [this](std::span<const uint8_t> image, qint64 lastIndex, qint64) {
                                   Images.emplace_back(reinterpret_cast<const char*>(image.data()),
                                                       static_cast<qsizetype>(image.size()));
                                   LastIndexes.push_back(lastIndex);
                               }))
    {
    }
    ~TDownloads() { QObject::disconnect(Connection); }
    TDownloads(const TDownloads&) = delete;
    TDownloads& operator=(const TDownloads&) = delete;

    bool Wait(int milliseconds)
    {
        const size_t before = Images.size();
        return QTest::qWaitFor([&] { return Images.size() > before; }, milliseconds);
    }

    std::vector<QByteArray> Images;
    std::vector<qint64> LastIndexes;

private:
    QMetaObject::Connection Connection;
};

} // namespace

TEST(LoggerSession, RunsAWholeSessionWithTheBuiltInSimulator)
{
    const TSimulatorOptions options = Options(2);
    auto device = std::make_unique<TSimulatorDevice>(options);
    TLoggerSession session;
    session.SetPortName("Simulator");
    session.SetLinkForNextConnect(std::make_unique<TSimulatorLink>(std::move(device)));
    QSignalSpy connected(&session, &TLoggerSession::Connected);
    QSignalSpy disconnected(&session, &TLoggerSession::Disconnected);
    QSignalSpy statuses(&session, &TLoggerSession::StatusText);
    QSignalSpy firmware(&session, &TLoggerSession::Firmware);
    TDownloads downloads(session);
    QSignalSpy closed(&session, &TLoggerSession::ConnectionClosed);

    ASSERT_TRUE(ConnectAndWait(session));
    EXPECT_TRUE(session.DeviceConnected());
    EXPECT_TRUE(session.ConfigLoaded());
    EXPECT_EQ(session.MemorySize(), 9000000);
    EXPECT_EQ(statuses.front().front().toString(), "Waiting for Zirko at Simulator");
    ASSERT_FALSE(firmware.isEmpty());
    EXPECT_TRUE(firmware.back().front().toString().startsWith("ZIRKO"));
    EXPECT_EQ(connected.size(), 1);
    EXPECT_EQ(firmware.back()[1].toLongLong(), 9000000);

    session.ReadData();
    EXPECT_EQ(session.PendingCommand(), "D");
    ASSERT_TRUE(downloads.Wait(10000));
    EXPECT_EQ(downloads.Images.front(), Expected(options));
    EXPECT_EQ(downloads.LastIndexes.front(),
              static_cast<qint64>(options.Memory.size() + kLoggerEndRunKept) - 1);

    session.EraseMemory();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return statuses.back().front() == "Erasing finished."; }, 5000));
    session.Disconnect();
    EXPECT_EQ(closed.size(), 1);
    EXPECT_FALSE(session.PortOpen());
    ASSERT_EQ(disconnected.size(), 1);
    EXPECT_EQ(disconnected.back()[0].value<TConnectionEnd>(), TConnectionEnd::Requested);
    EXPECT_EQ(disconnected.back()[1].toString(), "Disconnected.");
}

TEST(LoggerSession, DownloadsThroughAPseudoTerminalAndReconnects)
{
    const TSimulatorOptions options = Options(3);
    TSimulatorDevice device(options);
    auto server = TPtyServer::Create(device);
    ASSERT_TRUE(server.Server) << server.Message.toStdString();
    TLoggerSession session;
    session.SetPortName(server.Server->DevicePath());
    for (int round = 0; round < 2; ++round) {
        TDownloads downloads(session);
        ASSERT_TRUE(ConnectAndWait(session)) << "round " << round;
        session.ReadData();
        ASSERT_TRUE(downloads.Wait(10000));
        EXPECT_EQ(downloads.Images.front(), Expected(options));
        session.Disconnect();
        EXPECT_FALSE(session.PortOpen());
        QTest::qWait(50);
    }
}

TEST(LoggerSession, ASilentDeviceFailsAfterTheReadTimeOut)
{
    auto created = TPseudoTerminal::Create();
    ASSERT_TRUE(created.Terminal);
    TPseudoTerminal& device = *created.Terminal;
    TLoggerSession session;
    session.SetPortName(device.SlavePath());
    QSignalSpy errors(&session, &TLoggerSession::Failed);
    QSignalSpy closed(&session, &TLoggerSession::ConnectionClosed);
    session.Connect();
    ASSERT_TRUE(session.PortOpen());

    // Played by hand: the handshake, 26 firmware bytes, then 10 of the 265 configuration bytes.
    QByteArray heard;
    auto hear = [&](char letter) {
        return QTest::qWaitFor([&] { return (heard += device.ReadAvailable()).contains(letter); },
                               3000);
    };
    ASSERT_TRUE(hear('*'));
    ASSERT_TRUE(device.Write("*"));
    ASSERT_TRUE(hear('F'));
    ASSERT_TRUE(device.Write("F" + QByteArray("plain logger").leftJustified(26, ' ')));
    ASSERT_TRUE(hear('R'));
    ASSERT_TRUE(device.Write("R" + QByteArray(10, 'c')));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(errors.wait(3000));
    const qint64 waited = clock.elapsed();
    EXPECT_EQ(errors.front().front().toString(), "Communication error, no response from device");
    EXPECT_GE(waited, 90);
    EXPECT_LT(waited, 400);
    EXPECT_EQ(session.MemorySize(), 540672);
}

TEST(LoggerSession, AnUnpluggedLoggerEndsTheDownloadWithoutSavingIt)
{
    TSimulatorOptions options = Options(3);
    options.BytesPerSecond = 11520; // slow enough to pull the plug mid-download
    TSimulatorDevice device(options);
    auto server = TPtyServer::Create(device);
    ASSERT_TRUE(server.Server);
    TLoggerSession session;
    session.SetPortName(server.Server->DevicePath());
    QSignalSpy errors(&session, &TLoggerSession::Failed);
    TDownloads downloads(session);
    QSignalSpy closed(&session, &TLoggerSession::ConnectionClosed);
    ASSERT_TRUE(ConnectAndWait(session));
    session.ReadData();
    QTest::qWait(300);
    server.Server.reset();
    ASSERT_TRUE(closed.wait(3000));
    ASSERT_FALSE(errors.isEmpty());
    EXPECT_EQ(errors.front().front().toString(), "Communication error");
    QTest::qWait(200);
    EXPECT_TRUE(downloads.Images.empty());
    EXPECT_FALSE(session.PortOpen());
}

TEST(LoggerSession, CommandsWithoutAPortAnswerNotConnected)
{
    TLoggerSession session;
    QSignalSpy errors(&session, &TLoggerSession::Failed);
    session.ReadData();
    session.EraseMemory();
    session.DownloadConfig();
    ASSERT_EQ(errors.size(), 3);
    for (const auto& e : errors)
        EXPECT_EQ(e.front().toString(), "Not connected.");

    session.SetPortName("/dev/zirko-none");
    QSignalSpy failed(&session, &TLoggerSession::ConnectFailed);
    session.Connect();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed.front().front().toString(),
              "CreateFile failed with error 2  ,/dev/zirko-none.\r\n");
    EXPECT_FALSE(session.PortOpen());
}

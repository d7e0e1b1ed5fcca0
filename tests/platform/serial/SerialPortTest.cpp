// The serial driver against a real pseudo-terminal pair.
#include "platform/serial/SerialPort.h"
#include "platform/serial/PseudoTerminal.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <limits>
#include <poll.h>
#include <termios.h>

using namespace zirko;

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

std::unique_ptr<TPseudoTerminal> NewTerminal()
{
    auto created = TPseudoTerminal::Create();
    EXPECT_TRUE(created.Terminal) << created.Message.toStdString();
    return std::move(created.Terminal);
}

} // namespace

TEST(SerialPort, OpensAPseudoTerminalAtTheLoggerLineSettings)
{
    auto pty = NewTerminal();
    ASSERT_TRUE(pty);
    TSerialPort port;
    const TOpenResult opened = port.OpenPort(pty->SlavePath());
    ASSERT_TRUE(opened.Ok) << opened.Message.toStdString();
    EXPECT_EQ(opened.Message, "Waiting for Zirko at " + pty->SlavePath());
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.Port().readBufferSize(), 600000);

    termios tio{};
    ASSERT_EQ(::tcgetattr(pty->MasterFd(), &tio), 0);
    EXPECT_EQ(::cfgetospeed(&tio), B115200);
    EXPECT_EQ(::cfgetispeed(&tio), B115200);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY), 0u);
    EXPECT_TRUE(pty->SlaveOpen());
}

TEST(SerialPort, PurgesWhatWaitedBeforeTheOpen)
{
    auto pty = NewTerminal();
    ASSERT_TRUE(pty);
    ASSERT_TRUE(pty->Write("stale"));
    TSerialPort port;
    ASSERT_TRUE(port.OpenPort(pty->SlavePath()).Ok);
    QTest::qWait(50);
    EXPECT_TRUE(port.ReadAvailable().isEmpty());
}

TEST(SerialPort, ReadsBytesInBothDirectionsWithoutWaiting)
{
    auto pty = NewTerminal();
    ASSERT_TRUE(pty);
    TSerialPort port;
    ASSERT_TRUE(port.OpenPort(pty->SlavePath()).Ok);
    QSignalSpy arrived(&port, &TLoggerLink::BytesArrived);

    EXPECT_FALSE(port.ReadByte().has_value()) << "nothing has arrived yet";
    // A read that waited would take that long every time; a busy machine only now and then, so
    // the quickest of a few rounds is what counts.
    qint64 quickest = std::numeric_limits<qint64>::max();
    for (int round = 0; round < 5; ++round) {
        ASSERT_TRUE(pty->Write(QByteArray("*F", 2)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return port.Port().bytesAvailable() >= 2; }, 5000));
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(port.ReadByte(), std::optional<unsigned char>('*'));
        EXPECT_EQ(port.ReadAvailable(), QByteArray("F"));
        EXPECT_FALSE(port.ReadByte().has_value());
        quickest = std::min(quickest, clock.elapsed());
    }
    EXPECT_FALSE(arrived.isEmpty());
    EXPECT_LT(quickest, 20) << "a waiting byte is handed out at once, an absent one too";

    // The logger waits for each answer: it is on the port when the call returns, without a turn
    // of the event loop.
    EXPECT_EQ(port.SendByte('R'), 1);
    pollfd readable{pty->MasterFd(), POLLIN, 0};
    ASSERT_EQ(::poll(&readable, 1, 2000), 1);
    EXPECT_EQ(pty->ReadAvailable(), QByteArray("R"));
}

TEST(SerialPort, AllByteValuesPassUntranslated)
{
    auto pty = NewTerminal();
    ASSERT_TRUE(pty);
    TSerialPort port;
    ASSERT_TRUE(port.OpenPort(pty->SlavePath()).Ok);
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(static_cast<char>(i));
    ASSERT_TRUE(pty->Write(all));
    QByteArray got;
    QTRY_VERIFY_WITH_TIMEOUT((got += port.ReadAvailable()).size() >= 256, 2000);
    EXPECT_EQ(got, all);
    EXPECT_EQ(port.Write(all), 256);
    QByteArray back;
    QTRY_VERIFY_WITH_TIMEOUT((back += pty->ReadAvailable()).size() >= 256, 2000);
    EXPECT_EQ(back, all);
}

TEST(SerialPort, SendByteWithThePortClosedSendsNothing)
{
    TSerialPort never;
    EXPECT_EQ(never.SendByte('*'), 0);
    EXPECT_FALSE(never.ReadByte().has_value());

    auto pty = NewTerminal();
    ASSERT_TRUE(pty);
    TSerialPort port;
    ASSERT_TRUE(port.OpenPort(pty->SlavePath()).Ok);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.SendByte('*'), 0);
    QTest::qWait(30);
    EXPECT_TRUE(pty->ReadAvailable().isEmpty());
}

TEST(SerialPort, OpenFailuresCarryTheSystemErrorAndTheDevicePath)
{
    TSerialPort port;
    const TOpenResult missing = port.OpenPort("/dev/zirko-no-such-port");
    EXPECT_FALSE(missing.Ok);
    EXPECT_EQ(missing.Message, "CreateFile failed with error 2  ,/dev/zirko-no-such-port.\r\n");
    EXPECT_FALSE(port.IsOpen());

    const TOpenResult unnamed = port.OpenPort("");
    EXPECT_FALSE(unnamed.Ok);
    EXPECT_EQ(port.PortName(), "COM1");
    EXPECT_TRUE(unnamed.Message.startsWith("CreateFile failed with error "));
    EXPECT_TRUE(unnamed.Message.endsWith("  ,/dev/COM1.\r\n")) << unnamed.Message.toStdString();

    // A bare name is looked for under /dev, and the text says so.
    const TOpenResult bare = port.OpenPort("ttyZIRKO9");
    EXPECT_EQ(bare.Message, "CreateFile failed with error 2  ,/dev/ttyZIRKO9.\r\n");
}

TEST(SerialPort, APortInUseIsRefused)
{
    auto pty = NewTerminal();
    ASSERT_TRUE(pty);
    TSerialPort first;
    ASSERT_TRUE(first.OpenPort(pty->SlavePath()).Ok);
    TSerialPort second;
    const TOpenResult busy = second.OpenPort(pty->SlavePath());
    EXPECT_FALSE(busy.Ok);
    EXPECT_EQ(busy.Message, CreateFileFailedText(EBUSY, pty->SlavePath()));
    EXPECT_TRUE(first.IsOpen()) << "the refused open leaves the holder alone";
}

TEST(SerialPort, AnUnpluggedDeviceIsACommunicationErrorNotAHang)
{
    auto pty = NewTerminal();
    ASSERT_TRUE(pty);
    TSerialPort port;
    ASSERT_TRUE(port.OpenPort(pty->SlavePath()).Ok);
    QSignalSpy lost(&port, &TLoggerLink::LinkLost);
    pty->CloseMaster();
    ASSERT_TRUE(lost.wait(3000));
    EXPECT_EQ(lost.front().front().toString(), "Communication error");
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.SendByte('*'), 0);
}

// A pseudo-terminal pair in raw mode: the master end for a simulated device, the slave for a port.
#pragma once

#include <QString>
#include <memory>

namespace zirko {

// Waits at most `microseconds` until `fd` has something to read (or hung up): a few
// microseconds awake for a fast peer, then asleep. True when it became readable.
bool AwaitReadableFd(int fd, qint64 microseconds);

class TPseudoTerminal {
public:
    struct TCreateResult {
        std::unique_ptr<TPseudoTerminal> Terminal;
        QString Message; // why it could not be created
    };
    // A new pair; the slave path (e.g. /dev/pts/3) opens as a serial port.
    static TCreateResult Create();

    ~TPseudoTerminal();
    TPseudoTerminal(const TPseudoTerminal&) = delete;
    TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

    int MasterFd() const { return Master; }
    const QString& SlavePath() const { return Slave; }
    // True while some program holds the slave end open.
    bool SlaveOpen() const;
    // Reads what the slave end wrote, without waiting; empty when nothing is there.
    QByteArray ReadAvailable();
    // Waits at most `microseconds` until the program sends something or lets go of its end;
    // true when it did.
    bool AwaitReadable(qint64 microseconds) const;
    // Writes all bytes to the slave end's input; false when the pair is gone.
    bool Write(const QByteArray& bytes);
    // Writes as much as the terminal takes now, and returns that count (-1 on failure).
    qint64 WriteSome(const char* data, qint64 size);
    // Closes the master end: a port on the slave sees its device unplugged.
    void CloseMaster();

private:
    TPseudoTerminal(int master, QString slave);
    int Master = -1;
    QString Slave;
};

} // namespace zirko

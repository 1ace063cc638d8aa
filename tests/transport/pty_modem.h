#pragma once
// Test doubles for the line: a pseudo-terminal pair whose slave side the port opens, and a
// scripted modem thread on the master side that answers command lines from a table.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

namespace corvane::testing {

class PtyPair {
  public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master() const { return master_; }
    QString slavePath() const { return slavePath_; }

    // Writes all of `data` to the master side (blocking until the pty takes it).
    void write(const QByteArray& data) const;
    // Closes the master side, as a modem that goes away: writes to the slave side then fail.
    void closeMaster();
    // Reads from the master side until `done(received)` or `timeoutMs` passed.
    QByteArray readUntil(const std::function<bool(const QByteArray&)>& done,
                         int timeoutMs = 10000) const;

  private:
    int master_ = -1;
    int slaveKeeper_ = -1;  // keeps the slave side from hanging up between opens
    QString slavePath_;
};

// Answers each CR-terminated command line with the reply of the first matching entry
// (compared without case); lines with no entry get no answer.
class ScriptedModem {
  public:
    explicit ScriptedModem(const PtyPair& line);
    ~ScriptedModem();

    void answer(const QByteArray& command, const QByteArray& reply);
    QList<QByteArray> commands() const;
    // Waits until `count` command lines have come in.
    bool waitForCommands(int count, int timeoutMs = 10000) const;

  private:
    void run();

    const PtyPair& line_;
    mutable std::mutex mutex_;
    QMap<QByteArray, QByteArray> replies_;
    QList<QByteArray> commands_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// "\r\n" + text + "\r\n", the way a modem frames a result.
inline QByteArray ModemReply(const QByteArray& text) {
    return "\r\n" + text + "\r\n";
}

// Runs the calling thread's events until `condition` holds or `timeoutMs` passed.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000);

}  // namespace corvane::testing

// Trigger events: the order of the checks, delivery to handler objects on the GUI thread and
// to procedures, detaching during a delivery, closing during a slow handler, and a lossless
// full-duplex transfer through the dispatcher.

#include <QThread>
#include <QTimer>
#include <mutex>
#include <thread>

#include "core/fax_errors.h"
#include "port_fixture.h"

namespace corvane::testing {
namespace {

using DispatcherTest = PortFixture;

struct Seen {
    TriggerKind kind;
    int handle;
    int count;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Seen& s) {
    return os << TriggerEventName(s.kind) << "(" << s.handle << ", " << s.count << ")";
}

class EventLog {
  public:
    void add(const TriggerEvent& e) {
        std::lock_guard lk(mutex_);
        seen_.push_back({e.kind, e.handle, e.count});
    }
    std::vector<Seen> seen() const {
        std::lock_guard lk(mutex_);
        return seen_;
    }
    std::size_t size() const { return seen().size(); }

  private:
    mutable std::mutex mutex_;
    std::vector<Seen> seen_;
};

TEST_F(DispatcherTest, PendingTriggersGoOutStatusFirstThenDataThenTimers) {
    openPort();
    const int gate = port_.AddTimerTrigger();
    const int okTrigger = port_.AddDataTrigger("OK", false);
    const int kTrigger = port_.AddDataTrigger("k", true);
    const int timer = port_.AddTimerTrigger();
    const int outFree = port_.AddStatusTrigger(TriggerKind::OutbuffFree);
    ASSERT_GT(gate, 0);
    ASSERT_GT(outFree, 0);

    // The gate holds the dispatcher inside a delivery while everything else becomes due.
    std::atomic<bool> atGate{false}, gateOpen{false};
    EventLog log;
    port_.RegisterProcHandler([&](TriggerEvent& e) {
        if (e.kind == TriggerKind::Timer && e.handle == gate) {
            atGate = true;
            while (!gateOpen) QThread::msleep(1);
            return;
        }
        if (e.kind != TriggerKind::PortClosing) log.add(e);
    });
    port_.SetTimerTrigger(gate, 0, true);
    ASSERT_TRUE(WaitFor([&] { return atGate.load(); }));
    line_.write("xxOKyy");
    ASSERT_TRUE(WaitFor([&] { return port_.InBuffUsed() == 6; }));
    port_.SetTimerTrigger(timer, 0, true);
    port_.SetStatusTrigger(outFree, 100, true);
    gateOpen = true;

    ASSERT_TRUE(WaitFor([&] { return log.size() >= 6; }));
    const std::vector<Seen> expected = {
        {TriggerKind::OutbuffFree, outFree, port_.OutSize()},
        {TriggerKind::Avail, 0, 3},        // "xxO", the bytes before the completing "K"
        {TriggerKind::Data, kTrigger, 4},  // completed triggers in reverse order of the list
        {TriggerKind::Data, okTrigger, 4},
        {TriggerKind::Avail, 0, 2},  // "yy"
        {TriggerKind::Timer, timer, 0},
    };
    EXPECT_EQ(log.seen(), expected);
    EXPECT_EQ(port_.InBuffUsed(), 6);  // nobody consumed anything
}

class RecordingWindow : public TFxTriggerWindow {
  public:
    std::vector<Seen> seen;
    bool allOnOwnThread = true;
    bool consumeAvail = true;

  protected:
    void triggerEvent(TriggerEvent& e) override {
        allOnOwnThread = allOnOwnThread && QThread::currentThread() == thread();
        if (e.kind == TriggerKind::PortClosing) return;
        seen.push_back({e.kind, e.handle, e.count});
        if (e.kind == TriggerKind::Avail && consumeAvail) e.consumed = e.count;
    }
};

TEST_F(DispatcherTest, HandlerObjectsGetEventsOnTheirThreadAndConsumeData) {
    openPort();
    RecordingWindow window;
    ASSERT_GT(port_.RegisterWindowHandler(&window), 0);
    const int timer = port_.AddTimerTrigger();
    const int sent = port_.AddStatusTrigger(TriggerKind::OutSent);

    line_.write("hello");
    ASSERT_TRUE(WaitFor([&] { return !window.seen.empty(); }));
    ASSERT_TRUE(WaitFor([&] { return port_.InBuffUsed() == 0; }));  // consumed by the count

    port_.SendString("ATZ\r");
    port_.SetStatusTrigger(sent, 0, true);
    port_.SetTimerTrigger(timer, 1, true);
    ASSERT_TRUE(WaitFor([&] { return window.seen.size() >= 3; }));
    EXPECT_TRUE(window.allOnOwnThread);
    int avail = 0;
    bool sawSent = false, sawTimer = false;
    for (const Seen& s : window.seen) {
        if (s.kind == TriggerKind::Avail) avail += s.count;
        sawSent = sawSent || (s.kind == TriggerKind::OutSent && s.handle == sent);
        sawTimer = sawTimer || (s.kind == TriggerKind::Timer && s.handle == timer);
    }
    EXPECT_EQ(avail, 5);
    EXPECT_TRUE(sawSent);
    EXPECT_TRUE(sawTimer);
    EXPECT_EQ(line_.readUntil([](const QByteArray& b) { return b.size() >= 4; }), "ATZ\r");

    // A status trigger fires once per arming: with no new arming the count stays.
    port_.SetOpen(false);
    const auto outSentEvents =
        std::count_if(window.seen.begin(), window.seen.end(),
                      [](const Seen& s) { return s.kind == TriggerKind::OutSent; });
    EXPECT_EQ(outSentEvents, 1);
}

TEST_F(DispatcherTest, HandlersDetachedDuringADeliveryMissTheRest) {
    openPort();
    const int timer = port_.AddTimerTrigger();
    std::atomic<int> a{0}, b{0}, c{0};
    int idA = 0, idB = 0;
    idA = port_.RegisterProcHandler([&](TriggerEvent& e) {
        if (e.kind != TriggerKind::Timer) return;
        ++a;
        port_.DeregisterHandler(a == 1 ? idB : idA);  // first B, then itself
    });
    idB = port_.RegisterProcHandler([&](TriggerEvent& e) {
        if (e.kind == TriggerKind::Timer) ++b;
    });
    port_.RegisterProcHandler([&](TriggerEvent& e) {
        if (e.kind == TriggerKind::Timer) ++c;
    });
    for (int round = 1; round <= 3; ++round) {
        port_.SetTimerTrigger(timer, 0, true);
        ASSERT_TRUE(WaitFor([&] { return c == round; }));
    }
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 0);
}

TEST_F(DispatcherTest, ClosingWaitsForAProcedureHandlerInProgress) {
    openPort();
    const int timer = port_.AddTimerTrigger();
    std::atomic<bool> inHandler{false}, handlerDone{false}, toldClosingAfterDone{false};
    std::atomic<bool> refusedOwnClose{false};
    port_.RegisterProcHandler([&](TriggerEvent& e) {
        if (e.kind == TriggerKind::Timer) {
            inHandler = true;
            try {
                port_.SetOpen(false);  // from its own dispatcher thread: refused
            } catch (const EFaxError& error) {
                refusedOwnClose = port_.Open();
            }
            QThread::msleep(300);
            port_.SendString("late\r");  // the port is still usable until the handler returns
            handlerDone = true;
        } else if (e.kind == TriggerKind::PortClosing) {
            toldClosingAfterDone = handlerDone.load();
        }
    });
    port_.SetTimerTrigger(timer, 0, true);
    ASSERT_TRUE(WaitFor([&] { return inHandler.load(); }));
    port_.SetOpen(false);
    EXPECT_TRUE(handlerDone);
    EXPECT_TRUE(toldClosingAfterDone);
    EXPECT_TRUE(refusedOwnClose);
    EXPECT_FALSE(port_.Open());
}

// A handler object that closes the port from its own event loop: the close cannot wait for
// that handler, and the handler carries on afterwards with the port closed.
class ClosingWindow : public TFxTriggerWindow {
  public:
    explicit ClosingWindow(TFxComPort& port) : port_(port) {}
    bool closedInside = false;
    bool returned = false;
    bool toldClosing = false;

  protected:
    void triggerEvent(TriggerEvent& e) override {
        if (e.kind == TriggerKind::PortClosing) {
            toldClosing = true;
            return;
        }
        if (e.kind != TriggerKind::Timer) return;
        QTimer::singleShot(0, [this] {
            port_.SetOpen(false);
            closedInside = true;
        });
        WaitFor([this] { return closedInside; });
        returned = true;
    }

  private:
    TFxComPort& port_;
};

TEST_F(DispatcherTest, HandlerObjectMayCloseThePortFromItsOwnEventLoop) {
    openPort();
    ClosingWindow window(port_);
    port_.RegisterWindowHandler(&window);
    port_.SetTimerTrigger(port_.AddTimerTrigger(), 0, true);
    ASSERT_TRUE(WaitFor([&] { return window.returned; }));
    EXPECT_TRUE(window.closedInside);
    EXPECT_TRUE(window.toldClosing);
    EXPECT_FALSE(port_.Open());
}

QByteArray Pattern(int size, int seed) {
    QByteArray data(size, Qt::Uninitialized);
    std::uint32_t x = static_cast<std::uint32_t>(seed) * 2654435761u + 1;
    for (int i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        data[i] = static_cast<char>(x >> 24);  // every byte value, DLE and XON/XOFF included
    }
    return data;
}

TEST_F(DispatcherTest, OneMebibyteEachWayAtOnceArrivesByteExact) {
    constexpr int kSize = 1 << 20;
    const QByteArray toPort = Pattern(kSize, 1);
    const QByteArray fromPort = Pattern(kSize, 2);
    openPort();

    std::mutex mutex;
    QByteArray received;
    port_.RegisterProcHandler([&](TriggerEvent& e) {
        if (e.kind != TriggerKind::Avail && e.kind != TriggerKind::Data) return;
        for (QByteArray block; !(block = port_.GetBlock(8192)).isEmpty();) {
            std::lock_guard lk(mutex);
            received += block;
        }
    });
    auto receivedSize = [&] {
        std::lock_guard lk(mutex);
        return received.size();
    };

    QByteArray atMaster;
    std::thread masterWriter([&] { line_.write(toPort); });
    std::thread masterReader([&] {
        atMaster = line_.readUntil([](const QByteArray& b) { return b.size() >= kSize; }, 120000);
    });
    qsizetype sent = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            const int n = static_cast<int>(std::min<qsizetype>(port_.OutBuffFree(), kSize - sent));
            if (n > 0) {
                port_.PutBlock(fromPort.constData() + sent, n);
                sent += n;
            }
            return sent == kSize;
        },
        120000));
    masterWriter.join();
    masterReader.join();
    ASSERT_TRUE(WaitFor([&] { return receivedSize() >= kSize; }, 120000));
    port_.SetOpen(false);
    EXPECT_TRUE(received == toPort) << "received " << received.size() << " bytes";
    EXPECT_TRUE(atMaster == fromPort) << "master got " << atMaster.size() << " bytes";
}

}  // namespace
}  // namespace corvane::testing

// Latency from bytes arriving on the device to the data event reaching its handler (an
// object on the main thread, as the fax engines are, and a procedure on the dispatcher
// thread), and sustained full-duplex throughput, through a pseudo-terminal.
//
// Run: transport_port_bench [--benchmark_filter=...]; latency rows report median_us and p99_us.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include "bench_main.h"
#include "core/app_folders.h"
#include "transport/fx_port.h"
#include "transport/port_operations.h"

namespace corvane {
namespace {

using Clock = std::chrono::steady_clock;

class Pty {
  public:
    Pty() {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(master);
        unlockpt(master);
        path = ptsname(master);
        keeper = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios t{};
        tcgetattr(keeper, &t);
        cfmakeraw(&t);
        tcsetattr(keeper, TCSANOW, &t);
    }
    ~Pty() {
        ::close(keeper);
        ::close(master);
    }
    int master = -1, keeper = -1;
    std::string path;
};

// A data folder whose COM1 is the pseudo-terminal, and the port opened on it.
struct Line {
    Line() {
        std::ofstream(dir.filePath("QX.INI").toStdString())
            << "[Ports]\r\nCOM1=" << pty.path << "\r\n";
        setAppFolderOverride(dir.path());
        ApplyProgramPortSettings(port, PortUse::Receiving, true);
        port.SetComNumber(1);
        port.SetOpen(true);
    }
    ~Line() {
        port.SetOpen(false);
        setAppFolderOverride(QString());
    }
    QTemporaryDir dir;
    Pty pty;
    TFxComPort port;
};

class StampingWindow : public TriggerWindow {
  public:
    std::atomic<bool> arrived{false};
    Clock::time_point at;

  protected:
    void triggerEvent(TriggerEvent& e) override {
        if (e.kind != TriggerKind::Avail) return;
        at = Clock::now();
        e.consumed = e.count;
        arrived = true;
    }
};

void ReportPercentiles(benchmark::State& state, std::vector<double>& micros) {
    if (micros.empty()) return;
    std::sort(micros.begin(), micros.end());
    state.counters["median_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    state.counters["max_us"] = micros.back();
}

void BM_LatencyToHandlerObject(benchmark::State& state) {
    Line line;
    StampingWindow window;
    line.port.RegisterWindowHandler(&window);
    std::vector<double> micros;
    for (auto _ : state) {
        window.arrived = false;
        const Clock::time_point sent = Clock::now();
        [[maybe_unused]] ssize_t n = ::write(line.pty.master, "R", 1);
        while (!window.arrived) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        const double us = std::chrono::duration<double, std::micro>(window.at - sent).count();
        micros.push_back(us);
        state.SetIterationTime(us / 1e6);
    }
    ReportPercentiles(state, micros);
}
BENCHMARK(BM_LatencyToHandlerObject)
    ->UseManualTime()
    ->Iterations(2000)
    ->Unit(benchmark::kMicrosecond);

void BM_LatencyToProcedure(benchmark::State& state) {
    Line line;
    std::atomic<bool> arrived{false};
    Clock::time_point at;
    line.port.RegisterProcHandler([&](TriggerEvent& e) {
        if (e.kind != TriggerKind::Avail) return;
        at = Clock::now();
        e.consumed = e.count;
        arrived = true;
    });
    std::vector<double> micros;
    for (auto _ : state) {
        arrived = false;
        const Clock::time_point sent = Clock::now();
        [[maybe_unused]] ssize_t n = ::write(line.pty.master, "R", 1);
        while (!arrived) std::this_thread::yield();
        const double us = std::chrono::duration<double, std::micro>(at - sent).count();
        micros.push_back(us);
        state.SetIterationTime(us / 1e6);
    }
    ReportPercentiles(state, micros);
}
BENCHMARK(BM_LatencyToProcedure)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

// Both directions at once: the master writes and reads `size` bytes while the port's handler
// object drains the input and the main thread keeps the output buffer filled.
void BM_FullDuplexThroughput(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    Line line;
    std::vector<char> payload(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) payload[static_cast<std::size_t>(i)] = static_cast<char>(i * 31);
    class Drain : public TriggerWindow {
      public:
        explicit Drain(TFxComPort& port) : port_(port) {}
        qint64 received = 0;

      protected:
        void triggerEvent(TriggerEvent& e) override {
            if (e.kind != TriggerKind::Avail && e.kind != TriggerKind::Data) return;
            received += port_.GetBlock(65536).size();
        }

      private:
        TFxComPort& port_;
    } drain(line.port);
    line.port.RegisterWindowHandler(&drain);

    for (auto _ : state) {
        drain.received = 0;
        std::atomic<qint64> atMaster{0};
        std::thread writer([&] {
            int done = 0;
            while (done < size) {
                const ssize_t n = ::write(line.pty.master, payload.data() + done,
                                          static_cast<size_t>(size - done));
                if (n > 0) done += static_cast<int>(n);
            }
        });
        std::thread reader([&] {
            char buffer[65536];
            while (atMaster < size) {
                const ssize_t n = ::read(line.pty.master, buffer, sizeof buffer);
                if (n > 0) atMaster += n;
            }
        });
        int sent = 0;
        while (sent < size || drain.received < size) {
            const int n = std::min(line.port.OutBuffFree(), size - sent);
            if (n > 0) {
                line.port.PutBlock(payload.data() + sent, n);
                sent += n;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        writer.join();
        reader.join();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size) * 2);
}
BENCHMARK(BM_FullDuplexThroughput)->Arg(1 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace corvane

int main(int argc, char** argv) {
    return corvane::RunBenchmarks<QCoreApplication>(argc, argv);
}

#include "app/termination_signals.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <QWidget>
#include <csignal>

namespace corvane {

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int) {
    // Only async-signal-safe work here: wake the event loop through the socket pair.
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[0], &byte, 1);
}

}  // namespace

void CloseOnTerminationSignals(QWidget* window) {
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char byte;
        [[maybe_unused]] ssize_t n = ::read(g_signalPipe[1], &byte, 1);
        window->close();
    });
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

}  // namespace corvane

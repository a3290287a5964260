// Times of the port settings dialog's scan of COM1 to COM99: with no port
// present (99 failed opens), and with one present port that does not answer (a pseudo-terminal
// whose other end stays silent), which costs the drain, the 50 ms wait and
// the read of its answer.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "instrument/port_scan.h"

namespace {

constexpr std::uint32_t PRESENT_PORT = 4;

void scanWithoutPorts(benchmark::State& state) {
    Configuration configuration{};
    for (auto _ : state) {
        // The platform's own opener: here every "\\.\COMn" is missing.
        const auto ports = scanPorts(configuration, openPort);
        benchmark::DoNotOptimize(ports.data());
    }
}

void scanWithOneSilentPort(benchmark::State& state) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const std::string device = ::ptsname(master);
    Configuration configuration{};
    for (auto _ : state) {
        // What openPort does, on the pseudo-terminal.
        const auto ports = scanPorts(configuration, [&](const Configuration& c) -> std::unique_ptr<SerialPort> {
            if (c.portNumber != PRESENT_PORT) return nullptr;
            auto port = openSerialDevice(device, lineSettingsOf(c));
            if (port) drainPort(*port);
            return port;
        });
        benchmark::DoNotOptimize(ports.data());
    }
    ::close(master);
}

}  // namespace

BENCHMARK(scanWithoutPorts)->Unit(benchmark::kMicrosecond);
BENCHMARK(scanWithOneSilentPort)->Unit(benchmark::kMillisecond)->Iterations(10);

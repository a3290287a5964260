// How fast the serial link is under Wine: the download dialog against the
// instrument simulator on COM1 at 19,200 and 115,200 baud, the wait of the
// idle rule, and the port scan. These only print figures for the README (run
// by scripts/bench-serial.sh); they are disabled in the normal run, since
// how fast is fast enough is judged there, not by a bound that other work on
// the machine could break.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "core/measurement_store.h"
#include "gui_support.h"
#include "instrument/download.h"
#include "instrument/download_dialog.h"
#include "instrument/port_scan.h"
#include "instrument/serial_port.h"
#include "language/language_table.h"
#include "resources/resource_ids.h"
#include "simulator.h"

namespace {

namespace fs = std::filesystem;

constexpr std::size_t TEXT_BYTES = 40'000;
constexpr std::uint32_t COM1 = 0;
constexpr std::uint32_t COM5 = 4;
constexpr int SCAN_RUNS = 3;

double seconds(LONGLONG ticks) { return milliseconds(ticks) / 1000.0; }

// The loss-meter sample over and over until it holds at least `bytes`
// bytes; it ends with CR LF and holds no blank line.
std::string longText(std::size_t bytes) {
    std::ifstream in(fs::path(KALIVERA_SOURCE_DIR) / "data" / "samples" / "lossmeter.txt", std::ios::binary);
    const std::string sample{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string text;
    while (text.size() < bytes) text += sample;
    return text;
}

struct DownloadTimes {
    double total;     // from the command to the dialog's end
    double lastByte;  // from the command to the count of every byte on screen
    std::size_t bytes;
};

class SerialBenchmark : public testing::Test {
protected:
    ScratchFolder folder;
    UiRecorder ui;
    Simulator instrument{"com1"};
    std::unique_ptr<MeasurementStore> store = makeStore();

    void SetUp() override {
        writeLanguageFile("czech.lng", numberedEntries(u"cz"));
        ASSERT_TRUE(loadLanguageFile(store->language, "czech.lng"));
        setDefaultConfiguration(store->configuration);
        store->configuration.portNumber = COM1;
    }

    // One download of `text` paced at `baud` (index `baudIndex` of the port settings).
    DownloadTimes download(const std::string& text, std::uint32_t baud, std::uint32_t baudIndex) {
        store->configuration.baudIndex = baudIndex;
        instrument.serve({"--text", Simulator::writeFile("bench.txt", text), "--baud", std::to_string(baud)});
        const std::string everything = std::to_string(text.size()) + " B";
        LONGLONG lastByte = 0;
        ui.dialogScripts.push_back([&](HWND dialog) {
            EXPECT_TRUE(processMessagesUntil(
                [&] {
                    if (lastByte == 0 && narrow(textOf(dialog, IDC_RECEIVED_BYTES)) == everything) lastByte = now();
                    return IsWindowVisible(dialog) == FALSE;
                },
                120'000));
        });
        const LONGLONG start = now();
        const INT_PTR result = runDownloadDialog(nullptr, *store);
        const LONGLONG end = now();
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(store->rawTextLength, text.size());
        EXPECT_NE(lastByte, 0);
        return {seconds(end - start), seconds(lastByte - start), text.size()};
    }

    void printDownload(const char* what, const DownloadTimes& times, std::uint32_t baud) {
        const double line = static_cast<double>(times.bytes) * 10.0 / baud;
        const double ticks = static_cast<double>(times.bytes) / 32.0 * DOWNLOAD_TICK_MS / 1000.0;
        const double bound = std::max(line, ticks);
        std::printf("download %s: %zu bytes at %u baud in %.2f s (%.0f B/s); line time %.2f s, tick ceiling "
                    "%.2f s; ratio %.3f (goal <= 1.05)\n",
                    what, times.bytes, baud, times.total, static_cast<double>(times.bytes) / times.total, line,
                    ticks, times.total / bound);
    }
};

TEST_F(SerialBenchmark, DISABLED_DownloadAtTheLineAndTheTickLimit) {
    const std::string text = longText(TEXT_BYTES) + "\n";  // ends in LF LF
    printDownload("line-bound", download(text, 19'200, 6), 19'200);
    printDownload("tick-bound", download(text, 115'200, 9), 115'200);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SerialBenchmark, DISABLED_ATextWithoutABlankLineEndsByTheIdleRule) {
    const std::string text = longText(4'000) + "\r\n";  // ends in CR LF CR LF
    const DownloadTimes times = download(text, 115'200, 9);
    std::printf("idle rule: a %zu-byte text ending in CR LF CR LF ends %.2f s after its last byte "
                "(whole download %.2f s)\n",
                times.bytes, times.total - times.lastByte, times.total);
    EXPECT_TRUE(ui.messages.empty());
}

// The scan over COM1 to COM99 with the test prefix's two simulators (COM1,
// COM5) present, and with both of them taken away.
TEST_F(SerialBenchmark, DISABLED_PortScanWithAndWithoutPorts) {
    Simulator second("com5");
    const PortOpener none = [](const Configuration& configuration) -> std::unique_ptr<SerialPort> {
        if (configuration.portNumber == COM1 || configuration.portNumber == COM5) return nullptr;
        return openPort(configuration);
    };
    const auto timeScan = [&](const PortOpener& opener, std::size_t expectedPorts) {
        std::vector<double> runs;
        for (int run = 0; run < SCAN_RUNS; ++run) {
            Configuration configuration = store->configuration;
            const LONGLONG start = now();
            const std::vector<ScannedPort> ports = scanPorts(configuration, opener);
            runs.push_back(seconds(now() - start));
            EXPECT_EQ(ports.size(), expectedPorts);
        }
        std::sort(runs.begin(), runs.end());
        return runs;
    };
    const std::vector<double> empty = timeScan(none, 0);
    const std::vector<double> two = timeScan(openPort, 2);
    const double perPort = (two.front() - empty.front()) / 2.0;
    std::printf("port scan, no ports present: best %.0f ms, worst %.0f ms of %d (goal < 1000 ms)\n",
                1000 * empty.front(), 1000 * empty.back(), SCAN_RUNS);
    std::printf("port scan, COM1 and COM5 present: best %.0f ms, worst %.0f ms of %d; %.0f ms per present "
                "port (goal <= 150 ms)\n",
                1000 * two.front(), 1000 * two.back(), SCAN_RUNS, 1000 * perPort);
}

}  // namespace

// Command 40009: the download dialog over COM1 of the test prefix, with the
// instrument simulator at the other end of the line.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "simulator.h"

namespace {

namespace fs = std::filesystem;

std::string sampleBytes(const char* name) {
    std::ifstream in(fs::path(KALIVERA_SOURCE_DIR) / "data" / "samples" / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A sample as an instrument sends it: a blank line ends the text at once.
std::string sampleAsSent(const char* name) { return sampleBytes(name) + "\n"; }

// A limit file whose sets are told apart by every byte.
std::string limitFileBytes() {
    std::string bytes(512, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>('A' + i % 23 + i / 32);
    return bytes;
}

bool visible(HWND dialog) { return IsWindowVisible(dialog) != FALSE; }

class Download : public ProgramTest {
protected:
    Simulator instrument{"com1"};
    std::u16string sampleFile;

    // Command 40009 with the download dialog driven by `script`.
    void download(HWND window, DialogScript script) {
        ui.dialogScripts.push_back(std::move(script));
        sendCommand(window, ID_CMD_LOAD_INSTRUMENT);
    }

    // Command 40009 left to run until the dialog ends by itself.
    void downloadToTheEnd(HWND window) {
        download(window, [](HWND dialog) {
            EXPECT_TRUE(processMessagesUntil([dialog] { return !visible(dialog); }));
        });
    }

    void SetUp() override {
        ProgramTest::SetUp();
        sampleFile = copySample(u"lossmeter.txt");
    }

    // Data in the store, from a file.
    void loadSampleFile(HWND window) {
        commandWithFile(window, ID_CMD_LOAD_FILE, sampleFile);
        ASSERT_TRUE(hasData(*store));
        ui.messages.clear();
    }
};

TEST_F(Download, ASampleDownloadFillsTheFormLikeALoadedFile) {
    struct Sample {
        const char* file;
        bool withLimits;
        std::uint32_t records;
        std::u16string_view type;
        std::u16string_view serial;
        const char* requests;
    };
    const Sample samples[] = {
        {"lossmeter.txt", false, 96, u"OLM55", u"0042137", "u"},
        {"zd615.txt", true, 14, u"ZD615", u"71234", "ut"},
    };
    const std::string limits = limitFileBytes();
    const std::string limitFile = Simulator::writeFile("limits.thre", limits);
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.file);
        const std::string text = sampleAsSent(sample.file);
        const std::string textFile = Simulator::writeFile(sample.file, text);
        if (sample.withLimits) {
            instrument.serve({"--text", textFile, "--limits", limitFile});
        } else {
            instrument.serve({"--text", textFile});
        }
        const std::size_t earlierRequests = instrument.requests().size();
        ui.messages.clear();
        run([&](HWND window) {
            downloadToTheEnd(window);

            EXPECT_EQ(store->recordCount, sample.records);
            EXPECT_EQ(textOf(window, IDC_INSTRUMENT_TYPE), sample.type);
            EXPECT_EQ(textOf(window, IDC_INSTRUMENT_SERIAL), sample.serial);
            expectDataMenus(window, true, true, false);
        });
        ASSERT_EQ(ui.messages.size(), 1u);
        expectMessage(ui.messages[0], 82, 81, MB_ICONINFORMATION);
        // The text as received, with the one line end the full parse appends.
        EXPECT_EQ(store->rawTextLength, text.size() + 1);
        EXPECT_EQ(std::memcmp(store->rawText.data(), text.data(), text.size()), 0);
        EXPECT_EQ(instrument.requestBytes(earlierRequests), sample.requests);
        if (sample.withLimits) {
            EXPECT_EQ(std::memcmp(&store->activeLimitSets[1], limits.data() + 32, 480), 0);
        }
    }
}

TEST_F(Download, StopDuringTheLimitSetsDiscardsTheTextAndGreysTheMenus) {
    // A ZD615 that never answers the request for its limit sets.
    const std::string text = sampleAsSent("zd615.txt");
    instrument.serve({"--text", Simulator::writeFile("zd615.txt", text)});
    std::u16string countShown;
    run([&](HWND window) {
        loadSampleFile(window);
        ui.answers = {IDYES};
        download(window, [&](HWND dialog) {
            // The text has arrived once its length is set: the limit sets are awaited.
            ASSERT_TRUE(processMessagesUntil([&] { return store->rawTextLength != 0; }));
            processMessagesUntil([] { return false; }, 100);  // still waiting
            ASSERT_TRUE(visible(dialog));
            countShown = textOf(dialog, IDC_RECEIVED_BYTES);
            sendCommand(dialog, IDCANCEL);
        });
        EXPECT_EQ(store->recordCount, 0u);
        EXPECT_EQ(store->rawTextLength, 0u);
        expectDataMenus(window, false, false, false);
    });
    EXPECT_EQ(narrow(countShown), std::to_string(text.size()) + " B");
    ASSERT_EQ(ui.messages.size(), 1u);  // the question only
    expectMessage(ui.messages[0], 87, 86, MB_ICONQUESTION);
}

TEST_F(Download, StopEscapeAndTheCloseBoxEndTheWaitForTheFirstByte) {
    instrument.serve({"--silent"});
    struct Gesture {
        const char* name;
        void (*stop)(HWND dialog);
    };
    const Gesture gestures[] = {
        {"Stop", [](HWND dialog) { sendCommand(dialog, IDCANCEL); }},
        {"Escape",
         [](HWND dialog) {
             MSG key{GetDlgItem(dialog, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
             IsDialogMessageW(dialog, &key);
         }},
        {"close box", [](HWND dialog) { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    run([&](HWND window) {
        for (const Gesture& gesture : gestures) {
            SCOPED_TRACE(gesture.name);
            loadSampleFile(window);
            ui.answers = {IDYES};
            bool endedByGesture = false;
            download(window, [&](HWND dialog) {
                EXPECT_EQ(narrow(textOf(dialog, IDC_RECEIVED_BYTES)), "0 B");
                gesture.stop(dialog);
                endedByGesture = processMessagesUntil([dialog] { return !visible(dialog); });
            });
            EXPECT_TRUE(endedByGesture);
            EXPECT_FALSE(hasData(*store));
            expectDataMenus(window, false, false, false);
        }
    });
}

TEST_F(Download, APortThatCannotBeOpenedIsReportedAndTheStoreReset) {
    writeConfiguration([](Configuration& configuration) { configuration.portNumber = 1; });  // COM2: none
    run([&](HWND window) {
        loadSampleFile(window);
        ui.answers = {IDYES};
        // The dialog ends before its script could run.
        download(window, [](HWND) { ADD_FAILURE() << "the dialog stayed open"; });
        EXPECT_FALSE(hasData(*store));
        EXPECT_EQ(store->rawTextLength, 0u);
        expectDataMenus(window, false, false, false);
    });
    ASSERT_EQ(ui.messages.size(), 2u);
    expectMessage(ui.messages[1], 76, 73, MB_ICONERROR);
}

TEST_F(Download, TheQuestionComesOnlyWithDataAndNoKeepsThem) {
    instrument.serve({"--text", Simulator::writeFile("lossmeter.txt", sampleAsSent("lossmeter.txt"))});
    run([&](HWND window) {
        downloadToTheEnd(window);  // no data: no question
        ASSERT_EQ(ui.messages.size(), 1u);
        expectMessage(ui.messages[0], 82, 81, MB_ICONINFORMATION);
        ui.messages.clear();

        ui.answers = {IDNO};
        sendCommand(window, ID_CMD_LOAD_INSTRUMENT);
        EXPECT_EQ(store->recordCount, 96u);
        expectDataMenus(window, true, true, false);
    });
    EXPECT_EQ(ui.dialogsOpened, std::vector<int>{IDD_DOWNLOAD});
    ASSERT_EQ(ui.messages.size(), 1u);
    expectMessage(ui.messages[0], 87, 86, MB_ICONQUESTION);
}

TEST_F(Download, StopWhileTheTextArrivesEndsAtOnceAndTheNextDownloadGetsAWholeText) {
    // 300 baud: the text takes about two seconds to arrive.
    const std::string text = "OLM55 0042\r\n1 1 1310 -2.41 0\r\n1 2 1310 -2.55 0\r\n\n";
    instrument.serve({"--text", Simulator::writeFile("slow.txt", text), "--baud", "300"});
    std::u16string countShown;
    run([&](HWND window) {
        download(window, [&](HWND dialog) {
            ASSERT_TRUE(processMessagesUntil([dialog] { return textOf(dialog, IDC_RECEIVED_BYTES) != u"0 B"; }));
            sendCommand(dialog, IDCANCEL);
            EXPECT_FALSE(visible(dialog));
            countShown = textOf(dialog, IDC_RECEIVED_BYTES);
        });
        EXPECT_FALSE(hasData(*store));
        EXPECT_EQ(store->rawTextLength, 0u);

        // What the instrument still sends of the stopped text is drained
        // before the next request.
        instrument.serve({"--text", Simulator::writeFile("slow.txt", text)});
        downloadToTheEnd(window);
    });
    EXPECT_LT(std::stoul(narrow(countShown)), text.size());
    ASSERT_EQ(ui.messages.size(), 1u);
    expectMessage(ui.messages[0], 82, 81, MB_ICONINFORMATION);
    EXPECT_EQ(store->recordCount, 2u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(store->rawText.data()), text.size()), text);
}

// An instrument that goes away, sends garbage or answers half a block. Once
// its line has hung up the dialog waits until Stop, as before the first
// byte, and never takes the text cut short for a whole one; the others end
// by themselves with the message their outcome gives.
TEST_F(Download, AnInstrumentThatFailsMidTransferEndsAsItsRulesSay) {
    const std::string zd615 = "ZD615 71234\r\n1 2 3 -18.20 ---- -17.05 dBm p W o 2\r\n\n";
    const std::string lossMeter = sampleAsSent("lossmeter.txt");
    std::string noise = "OLM55 0042137\r\n";
    for (int i = 0; i < 200; ++i) noise.push_back(static_cast<char>(0x21 + i * 37 % 94));
    noise += "\n\n";
    const std::string limits = limitFileBytes();
    const std::string limitFile = Simulator::writeFile("limits.thre", limits);
    constexpr int UNTIL_STOP = 0;
    struct Case {
        const char* name;
        const std::string& text;
        std::vector<std::string> faults;
        std::uint32_t bytesShown;  // when the dialog waits for Stop
        int message;               // UNTIL_STOP: the dialog waits for Stop
    };
    const Case cases[] = {
        {"line hangs up in the text", lossMeter, {"--close-after", "40"}, 40, UNTIL_STOP},
        {"line hangs up before the limit sets", zd615,
         {"--close-after", std::to_string(zd615.size())}, static_cast<std::uint32_t>(zd615.size()), UNTIL_STOP},
        {"line noise for data lines", noise, {}, 0, 80},
        // Sets 1 to 3 and half of set 4: the rest of set 4 reads as zeros.
        {"three and a half limit sets", zd615, {"--stop-after", "112"}, 0, 82},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> options = {"--text", Simulator::writeFile("served.txt", c.text),
                                            "--limits", limitFile};
        options.insert(options.end(), c.faults.begin(), c.faults.end());
        const std::size_t hangUps = instrument.logged("line closed");
        ui.messages.clear();
        run([&](HWND window) {
            for (LimitSet& set : store->activeLimitSets) std::memset(&set, 'K', sizeof set);
            instrument.serve(options);
            if (c.message != UNTIL_STOP) {
                downloadToTheEnd(window);
                return;
            }
            download(window, [&](HWND dialog) {
                ASSERT_TRUE(processMessagesUntil([&] { return instrument.logged("line closed") > hangUps; }));
                // A hundred ticks later and beyond: still waiting, the count as it was.
                EXPECT_FALSE(processMessagesUntil([dialog] { return !visible(dialog); }, 1000));
                EXPECT_EQ(narrow(textOf(dialog, IDC_RECEIVED_BYTES)), std::to_string(c.bytesShown) + " B");
                sendCommand(dialog, IDCANCEL);
            });
            EXPECT_FALSE(hasData(*store));
            expectDataMenus(window, false, false, false);
        });
        if (c.message == UNTIL_STOP) {
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_EQ(store->rawTextLength, 0u);
            continue;
        }
        ASSERT_EQ(ui.messages.size(), 1u);
        expectMessage(ui.messages[0], c.message, c.message == 82 ? 81 : 73,
                      c.message == 82 ? MB_ICONINFORMATION : MB_ICONERROR);
        if (c.message == 82) {
            std::string expected(sizeof store->activeLimitSets, 'K');
            expected.replace(32, 112, limits.substr(32, 112));
            expected.replace(32 + 112, 16, std::string(16, '\0'));
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(store->activeLimitSets.data()),
                                  sizeof store->activeLimitSets),
                      expected);
        }
    }
    // The instrument back on: the line that replaced the hung-up one downloads.
    instrument.serve({"--text", Simulator::writeFile("served.txt", lossMeter)});
    ui.messages.clear();
    run([&](HWND window) { downloadToTheEnd(window); });
    ASSERT_EQ(ui.messages.size(), 1u);
    expectMessage(ui.messages[0], 82, 81, MB_ICONINFORMATION);
    EXPECT_EQ(store->recordCount, 96u);
}

}  // namespace

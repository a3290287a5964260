// How fast the program is on the largest data under Wine, through the main
// window's menu as an operator works: loading a 172,095-byte text of 8192
// readings or 8192 location records, saving and opening its protocol, the
// value selection (112) or the location table (129), the limit editor (131)
// and each report (the browser replaced). These only print figures for the
// README (run by scripts/bench-gui.sh); they are disabled in the normal run,
// since how fast is fast enough is judged there, not by a bound that other
// work on the machine could break.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "program_fixture.h"
#include "tests/bench/maximal_text.h"

namespace {

namespace fs = std::filesystem;

// Every step runs this often; the best run is the program's figure, the
// median shows what other work on the machine adds.
constexpr int RUNS = 5;
constexpr int ONT_COLUMN = 3;
constexpr int TICK_COLUMN = 0;

// The times of each step, in the order the steps first came.
class StepTimes {
public:
    void add(const std::string& step, LONGLONG ticks) {
        auto found = std::find_if(steps_.begin(), steps_.end(),
                                  [&](const auto& known) { return known.first == step; });
        if (found == steps_.end()) found = steps_.insert(steps_.end(), {step, {}});
        found->second.push_back(milliseconds(ticks));
    }

    void print(const char* data) const {
        std::printf("%s (goal: each step within 100 ms):\n", data);
        for (auto [step, runs] : steps_) {
            std::sort(runs.begin(), runs.end());
            std::printf("  %-44s best %6.1f ms, median %6.1f ms, worst %6.1f ms of %zu\n", step.c_str(),
                        runs.front(), runs[runs.size() / 2], runs.back(), runs.size());
        }
    }

private:
    std::vector<std::pair<std::string, std::vector<double>>> steps_;
};

int itemCount(HWND dialog, int list) {
    return static_cast<int>(SendDlgItemMessageW(dialog, list, LVM_GETITEMCOUNT, 0, 0));
}

// Makes items [first, last) of a list the selected ones.
void selectItems(HWND dialog, int list, int first, int last) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    SendDlgItemMessageW(dialog, list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED;
    for (int item = first; item < last; ++item) {
        SendDlgItemMessageW(dialog, list, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                            reinterpret_cast<LPARAM>(&state));
    }
}

class GuiBenchmark : public ProgramTest {
protected:
    StepTimes times;

    void SetUp() override {
        ProgramTest::SetUp();
        // The shipped language and its report templates: real reports.
        for (const char* name : {"czech.lng", "protokol_cz.htm", "zd615_cz.htm"}) {
            fs::copy_file(fs::path(KALIVERA_SOURCE_DIR) / "data" / name, folder.path() / name,
                          fs::copy_options::overwrite_existing);
        }
    }

    std::u16string writeText(std::u16string_view name, const std::string& text) const {
        std::ofstream(folder.path() / fs::path(name), std::ios::binary) << text;
        return inFolder(name);
    }

    void timeStep(const std::string& step, const std::function<void()>& action) {
        const LONGLONG start = now();
        action();
        times.add(step, now() - start);
    }

    void timeCommand(HWND window, const std::string& step, int command) {
        timeStep(step, [&] { sendCommand(window, command); });
    }

    void timeCommandWithFile(HWND window, const std::string& step, int command,
                             const std::u16string& file) {
        ui.fileChoices.push_back(file);
        timeCommand(window, step, command);
    }

    // A command that opens a dialog: timed until the dialog is shown and
    // idle, then `inside` acts in it, then `closing` is timed until the
    // command is done.
    void timeDialog(HWND window, int command, const std::string& opening,
                    const std::function<void(HWND)>& inside, int closing, const std::string& closed) {
        const LONGLONG start = now();
        LONGLONG closeStart = 0;
        ui.dialogScripts.push_back([&](HWND dialog) {
            times.add(opening, now() - start);
            inside(dialog);
            closeStart = now();
            sendCommand(dialog, closing);
        });
        sendCommand(window, command);
        ASSERT_NE(closeStart, 0) << opening;
        times.add(closed, now() - closeStart);
    }


    void loadSaveAndOpen(HWND window, const std::u16string& text) {
        const std::u16string protocol = inFolder(u"largest.opr");
        if (hasData(*store)) ui.answers.push_back(IDYES);
        timeCommandWithFile(window, "load the data file (172,095 bytes)", ID_CMD_LOAD_FILE, text);
        ASSERT_EQ(store->recordCount, MAX_RECORDS);
        timeCommandWithFile(window, "save the protocol", ID_CMD_SAVE_AS, protocol);
        ui.answers.push_back(IDYES);
        timeCommandWithFile(window, "open the protocol", ID_CMD_OPEN, protocol);
        ASSERT_EQ(store->recordCount, MAX_RECORDS);
    }

    void generate(HWND window, const std::string& step) {
        const std::size_t before = ui.documentsOpened.size();
        timeCommand(window, step, ID_CMD_GENERATE);
        ASSERT_EQ(ui.documentsOpened.size(), before + 1);
        EXPECT_GT(fs::file_size(fs::path(ui.documentsOpened.back())), 100'000u);
    }

    // Questions before replacing the data and the boxes that say a file was
    // loaded; no warning, no error.
    void expectNoWarningOrError() const {
        for (const RecordedMessage& message : ui.messages) {
            EXPECT_TRUE(message.icon() == MB_ICONINFORMATION || message.icon() == MB_ICONQUESTION)
                << narrow(message.text);
        }
    }
};

TEST_F(GuiBenchmark, DISABLED_EightThousandReadings) {
    const std::u16string text = writeText(u"readings.txt", maximalText(false));
    // Half of each wavelength's readings A to B, the other half B to A.
    const auto selectBothDirections = [&](HWND dialog) {
        const int shown = itemCount(dialog, IDC_LOADED_LIST);
        selectItems(dialog, IDC_LOADED_LIST, 0, shown / 2);
        sendCommand(dialog, IDC_ADD_A_TO_B);
        selectItems(dialog, IDC_LOADED_LIST, 0, shown - shown / 2);
        sendCommand(dialog, IDC_ADD_B_TO_A);
        EXPECT_EQ(itemCount(dialog, IDC_LOADED_LIST), 0);
    };
    run([&](HWND window) {
        for (int run = 0; run < RUNS && !HasFatalFailure(); ++run) {
            loadSaveAndOpen(window, text);
            timeDialog(
                window, ID_CMD_SELECT_VALUES, "open the value selection (112)",
                [&](HWND dialog) {
                    const int shown = itemCount(dialog, IDC_LOADED_LIST);
                    ASSERT_EQ(shown, static_cast<int>(MAX_RECORDS / 2));  // one wavelength
                    selectItems(dialog, IDC_LOADED_LIST, 0, shown / 2);
                    timeStep("one Add click (2048 of 4096 readings)",
                              [&] { sendCommand(dialog, IDC_ADD_A_TO_B); });
                    EXPECT_EQ(itemCount(dialog, IDC_A_TO_B_LIST), shown / 2);
                    selectItems(dialog, IDC_LOADED_LIST, 0, shown / 2);
                    sendCommand(dialog, IDC_ADD_B_TO_A);
                    chooseItem(dialog, IDC_SELECTION_WAVELENGTH, 1);
                    selectBothDirections(dialog);
                },
                IDOK, "OK in the value selection");
            generate(window, "loss report (8192 readings selected)");
        }
    });
    times.print("8192 readings");
    expectNoWarningOrError();
}

TEST_F(GuiBenchmark, DISABLED_EightThousandLocationRecords) {
    const std::u16string text = writeText(u"locations.txt", maximalText(true));
    run([&](HWND window) {
        for (int run = 0; run < RUNS && !HasFatalFailure(); ++run) {
            loadSaveAndOpen(window, text);
            timeDialog(
                window, ID_CMD_SELECT_VALUES, "open the location table (129)",
                [&](HWND dialog) {
                    const HWND list = GetDlgItem(dialog, IDC_LOCATION_TABLE);
                    ASSERT_EQ(itemCount(dialog, IDC_LOCATION_TABLE), static_cast<int>(MAX_RECORDS));
                    timeStep("one sort (header click)", [&] { clickHeader(list, ONT_COLUMN); });
                    timeStep("tick every row (header click)", [&] { clickHeader(list, TICK_COLUMN); });
                },
                IDOK, "OK in the location table");
            ASSERT_TRUE(std::all_of(store->locationRecords.begin(), store->locationRecords.end(),
                                    [](const LocationRecord& record) { return record.selected != 0; }));
            timeDialog(
                window, ID_CMD_LIMITS, "open the limit editor (131)", [](HWND) {}, IDCANCEL,
                "cancel the limit editor");
            generate(window, "ZD615 report (8192 records selected)");
        }
    });
    times.print("8192 location records");
    expectNoWarningOrError();
}

}  // namespace

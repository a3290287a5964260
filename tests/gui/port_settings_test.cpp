// Command 40003: the port settings dialog scanning the COM ports of the test
// prefix, where only COM1 and COM5 lead to an instrument simulator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "instrument/serial_port.h"
#include "program_fixture.h"
#include "simulator.h"

namespace {

using Texts = std::vector<std::u16string>;

int selectedItem(HWND dialog, int comboBox) {
    return static_cast<int>(SendDlgItemMessageW(dialog, comboBox, CB_GETCURSEL, 0, 0));
}

Configuration withPort(std::uint32_t portNumber) {
    Configuration configuration{};
    setDefaultConfiguration(configuration);
    configuration.portNumber = portNumber;
    return configuration;
}

class PortSettings : public ProgramTest {
protected:
    Simulator com1{"com1"};
    Simulator com5{"com5"};

    void SetUp() override {
        ProgramTest::SetUp();
        com1.serve({"--identity", "OLM-55#42"});
        com5.serve({"--identity", "ZD615/71234;"});
    }

    // Command 40003 with the dialog driven by `script`.
    void portSettings(std::uint32_t configuredPort, DialogScript script) {
        writeConfiguration([&](Configuration& c) { c.portNumber = configuredPort; });
        ui.dialogScripts.push_back(std::move(script));
        run([](HWND window) { sendCommand(window, ID_CMD_PORT_SETTINGS); });
        EXPECT_EQ(ui.dialogsOpened, std::vector<int>{IDD_PORT_SETTINGS});
    }
};

TEST_F(PortSettings, ListsThePortsWithTheirAnswersAndTheLineSettings) {
    portSettings(4, [&](HWND dialog) {
        EXPECT_EQ(comboItems(dialog, IDC_PORT), (Texts{u"COM1 OLM 55 42", u"COM5 ZD615 71234 "}));
        EXPECT_EQ(selectedItem(dialog, IDC_PORT), 1);
        EXPECT_EQ(comboItems(dialog, IDC_BAUD_RATE),
                  (Texts{u"110", u"300", u"1200", u"2400", u"4800", u"9600", u"19200", u"38400",
                         u"57600", u"115200", u"230400", u"460800", u"921600"}));
        EXPECT_EQ(comboItems(dialog, IDC_DATA_BITS), (Texts{u"8", u"7", u"6", u"5"}));
        EXPECT_EQ(comboItems(dialog, IDC_PARITY),
                  (Texts{numbered(CZ, 62), numbered(CZ, 63), numbered(CZ, 64), numbered(CZ, 65),
                         numbered(CZ, 66)}));
        EXPECT_EQ(comboItems(dialog, IDC_STOP_BITS), (Texts{u"1", u"1.5", u"2"}));
        EXPECT_EQ(comboItems(dialog, IDC_FLOW_CONTROL),
                  (Texts{numbered(CZ, 67), numbered(CZ, 68), numbered(CZ, 69)}));
        const Configuration defaults = withPort(4);
        EXPECT_EQ(selectedItem(dialog, IDC_BAUD_RATE), static_cast<int>(defaults.baudIndex));
        EXPECT_EQ(selectedItem(dialog, IDC_DATA_BITS), static_cast<int>(defaults.dataBitsIndex));
        EXPECT_EQ(selectedItem(dialog, IDC_PARITY), static_cast<int>(defaults.parityIndex));
        EXPECT_EQ(selectedItem(dialog, IDC_STOP_BITS), static_cast<int>(defaults.stopBitsIndex));
        EXPECT_EQ(selectedItem(dialog, IDC_FLOW_CONTROL), static_cast<int>(defaults.flowControlIndex));

        EXPECT_EQ(windowText(dialog), numbered(CZ, 55));
        const std::pair<int, int> labels[] = {
            {IDC_LABEL_PORT, 56},      {IDC_LABEL_BAUD_RATE, 57}, {IDC_LABEL_DATA_BITS, 58},
            {IDC_LABEL_PARITY, 59},    {IDC_LABEL_STOP_BITS, 60}, {IDC_LABEL_FLOW_CONTROL, 61},
            {IDCANCEL, 54},            {IDOK, 70},
        };
        for (const auto& [control, entry] : labels) EXPECT_EQ(textOf(dialog, control), numbered(CZ, entry));
        sendCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(store->configuration.portNumber, 4u);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PortSettings, AMissingConfiguredPortIsReplacedByTheNextPresentOneEvenAfterCancel) {
    portSettings(2, [&](HWND dialog) {  // COM3: none
        EXPECT_EQ(selectedItem(dialog, IDC_PORT), 1);  // COM5
        sendCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(store->configuration.portNumber, 4u);
    EXPECT_EQ(readConfiguration().portNumber, 2u);  // written only by OK or another save
}

TEST_F(PortSettings, OkStoresTheChosenPortAndSettingsAndSavesThemSilently) {
    portSettings(4, [&](HWND dialog) {
        chooseItem(dialog, IDC_PORT, 0);
        chooseItem(dialog, IDC_BAUD_RATE, 9);
        chooseItem(dialog, IDC_DATA_BITS, 1);
        chooseItem(dialog, IDC_PARITY, 2);
        chooseItem(dialog, IDC_STOP_BITS, 2);
        chooseItem(dialog, IDC_FLOW_CONTROL, 1);
        sendCommand(dialog, IDOK);
    });
    const Configuration saved = readConfiguration();
    for (const Configuration* configuration : {&saved, static_cast<const Configuration*>(&store->configuration)}) {
        EXPECT_EQ(configuration->portNumber, 0u);
        EXPECT_EQ(configuration->baudIndex, 9u);
        EXPECT_EQ(configuration->dataBitsIndex, 1u);
        EXPECT_EQ(configuration->parityIndex, 2u);
        EXPECT_EQ(configuration->stopBitsIndex, 2u);
        EXPECT_EQ(configuration->flowControlIndex, 1u);
    }
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace

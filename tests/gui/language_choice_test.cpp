// The language choice (dialog 114) opened from the main window's menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/configuration.h"
#include "core/fixed_text.h"
#include "core/win32/main_window.h"
#include "core/measurement_store.h"
#include "gui_support.h"
#include "resources/resource_ids.h"

namespace {

const std::u16string CZ = u"cz";
const std::u16string EN = u"en";

class LanguageChoice : public testing::Test {
protected:
    ScratchFolder folder;
    UiRecorder ui;
    std::unique_ptr<MeasurementStore> store = makeStore();
    std::vector<std::u16string> listed;
    std::u16string selected;

    void SetUp() override {
        writeLanguageFile("czech.lng", numberedEntries(CZ));
        writeLanguageFile("english.lng", numberedEntries(EN));
        writeConfiguration([](Configuration&) {});
    }

    // Opens the language choice from the menu; `choose` acts in the dialog.
    // Returns the main window's caption afterwards.
    std::u16string chooseLanguage(const std::function<void(HWND)>& choose,
                                  const std::function<void()>& beforeOpening = [] {}) {
        ui.dialogScripts.push_back([&](HWND dialog) {
            listed = comboItems(dialog, IDC_LANGUAGE_FILES);
            selected = textOf(dialog, IDC_LANGUAGE_FILES);
            choose(dialog);
        });
        std::u16string caption;
        runScripted([&] { return runMainWindow(GetModuleHandleW(nullptr), *store); },
                    [&](HWND window) {
                        beforeOpening();
                        sendCommand(window, ID_CMD_LANGUAGE);
                        caption = windowText(window);
                    });
        EXPECT_EQ(ui.dialogsOpened, std::vector<int>{IDD_LANGUAGE});
        return caption;
    }
};

void pickAndConfirm(HWND dialog, const std::u16string& name) {
    const auto items = comboItems(dialog, IDC_LANGUAGE_FILES);
    const auto found = std::find(items.begin(), items.end(), name);
    ASSERT_NE(found, items.end()) << narrow(name);
    SendDlgItemMessageW(dialog, IDC_LANGUAGE_FILES, CB_SETCURSEL, found - items.begin(), 0);
    sendCommand(dialog, IDOK);
}

TEST_F(LanguageChoice, OpensTranslatedWithTheLanguageFilesAndTheConfiguredOneSelected) {
    writeLanguageFile("aaa.lng", numberedEntries(u"aa"));
    std::filesystem::create_directory("folder.lng");
    writeConfiguration([](Configuration& c) { setSlotText(c.languageFile, u"czech.lng"); });
    chooseLanguage([](HWND dialog) {
        EXPECT_EQ(windowText(dialog), numbered(CZ, 71));
        EXPECT_EQ(textOf(dialog, IDOK), numbered(CZ, 70));
        EXPECT_EQ(textOf(dialog, IDCANCEL), numbered(CZ, 54));
        sendCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(listed, (std::vector<std::u16string>{u"aaa.lng", u"czech.lng", u"english.lng"}));
    EXPECT_EQ(selected, u"czech.lng");
}

TEST_F(LanguageChoice, ChoosingAnotherLanguageRetranslatesAndIsRemembered) {
    const std::u16string caption =
        chooseLanguage([](HWND dialog) { pickAndConfirm(dialog, u"english.lng"); });

    EXPECT_EQ(caption, numbered(EN, 1));
    EXPECT_EQ(slotText(readConfiguration().languageFile), u"english.lng");
    EXPECT_TRUE(ui.messages.empty());

    // The next start comes up in the chosen language.
    std::u16string nextCaption;
    runScripted([&] { return runMainWindow(GetModuleHandleW(nullptr), *store); },
                [&](HWND window) { nextCaption = windowText(window); });
    EXPECT_EQ(nextCaption, numbered(EN, 1));
}

TEST_F(LanguageChoice, ChoosingTheLanguageInForceReloadsIt) {
    const std::u16string caption = chooseLanguage([](HWND dialog) {
        writeLanguageFile("czech.lng", numberedEntries(u"cz2"));
        pickAndConfirm(dialog, u"czech.lng");
    });
    EXPECT_EQ(caption, numbered(u"cz2", 1));
}

TEST_F(LanguageChoice, AFileThatFailsToLoadIsReportedAndNothingIsRetranslated) {
    writeLanguageFile("broken.lng", u"");  // only a byte-order mark
    std::filesystem::resize_file("broken.lng", 0);
    const std::u16string caption =
        chooseLanguage([](HWND dialog) { pickAndConfirm(dialog, u"broken.lng"); });

    EXPECT_EQ(caption, numbered(CZ, 1));
    EXPECT_EQ(slotText(readConfiguration().languageFile), u"czech.lng");
    ASSERT_EQ(ui.messages.size(), 1u);
    // The table now holds its placeholders, and the message shows them.
    EXPECT_EQ(ui.messages[0].text, u"TRANSLATE IT!!!(77)");
    EXPECT_EQ(ui.messages[0].caption, u"TRANSLATE IT!!!(73)");
    EXPECT_EQ(ui.messages[0].icon(), MB_ICONERROR);
}

TEST_F(LanguageChoice, ANameThatIsNotListedChangesNothing) {
    const std::u16string caption = chooseLanguage([](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_LANGUAGE_FILES, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SetDlgItemTextW(dialog, IDC_LANGUAGE_FILES, L"english");
        sendCommand(dialog, IDOK);
    });
    EXPECT_EQ(caption, numbered(CZ, 1));
    EXPECT_EQ(slotText(readConfiguration().languageFile), u"czech.lng");
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LanguageChoice, CancelKeepsTheLanguage) {
    const std::u16string caption = chooseLanguage([](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_LANGUAGE_FILES, CB_SETCURSEL, 1, 0);
        sendCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(caption, numbered(CZ, 1));
    EXPECT_EQ(slotText(readConfiguration().languageFile), u"czech.lng");
}

TEST_F(LanguageChoice, WithoutLanguageFilesTheListIsEmptyAndOkChangesNothing) {
    const std::u16string caption = chooseLanguage(
        [](HWND dialog) { sendCommand(dialog, IDOK); },
        [] {
            std::filesystem::remove("czech.lng");
            std::filesystem::remove("english.lng");
        });
    EXPECT_TRUE(listed.empty());
    EXPECT_EQ(caption, numbered(CZ, 1));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(slotText(readConfiguration().languageFile), u"czech.lng");
}

}  // namespace

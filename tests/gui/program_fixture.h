// The whole program in a scratch working folder with a numbered test
// language: a running main window driven by its menu commands, with boxes,
// file dialogs and documents recorded.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/configuration.h"
#include "core/win32/main_window.h"
#include "core/measurement_store.h"
#include "gui_support.h"
#include "resources/resource_ids.h"

class ProgramTest : public testing::Test {
protected:
    static constexpr std::u16string_view CZ = u"cz";

    ScratchFolder folder;
    UiRecorder ui;
    std::unique_ptr<MeasurementStore> store = makeStore();

    void SetUp() override {
        writeLanguageFile("czech.lng", numberedEntries(CZ));
        writeConfiguration([](Configuration&) {});
    }

    // Runs the main window with `script` acting in it.
    INT_PTR run(DialogScript script) {
        return runScripted([this] { return runMainWindow(GetModuleHandleW(nullptr), *store); },
                           std::move(script));
    }

    // The full path of a file in the working folder.
    std::u16string inFolder(std::u16string_view name) const {
        return (folder.path() / std::filesystem::path(name)).u16string();
    }

    // A file of data/samples copied into the working folder; its full path.
    std::u16string copySample(std::u16string_view name) const {
        const auto source = std::filesystem::path(KALIVERA_SOURCE_DIR) / "data" / "samples" /
                            std::filesystem::path(name);
        std::filesystem::copy_file(source, folder.path() / std::filesystem::path(name));
        return inFolder(name);
    }

    // A menu command that shows one file dialog, answered with `choice`
    // (nothing: cancelled).
    void commandWithFile(HWND window, int command, std::optional<std::u16string> choice) {
        ui.fileChoices.push_back(std::move(choice));
        sendCommand(window, command);
    }

    static void expectMessage(const RecordedMessage& message, int text, int caption, UINT icon) {
        EXPECT_EQ(narrow(message.text), narrow(numbered(CZ, text)));
        EXPECT_EQ(narrow(message.caption), narrow(numbered(CZ, caption)));
        EXPECT_EQ(message.icon(), icon);
    }

    // The entries that follow the data: "Vybrat hodnoty", "Export TXT dat z
    // přístroje" and the whole "Generování" menu.
    static void expectDataMenus(HWND window, bool select, bool exportText, bool generate) {
        EXPECT_EQ(menuGrey(window, ID_CMD_SELECT_VALUES, false), !select);
        EXPECT_EQ(menuGrey(window, ID_CMD_EXPORT_TEXT, false), !exportText);
        EXPECT_EQ(menuGrey(window, MENU_POS_GENERATE, true), !generate);
    }
};

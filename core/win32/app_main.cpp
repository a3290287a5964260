// Program start: the working folder, then one modal main window; when it
// ends, the program ends.
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "core/measurement_store.h"
#include "core/win32/main_window.h"
#include "core/working_folder.h"

namespace {

std::filesystem::path programFolder() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        name.resize(name.size() * 2);
    }
}

// Protocols and reports are the user's documents: "Documents\Kalivera".
std::optional<std::filesystem::path> userFolder() {
    PWSTR documents = nullptr;
    std::optional<std::filesystem::path> folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_CREATE, nullptr, &documents))) {
        folder = std::filesystem::path(documents) / L"Kalivera";
    }
    CoTaskMemFree(documents);
    return folder;
}

// An installed program works in the user's folder, filled from the files it
// ships; started anywhere else it stays where it was started.
void enterWorkingFolder() {
    const auto user = userFolder();
    if (!user) return;
    std::error_code error;
    const WorkingFolderChoice choice =
        chooseWorkingFolder(std::filesystem::current_path(error), programFolder(), *user);
    if (choice.uncopied) {
        // Before the language file is read, so in English.
        const std::wstring text = L"Could not copy " + choice.uncopied->wstring() + L" into " +
                                  choice.folder.wstring() + L".";
        MessageBoxW(nullptr, text.c_str(), L"Kalivera", MB_OK | MB_ICONWARNING);
    }
    std::filesystem::current_path(choice.folder, error);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    enterWorkingFolder();
    initialiseCommonControls();
    const auto store = makeStore();
    resetStore(*store);
    runMainWindow(instance, *store);
    return 0;
}

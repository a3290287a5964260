#include "instrument/download_dialog.h"

#include <cstdint>
#include <optional>
#include <string>

#include "core/measurement_store.h"
#include "core/win32/controls.h"
#include "core/win32/main_window.h"
#include "core/win32/ui_hooks.h"
#include "core/number_text.h"
#include "instrument/download.h"
#include "instrument/instrument_text.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "language/translation.h"
#include "resources/resource_ids.h"

namespace {

constexpr ControlText DOWNLOAD_TEXTS[] = {
    {IDC_WAITING_FOR_DATA, TEXT_TRANSFER_WAITING},
    {IDCANCEL, TEXT_CANCEL},
};

constexpr UINT_PTR DOWNLOAD_TIMER = 1;

struct DownloadDialog {
    explicit DownloadDialog(MeasurementStore& data) : store(data), download(data) {}

    MeasurementStore& store;
    Download download;
    // The count on screen; redrawn only when it changes.
    std::optional<std::uint32_t> shownCount;
};

DownloadDialog& dialogOf(HWND window) {
    return *reinterpret_cast<DownloadDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The limit sets of phase 2 count on from the text of phase 1, so the
// number only ever grows.
std::uint32_t bytesReceived(const DownloadDialog& dialog) {
    const Download& download = dialog.download;
    const std::uint32_t earlier =
        download.phase() == DownloadPhase::LimitSets ? dialog.store.rawTextLength : 0;
    return earlier + download.receivedCount();
}

void showBytesReceived(HWND window, DownloadDialog& dialog) {
    const std::uint32_t count = bytesReceived(dialog);
    if (dialog.shownCount == count) return;
    dialog.shownCount = count;
    setControlText(window, IDC_RECEIVED_BYTES, asciiToU16(std::to_string(count) + " B"));
}

void endDownload(HWND window, INT_PTR result) {
    KillTimer(window, DOWNLOAD_TIMER);
    EndDialog(window, result);
}

void startDownload(HWND window, DownloadDialog& dialog) {
    translateDialog(window, dialog.store.language, TEXT_TRANSFER_CAPTION, DOWNLOAD_TEXTS);
    showBytesReceived(window, dialog);
    if (!dialog.download.start(uiHooks().openPort)) {
        showError(window, dialog.store.language, TEXT_PORT_NOT_OPENED);
        EndDialog(window, IDCANCEL);
        return;
    }
    SetTimer(window, DOWNLOAD_TIMER, DOWNLOAD_TICK_MS, nullptr);
}

void onTick(HWND window, DownloadDialog& dialog) {
    const TickResult result = dialog.download.tick();
    showBytesReceived(window, dialog);
    if (result == TickResult::Completed) {
        endDownload(window, IDOK);
    } else if (result == TickResult::Failed) {
        endDownload(window, IDCANCEL);
    }
}

// The Stop button, the Escape key and the close box.
void stopDownload(HWND window, DownloadDialog& dialog) {
    dialog.download.stop();
    endDownload(window, IDCANCEL);
}

INT_PTR CALLBACK downloadDialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        startDownload(window, dialogOf(window));
        return TRUE;
    case WM_TIMER:
        if (wParam != DOWNLOAD_TIMER) return FALSE;
        onTick(window, dialogOf(window));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL) return FALSE;
        stopDownload(window, dialogOf(window));
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR runDownloadDialog(HWND owner, MeasurementStore& store) {
    DownloadDialog dialog(store);
    return uiHooks().runDialog(owner, IDD_DOWNLOAD, downloadDialogProcedure,
                               reinterpret_cast<LPARAM>(&dialog));
}

void downloadFromInstrument(HWND window, MeasurementStore& store) {
    if (hasData(store) && !askQuestion(window, store.language, TEXT_ASK_LOAD)) return;
    // Showing the new data shows the form record again: it must hold what was typed.
    readForm(window, store, store.protocolForm);
    if (runDownloadDialog(window, store) != IDOK) {
        resetStore(store);
        updateDataMenus(window, store);
        updateGenerateMenu(window, store);
        return;
    }
    const ParseResult parsed = parseInstrumentText(store, ParseMode::Full);
    if (!parsed.accepted) {
        showError(window, store.language, TEXT_NOT_LOADED);
        return;
    }
    showLoadedData(window, store, parsed.positiveValues);
}

#include "core/win32/ui_hooks.h"

#include "language/language_table.h"
#include "language/text_ids.h"
#include "report/open_document.h"

namespace {

INT_PTR runSystemDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, procedure, parameter);
}

UiHooks& hooksInForce() {
    static UiHooks hooks = systemUiHooks();
    return hooks;
}

}  // namespace

UiHooks systemUiHooks() {
    return {MessageBoxW, GetOpenFileNameW, GetSaveFileNameW, runSystemDialog, openDocument,
            GetLocalTime, openPort};
}

const UiHooks& uiHooks() { return hooksInForce(); }

void setUiHooks(const UiHooks& hooks) { hooksInForce() = hooks; }

int showMessage(HWND owner, std::u16string_view text, std::u16string_view caption, UINT type) {
    const std::u16string boxText(text);
    const std::u16string boxCaption(caption);
    return uiHooks().messageBox(owner, wide(boxText), wide(boxCaption), type);
}

bool askQuestion(HWND owner, const LanguageTable& language, std::size_t textEntry) {
    return showMessage(owner, language.text(textEntry), language.text(TEXT_QUESTION_CAPTION),
                   MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void showError(HWND owner, const LanguageTable& language, std::size_t textEntry) {
    showErrorText(owner, language, language.text(textEntry));
}

void showErrorText(HWND owner, const LanguageTable& language, std::u16string_view text) {
    showMessage(owner, text, language.text(TEXT_ERROR_CAPTION), MB_OK | MB_ICONERROR);
}

void showInformation(HWND owner, std::u16string_view text, std::u16string_view caption) {
    showMessage(owner, text, caption, MB_OK | MB_ICONINFORMATION);
}

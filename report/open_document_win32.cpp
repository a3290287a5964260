#include "report/open_document.h"

#include <windows.h>
#include <exdisp.h>
#include <ole2.h>
#include <shellapi.h>

#include <memory>
#include <string>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

namespace {

// In-process server and handler, local and remote server.
constexpr DWORD BROWSER_CLASS_CONTEXT =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
static_assert(BROWSER_CLASS_CONTEXT == 0x17);

constexpr DWORD BUSY_POLL_MS = 100;
// A browser that stays busy is left to itself after 30 seconds.
constexpr int BUSY_POLLS = 30'000 / BUSY_POLL_MS;

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using ComPtr = std::unique_ptr<Interface, ComRelease>;

struct BstrFree {
    void operator()(BSTR text) const { SysFreeString(text); }
};
using Bstr = std::unique_ptr<OLECHAR, BstrFree>;

// COM on this thread for the life of the object, when this call started it.
class ComSession {
public:
    ComSession() : result_(CoInitialize(nullptr)) {}
    ~ComSession() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComSession(const ComSession&) = delete;
    ComSession& operator=(const ComSession&) = delete;

    // Only a fresh start counts: COM set up by someone else on this thread
    // (S_FALSE) is not ours to drive the browser with.
    bool started() const { return result_ == S_OK; }

private:
    HRESULT result_;
};

// Wine answers every automation call with success but has no engine to
// render the page; its default browser is the desktop's.
bool runningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool openWithDefaultBrowser(const std::wstring& path) {
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

ComPtr<IWebBrowser2> startBrowser() {
    IUnknown* created = nullptr;
    if (FAILED(CoCreateInstance(CLSID_InternetExplorer, nullptr, BROWSER_CLASS_CONTEXT,
                                IID_IUnknown, reinterpret_cast<void**>(&created)))) {
        return nullptr;
    }
    const ComPtr<IUnknown> object(created);
    if (FAILED(OleRun(object.get()))) return nullptr;
    IWebBrowser2* browser = nullptr;
    if (FAILED(object->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)))) {
        return nullptr;
    }
    return ComPtr<IWebBrowser2>(browser);
}

bool showAndNavigate(IWebBrowser2& browser, const std::wstring& path) {
    const Bstr url(SysAllocString(path.c_str()));
    if (!url) return false;
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    return SUCCEEDED(browser.put_Visible(VARIANT_TRUE)) &&
           SUCCEEDED(browser.Navigate(url.get(), &missing, &missing, &missing, &missing));
}

void waitWhileBusy(IWebBrowser2& browser) {
    for (int poll = 0; poll < BUSY_POLLS; ++poll) {
        VARIANT_BOOL busy = VARIANT_FALSE;
        if (FAILED(browser.get_Busy(&busy)) || busy == VARIANT_FALSE) return;
        Sleep(BUSY_POLL_MS);
    }
}

// True once the browser object has taken the document.
bool openThroughAutomation(const std::wstring& path) {
    const ComSession com;
    if (!com.started()) return false;
    const ComPtr<IWebBrowser2> browser = startBrowser();
    if (!browser) return false;
    if (!showAndNavigate(*browser, path)) {
        // Leave no empty or hidden browser behind the fallback.
        browser->Quit();
        return false;
    }
    waitWhileBusy(*browser);
    return true;  // the window stays open for the user
}

}  // namespace

bool openDocument(std::u16string_view path) {
    const std::wstring widePath(path.begin(), path.end());
    if (!runningUnderWine() && openThroughAutomation(widePath)) return true;
    return openWithDefaultBrowser(widePath);
}

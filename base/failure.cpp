#include "base/failure.h"

#include <new>
#include <stdexcept>

#include "base/application.h"
#include "base/errors.h"
#include "base/format.h"
#include "base/text.h"

namespace mt {

std::wstring FailureDisplayText(const std::wstring& message) {
    if (!message.empty() && message.back() > L'.') return message + L".";
    return message;
}

std::wstring SystemErrorText(DWORD code) {
    if (code == 0) return L"";
    wchar_t* buffer = nullptr;
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (n && buffer) text.assign(buffer, n);
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

std::wstring Win32ErrorMessage(DWORD code) {
    if (code == 0) return L"Win32 API 呼び出しに失敗しました";
    return Format(L"Win32 エラー。コード : %d.\n%s", {static_cast<long long>(code), SystemErrorText(code)});
}

void RaiseLastOSError(DWORD code) { throw EOSError(code, Win32ErrorMessage(code)); }

void HandleCurrentFailure() noexcept {
    try {
        std::wstring message;
        try {
            throw;
        } catch (const EAbort&) {
            return;
        } catch (const Exception& e) {
            message = e.Message();
        } catch (const std::bad_alloc&) {
            message = L"メモリが足りません";
        } catch (const std::exception& e) {
            message = Utf8ToWide(e.what());
        } catch (...) {
            message = L"原因不明のエラー";
        }
        // A drag in progress ends before the report.
        if (HWND captured = ::GetCapture()) ::SendMessageW(captured, WM_CANCELMODE, 0, 0);
        std::wstring text = FailureDisplayText(message);
        ::MessageBoxW(Application.MainWindow(), text.c_str(), Application.Title().c_str(), MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Nothing may leave the failure handler.
    }
}

}  // namespace mt

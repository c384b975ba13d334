#include "imagefiles/preview_form.h"

#include <memory>

#include "base/application.h"
#include "base/controls.h"
#include "base/failure.h"
#include "base/window_class.h"
#include "imagefiles/paint_box.h"

namespace mt {
namespace {

constexpr wchar_t kPreviewFormClass[] = L"TPreviewForm";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
constexpr int kDefaultWidth = 320, kDefaultHeight = 240;
constexpr int kInnerBorder = 5;
constexpr wchar_t kEscape = 27;

class TPreviewForm : private WindowTarget {
public:
    TPreviewForm(HWND owner, const TPicture& picture) : picture_(picture) {
        RegisterClass();
        window_.reset(::CreateWindowExW(kExStyle, kPreviewFormClass, L"プレビュー", kStyle, 0, 0, kDefaultWidth,
                                        kDefaultHeight, owner, nullptr, Application.Instance(),
                                        static_cast<WindowTarget*>(this)));
        if (!window_) RaiseLastOSError();
        RECT client;
        ::GetClientRect(Handle(), &client);
        Panel = std::make_unique<TPanel>(Handle(), 0, 0, client.right, client.bottom, L"");
        Panel->BevelOuter = TBevelCut::bvNone;
        Panel->Color = TColor{COLOR_WINDOW};
        ::SetWindowLongW(Panel->Handle(), GWL_STYLE, ::GetWindowLongW(Panel->Handle(), GWL_STYLE) | WS_BORDER);
        ::SetWindowPos(Panel->Handle(), nullptr, 0, 0, 0, 0,
                       SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Image = std::make_unique<TPaintBox>(Panel->Handle(), 0, 0, 0, 0);
        Image->OnPaint = [this](HDC dc, const RECT& r) {
            ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_WINDOW));
            picture_.Draw(dc, r);
        };
        Layout();
        if (picture_.Width() > 0) FitPicture();
        CentreOnScreen();
    }
    TPreviewForm(const TPreviewForm&) = delete;
    TPreviewForm& operator=(const TPreviewForm&) = delete;
    ~TPreviewForm() { window_.reset(); }  // the controls' windows go before their objects

    HWND Handle() const noexcept { return window_.get(); }

    void ShowModal(HWND owner) {
        bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
        if (ownerWasEnabled) ::EnableWindow(owner, FALSE);
        ::ShowWindow(Handle(), SW_SHOWNORMAL);
        ::SetFocus(Handle());
        MSG msg;
        while (!closing_) {
            BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got <= 0) {
                if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            ::TranslateMessage(&msg);
            // Key presses reach the window before its controls.
            if (msg.message == WM_CHAR && msg.wParam == kEscape &&
                (msg.hwnd == Handle() || ::IsChild(Handle(), msg.hwnd))) {
                closing_ = true;
                continue;
            }
            ::DispatchMessageW(&msg);
        }
        if (ownerWasEnabled) ::EnableWindow(owner, TRUE);
        ::ShowWindow(Handle(), SW_HIDE);
        if (owner) ::SetActiveWindow(owner);
    }

    std::unique_ptr<TPanel> Panel;
    std::unique_ptr<TPaintBox> Image;

private:
    static void RegisterClass() {
        WNDCLASSEXW wc{sizeof wc};
        wc.hInstance = Application.Instance();
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kPreviewFormClass;
        if (!RegisterWindowClass(wc)) RaiseLastOSError();
    }

    // The panel fills the client area; the image fills the panel inside its inner border.
    void Layout() {
        if (!Panel || !Image) return;
        RECT client;
        ::GetClientRect(Handle(), &client);
        Panel->SetBounds(0, 0, client.right, client.bottom);
        RECT inside;
        ::GetClientRect(Panel->Handle(), &inside);
        Image->SetBounds(kInnerBorder, kInnerBorder, inside.right - 2 * kInnerBorder,
                         inside.bottom - 2 * kInnerBorder);
    }

    // Client size := client - panel client + picture + 2 * inner border: 1 pixel for 1 pixel.
    void FitPicture() {
        RECT client, panelClient, outer;
        ::GetClientRect(Handle(), &client);
        ::GetClientRect(Panel->Handle(), &panelClient);
        ::GetWindowRect(Handle(), &outer);
        int dw = picture_.Width() + 2 * kInnerBorder - panelClient.right;
        int dh = picture_.Height() + 2 * kInnerBorder - panelClient.bottom;
        ::SetWindowPos(Handle(), nullptr, 0, 0, outer.right - outer.left + dw, outer.bottom - outer.top + dh,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    void CentreOnScreen() {
        RECT r;
        ::GetWindowRect(Handle(), &r);
        int w = r.right - r.left, h = r.bottom - r.top;
        ::SetWindowPos(Handle(), nullptr, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                       (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_SIZE:
            Layout();
            return 0;
        case WM_CHAR:
            if (wp == kEscape) {
                closing_ = true;
                return 0;
            }
            break;
        case WM_CLOSE:
            closing_ = true;
            return 0;
        }
        return ::DefWindowProcW(wnd, msg, wp, lp);
    }

    TPicture picture_;
    OwnedWindow window_;
    bool closing_ = false;
};

}  // namespace

void ShowPreviewForm(HWND owner, const TPicture& picture) {
    TPreviewForm form(owner, picture);
    form.ShowModal(owner);
}

}  // namespace mt

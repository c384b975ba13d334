// Small owners for Windows handles: each closes its handle exactly once.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <utility>

namespace mt {

// What a handle type holds when it owns nothing: null for most; the file
// functions' INVALID_HANDLE_VALUE for files.
struct NoneIsNull {
    template <class H>
    static H value() noexcept { return nullptr; }
};
struct NoneIsInvalid {
    template <class H>
    static H value() noexcept { return INVALID_HANDLE_VALUE; }
};

// Owns one handle and closes it once. Null is never closed either, so a failed
// call's result of either kind may be taken in.
template <class H, auto Close, class None = NoneIsNull>
class Owned {
public:
    explicit Owned(H h = none()) noexcept : h_(h) {}
    Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, none())) {}
    Owned& operator=(Owned&& o) noexcept { reset(std::exchange(o.h_, none())); return *this; }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }
    H get() const noexcept { return h_; }
    H release() noexcept { return std::exchange(h_, none()); }
    bool valid() const noexcept { return h_ != none() && h_ != nullptr; }
    explicit operator bool() const noexcept { return valid(); }
    void reset(H h = none()) noexcept {
        if (valid()) Close(h_);
        h_ = h;
    }
private:
    static H none() noexcept { return None::template value<H>(); }
    H h_;
};

inline void CloseGdiObject(HGDIOBJ h) noexcept { ::DeleteObject(h); }
inline void CloseDC(HDC h) noexcept { ::DeleteDC(h); }
inline void CloseKernelHandle(HANDLE h) noexcept { ::CloseHandle(h); }
inline void CloseGlobal(HGLOBAL h) noexcept { ::GlobalFree(h); }
inline void CloseIcon(HICON h) noexcept { ::DestroyIcon(h); }
inline void CloseWindowHandle(HWND h) noexcept { ::DestroyWindow(h); }
inline void CloseDrop(HDROP h) noexcept { ::DragFinish(h); }
inline void CloseLocal(HLOCAL h) noexcept { ::LocalFree(h); }
inline void CloseHook(HHOOK h) noexcept { ::UnhookWindowsHookEx(h); }
inline void CloseMenu(HMENU h) noexcept { ::DestroyMenu(h); }

using OwnedBitmap = Owned<HBITMAP, &CloseGdiObject>;
using OwnedBrush = Owned<HBRUSH, &CloseGdiObject>;
using OwnedPen = Owned<HPEN, &CloseGdiObject>;
using OwnedFont = Owned<HFONT, &CloseGdiObject>;
using OwnedPalette = Owned<HPALETTE, &CloseGdiObject>;
using OwnedMemDC = Owned<HDC, &CloseDC>;        // CreateCompatibleDC / CreateDC / CreateIC
using OwnedGlobal = Owned<HGLOBAL, &CloseGlobal>;
using OwnedIcon = Owned<HICON, &CloseIcon>;
using OwnedWindow = Owned<HWND, &CloseWindowHandle>;
using OwnedDrop = Owned<HDROP, &CloseDrop>;     // the files of one WM_DROPFILES
using OwnedLocal = Owned<HLOCAL, &CloseLocal>;  // LocalAlloc'd by the system for the caller
using OwnedFile = Owned<HANDLE, &CloseKernelHandle, NoneIsInvalid>;  // CreateFile's
using OwnedHandle = Owned<HANDLE, &CloseKernelHandle>;  // events, threads, processes (null on failure)
using OwnedHook = Owned<HHOOK, &CloseHook>;
using OwnedMenu = Owned<HMENU, &CloseMenu>;

// A DC from GetDC/GetWindowDC that remembers its window, so ReleaseDC gets both.
class WindowDC {
public:
    explicit WindowDC(HWND wnd) noexcept : wnd_(wnd), dc_(::GetDC(wnd)) {}
    static WindowDC ForWholeWindow(HWND wnd) noexcept { return WindowDC(wnd, ::GetWindowDC(wnd)); }
    WindowDC(WindowDC&& o) noexcept
        : wnd_(std::exchange(o.wnd_, nullptr)), dc_(std::exchange(o.dc_, nullptr)) {}
    WindowDC& operator=(WindowDC&&) = delete;
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC() {
        if (dc_) ::ReleaseDC(wnd_, dc_);
    }
    HDC get() const noexcept { return dc_; }
    HWND window() const noexcept { return wnd_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }
private:
    WindowDC(HWND wnd, HDC dc) noexcept : wnd_(wnd), dc_(dc) {}
    HWND wnd_;
    HDC dc_;
};

// BeginPaint/EndPaint pair.
class PaintDC {
public:
    explicit PaintDC(HWND wnd) noexcept : wnd_(wnd) { dc_ = ::BeginPaint(wnd, &ps_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { ::EndPaint(wnd_, &ps_); }
    HDC get() const noexcept { return dc_; }
    const PAINTSTRUCT& info() const noexcept { return ps_; }
private:
    HWND wnd_;
    HDC dc_;
    PAINTSTRUCT ps_{};
};

// Selects an object into a DC and puts the previous one back.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(obj ? ::SelectObject(dc, obj) : nullptr) {}
    SelectGuard(SelectGuard&& o) noexcept
        : dc_(std::exchange(o.dc_, nullptr)), old_(std::exchange(o.old_, nullptr)) {}
    SelectGuard& operator=(SelectGuard&&) = delete;
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (dc_ && old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }
private:
    HDC dc_;
    HGDIOBJ old_;
};

// Selects a palette into a DC and puts the previous one back.
class PaletteGuard {
public:
    PaletteGuard(HDC dc, HPALETTE pal, BOOL background = FALSE) noexcept
        : dc_(dc), old_(pal ? ::SelectPalette(dc, pal, background) : nullptr) {}
    PaletteGuard(const PaletteGuard&) = delete;
    PaletteGuard& operator=(const PaletteGuard&) = delete;
    ~PaletteGuard() {
        if (old_) ::SelectPalette(dc_, old_, TRUE);
    }
private:
    HDC dc_;
    HPALETTE old_;
};

// Restores a DC's state (SaveDC/RestoreDC).
class SavedDCState {
public:
    explicit SavedDCState(HDC dc) noexcept : dc_(dc), id_(::SaveDC(dc)) {}
    SavedDCState(const SavedDCState&) = delete;
    SavedDCState& operator=(const SavedDCState&) = delete;
    ~SavedDCState() {
        if (id_) ::RestoreDC(dc_, id_);
    }
private:
    HDC dc_;
    int id_;
};

// A locked view of a movable global memory block; unlocks when it ends.
template <class T = void>
class GlobalView {
public:
    explicit GlobalView(HGLOBAL h) noexcept : h_(h), p_(h ? static_cast<T*>(::GlobalLock(h)) : nullptr) {}
    GlobalView(const GlobalView&) = delete;
    GlobalView& operator=(const GlobalView&) = delete;
    ~GlobalView() {
        if (p_) ::GlobalUnlock(h_);
    }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
private:
    HGLOBAL h_;
    T* p_;
};

// The clipboard, opened for a window for a scope; closed when it ends.
class ClipboardScope {
public:
    explicit ClipboardScope(HWND owner) noexcept : open_(::OpenClipboard(owner) != FALSE) {}
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    ~ClipboardScope() {
        if (open_) ::CloseClipboard();
    }
    explicit operator bool() const noexcept { return open_; }
private:
    bool open_;
};

}  // namespace mt

// The main window's control kinds. Every control is a real child window whose
// text can be read with WM_GETTEXT; a control's object is found from its window.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/bitmap.h"
#include "base/handles.h"
#include "base/window_class.h"

namespace mt {

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64;
TShiftState ShiftStateFromKeys(WPARAM keys);
// Shift, Ctrl and Alt as the keyboard holds them for the message being handled.
TShiftState KeyShiftState() noexcept;

// System colours are kept as indices so they follow the user's settings.
struct TColor {
    int sysIndex = COLOR_BTNFACE;
    COLORREF Rgb() const { return ::GetSysColor(sysIndex); }
};

class TControl : private WindowTarget {
public:
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;
    virtual ~TControl() = default;

    HWND Handle() const noexcept { return hwnd_; }
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetBounds(int left, int top, int width, int height);

    std::wstring Caption() const;
    void SetCaption(const std::wstring& text);

    // Hover hint: shown only when ShowHint is set.
    std::wstring Hint;
    bool ShowHint = false;

    void Invalidate() const { ::InvalidateRect(hwnd_, nullptr, FALSE); }

    // The object behind a window made by this program (nullptr for others).
    static TControl* FromHandle(HWND wnd);

protected:
    TControl() = default;
    // Creates the window of a registered class of this program.
    void CreateOwnWindow(const wchar_t* className, HWND parent, DWORD style, DWORD exStyle, int left, int top,
                         int width, int height, const std::wstring& text);
    void Adopt(HWND wnd);
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);
    static void RegisterOwnClass(const wchar_t* className, UINT classStyle, HCURSOR cursor);
    HWND hwnd_ = nullptr;

private:
    LRESULT WindowMessage(HWND, UINT msg, WPARAM wp, LPARAM lp) override { return WndProc(msg, wp, lp); }
    void WindowAttached(HWND wnd) noexcept override { hwnd_ = wnd; }
    void WindowDetached(HWND wnd) noexcept override;
};

// The hourglass while something long runs on the window's thread (opening a
// clip indexes it); the cursor before it comes back after.
class WaitCursor {
public:
    WaitCursor() noexcept : old_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { ::SetCursor(old_); }

private:
    HCURSOR old_;
};

// A control that reports mouse presses, moves and releases. The left button
// captures the mouse until it is released; the other buttons do not.
class TMouseControl : public TControl {
public:
    std::function<void(TMouseButton, TShiftState, int, int)> OnMouseDown;
    std::function<void(TShiftState, int, int)> OnMouseMove;
    std::function<void(TMouseButton, TShiftState, int, int)> OnMouseUp;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class TButton : public TControl {
public:
    TButton(HWND parent, int left, int top, int width, int height, const std::wstring& text);
    std::function<void()> OnClick;
    void Click() {
        if (OnClick) OnClick();
    }
};

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TMouseControl {
public:
    TPanel(HWND parent, int left, int top, int width, int height, const std::wstring& text);
    TBevelCut BevelOuter = TBevelCut::bvRaised;
    TBevelCut BevelInner = TBevelCut::bvNone;
    TColor Color{COLOR_BTNFACE};
    // Draws the panel's own look (background, bevels, centred caption) into dc,
    // whose origin is the panel's top-left corner.
    void PaintPanel(HDC dc) const;
    // Draws over the panel's own look on every repaint (what the panel shows inside).
    std::function<void(HDC)> OnPaint;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

class TLabel : public TControl {
public:
    TLabel(HWND parent, int left, int top, int width, int height, const std::wstring& text, bool autoSize);
    // Sets the text and has the label repaint; the same text again changes nothing.
    void SetCaption(const std::wstring& text);
    bool AutoSize = false;
    void PaintLabel(HDC dc) const;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    std::wstring text_;  // the window's text, kept for changes and repaints
};

class TSpeedButton : public TControl {
public:
    TSpeedButton(HWND parent, int left, int top, int width, int height, HBITMAP glyphStrip);
    std::function<void()> OnClick;
    void Click() {
        if (OnClick) OnClick();
    }
    // A right-click (or the menu key): where its menu goes, in screen pixels.
    std::function<void(int x, int y)> OnContextPopup;
    void PaintButton(HDC dc) const;
    HBITMAP Glyph() const noexcept { return glyph_.get(); }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    OwnedBitmap glyph_;
    bool down_ = false;
};

// Where the changes of a TImage's picture are kept for undo: the seam between
// those who change the picture (a copy, a load) and the still image's history.
class PictureHistory {
public:
    // Runs before a copy draws into `area` (bitmap pixels) of the picture; a
    // null picture is about to be created by the copy.
    virtual void Changing(const std::unique_ptr<TBitmap>& picture, const RECT& area) = 0;
    // A load: the picture becomes `loaded`, one step.
    virtual void Replace(std::unique_ptr<TBitmap>& picture, std::unique_ptr<TBitmap> loaded) = 0;

protected:
    ~PictureHistory() = default;
};

// Shows the still image stretched to its own size; the picture it owns is the
// one still image of the program.
class TImage : public TMouseControl {
public:
    TImage(TPanel* parent, int left, int top, int width, int height);
    std::unique_ptr<TBitmap> Picture;
    // Where the changes of Picture are kept for undo (the still image's
    // history, owned by the window); none: changes are not kept.
    PictureHistory* History = nullptr;
    bool Stretch = true;
    // Draws what the control shows: the picture stretched, or the parent
    // panel's look where there is none.
    void PaintImage(HDC dc) const;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    TPanel* parentPanel_;
};

void RegisterControlClasses();

}  // namespace mt

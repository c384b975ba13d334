// A plain drawing surface: whatever its owner paints, plus a double-click.
#pragma once
#include <windows.h>

#include <functional>

#include "base/controls.h"

namespace mt {

class TPaintBox : public TControl {
public:
    TPaintBox(HWND parent, int left, int top, int width, int height);
    // Draws the whole box into dc; rect is the client rectangle.
    std::function<void(HDC dc, const RECT& rect)> OnPaint;
    std::function<void()> OnDblClick;
    void PaintTo(HDC dc) const;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

}  // namespace mt

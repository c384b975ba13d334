// A shown main window for the still-image tests, with helpers that drive it by
// real mouse messages and read back what it shows.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/form1.h"
#include "common/pixels.h"

namespace mt::test {

constexpr std::uint32_t kWhite = 0xFFFFFF;

// Draws a pattern of distinct colours straight onto the window's client area
// (where the video would be drawn), different for each seed.
void PaintPattern(HWND wnd, int width, int height, unsigned seed);
std::uint32_t PatternColor(int x, int y, unsigned seed);

// Real input through the system's input queue (SendInput): the system picks the
// receiving window, honouring mouse capture.
void MouseMoveTo(HWND wnd, int x, int y);
void MouseButton(DWORD flags);  // MOUSEEVENTF_LEFTDOWN, ...

class StillTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Posts a mouse message with client coordinates to a control and handles it.
    void Post(HWND wnd, UINT msg, WPARAM keys, int x, int y);
    HWND Panel1() const { return form->Panel1->Handle(); }
    HWND Image1() const { return form->Image1->Handle(); }
    std::wstring Label(TLabel& label) const;
    // Waits until SendInput's messages have been handled (the cursor is at the point).
    bool HandleInput();

    std::unique_ptr<TForm1> form;
};

}  // namespace mt::test

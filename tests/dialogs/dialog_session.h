// Drives a real picture dialog: the test's thread runs the dialog while a
// second thread works it as a user would (selecting files in its list,
// clicking the preview button) and notes what it shows.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/dialog_driver.h"
#include "common/form_fixture.h"

namespace mt::test {

// Runs show() on this thread while a driver runs script(dialog) on the file
// dialog it shows (see DialogDriver: what the script leaves open is closed).
struct DialogRun {
    bool result = false;
    bool seen = false;
    int strayBoxes = 0;
};
DialogRun RunDialog(const std::function<bool()>& show, const std::function<void(HWND dialog)>& script);

// ---- For the script's thread ----

// Selects the entry of the dialog's file list shown as name (or name without
// its extension), as a click on it would; false when it is not listed.
bool SelectInList(HWND dialog, const std::wstring& name);
// Waits until the file list shows the name, as after a typed pattern.
bool WaitListed(HWND dialog, const std::wstring& name);
// The first descendant of a window with the given class.
HWND FindDescendant(HWND parent, const std::wstring& className);

// What a window shows now, 0x00RRGGBB per pixel, read from its surface.
struct Capture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureClient(HWND wnd);
bool Near(std::uint32_t rgb, std::uint32_t expected, int tolerance = 48);
std::uint32_t Rgb(COLORREF c);

// ---- Files ----

// A 24-bit BMP whose left half is `left` and right half `right` (0x00RRGGBB).
void WriteBmp(const std::string& path, int width, int height, std::uint32_t left, std::uint32_t right);
// A JPEG made by the program's encoder, left half `left`, right half `right`.
void WriteJpeg(const std::string& path, int width, int height, std::uint32_t left, std::uint32_t right);
void WriteText(const std::string& path, const std::string& bytes);

// The main window and a scratch folder that the picture dialogs start in.
class PictureDialogTest : public FormTest {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string& name) const { return folder + "\\" + name; }
    std::string folder;
};

}  // namespace mt::test

// The main window's clipboard handlers: the still image goes out as a
// device-independent bitmap and comes in as a load does.
#include <cstring>

#include "app/form1.h"
#include "base/clipboard.h"
#include "base/failure.h"
#include "imagefiles/bmp_io.h"
#include "imagefiles/picture_files.h"

namespace mt {
namespace {

// A bitmap the clipboard holds, copied into a display-format picture of its size.
std::unique_ptr<TBitmap> CopyOfBitmap(HBITMAP bitmap) {
    BITMAP info{};
    if (!::GetObjectW(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return nullptr;
    auto copy = std::make_unique<TBitmap>(TBitmap::CreateWhiteScreenCompatible(info.bmWidth, info.bmHeight));
    OwnedMemDC dc(::CreateCompatibleDC(copy->Canvas()));
    if (!dc) RaiseLastOSError();
    SelectGuard selected(dc.get(), bitmap);
    ::BitBlt(copy->Canvas(), 0, 0, info.bmWidth, info.bmHeight, dc.get(), 0, 0, SRCCOPY);
    return copy;
}

// The picture on the clipboard: a device-independent bitmap, checked as a BMP
// file is, else a bitmap; none when it holds neither.
std::unique_ptr<TBitmap> PictureOnClipboard(HWND owner) {
    ClipboardScope clipboard(owner);
    if (!clipboard) RaiseLastOSError();
    for (UINT format : {CF_DIB, CF_DIBV5}) {
        if (!::IsClipboardFormatAvailable(format)) continue;
        HGLOBAL block = ::GetClipboardData(format);
        GlobalView<const std::uint8_t> dib(block);
        if (!dib) continue;
        return std::make_unique<TBitmap>(LoadPackedDib({dib.get(), ::GlobalSize(block)}));
    }
    if (::IsClipboardFormatAvailable(CF_BITMAP))
        if (auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP))) return CopyOfBitmap(bitmap);
    return nullptr;
}

}  // namespace

// Runs for Ctrl+C: the still image, at its size and depth with its colour
// table, replaces what the clipboard holds. Nothing without a still image.
void TForm1::CopyStill() {
    if (!Image1->Picture) return;
    std::vector<std::uint8_t> dib = PackedDib(*Image1->Picture);
    if (dib.empty()) return;
    SetClipboardBytes(hwnd_, CF_DIB, dib.data(), dib.size());
}

// Runs for Ctrl+V: a bitmap on the clipboard becomes the still image, as a
// loaded picture does; nothing when the clipboard holds none. A malformed one
// is refused and leaves the still image as it was.
void TForm1::PasteStill() {
    std::unique_ptr<TBitmap> pasted = PictureOnClipboard(hwnd_);
    if (pasted) InstallPicture(*Image1, std::move(pasted), false);
}

}  // namespace mt

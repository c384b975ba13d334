#include "video/frame_display.h"

#include <algorithm>
#include <cstdlib>

namespace mt {
namespace {

// One status item of a device, asked directly; nullopt when the device cannot tell.
std::optional<DWORD_PTR> DeviceStatus(MCIDEVICEID device, DWORD item) {
    MCI_STATUS_PARMS p{};
    p.dwItem = item;
    if (::mciSendCommandA(device, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&p)) != 0)
        return std::nullopt;
    return p.dwReturn;
}

}  // namespace

bool TFrameDisplay::DeviceDrawsSteppedFrames() {
    static const bool draws = [] {
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll");
        return !(ntdll && ::GetProcAddress(ntdll, "wine_get_version"));
    }();
    return draws;
}

bool TFrameDisplay::Open(const std::string& file) {
    Close();
    library_.emplace();
    PAVISTREAM stream = nullptr;
    if (::AVIStreamOpenFromFileA(&stream, file.c_str(), streamtypeVIDEO, 0, OF_READ | OF_SHARE_DENY_NONE, nullptr) ==
        0)
        stream_.reset(stream);
    // The codec's own output format: the colours the device shows while playing.
    if (stream_) reader_.reset(::AVIStreamGetFrameOpen(stream_.get(), nullptr));
    if (!reader_) {
        Close();
        return false;
    }
    start_ = ::AVIStreamStart(stream_.get());
    length_ = ::AVIStreamLength(stream_.get());
    return true;
}

void TFrameDisplay::Close() noexcept {
    reader_.reset();
    stream_.reset();
    library_.reset();
    start_ = length_ = 0;
}

bool TFrameDisplay::DrawCurrent(MCIDEVICEID device, HDC dc, const RECT& dest, bool whilePlaying) {
    if (!IsOpen() || device == 0) return false;
    if (!whilePlaying && DeviceStatus(device, MCI_STATUS_MODE) == std::optional<DWORD_PTR>(MCI_MODE_PLAY))
        return false;
    auto position = DeviceStatus(device, MCI_STATUS_POSITION);
    return position && Draw(dc, dest, static_cast<long>(*position));
}

bool TFrameDisplay::Draw(HDC dc, const RECT& dest, long frame) {
    if (!IsOpen() || length_ <= 0 || dest.right <= dest.left || dest.bottom <= dest.top) return false;
    frame = std::clamp(frame, 0L, length_ - 1);
    const auto* info = static_cast<const BITMAPINFOHEADER*>(::AVIStreamGetFrame(reader_.get(), start_ + frame));
    if (!info || info->biWidth <= 0 || info->biHeight == 0) return false;
    DWORD colours = info->biClrUsed ? info->biClrUsed : (info->biBitCount <= 8 ? 1u << info->biBitCount : 0);
    DWORD masks = info->biCompression == BI_BITFIELDS && info->biSize == sizeof(BITMAPINFOHEADER) ? 12 : 0;
    const auto* bits = reinterpret_cast<const BYTE*>(info) + info->biSize + masks + colours * sizeof(RGBQUAD);
    SavedDCState saved(dc);
    ::SetStretchBltMode(dc, COLORONCOLOR);
    return ::StretchDIBits(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, 0, 0,
                           info->biWidth, std::abs(info->biHeight), bits, reinterpret_cast<const BITMAPINFO*>(info),
                           DIB_RGB_COLORS, SRCCOPY) != 0;
}

}  // namespace mt

#include "base/clipboard.h"

#include <cstdint>
#include <cstring>

#include "base/failure.h"
#include "base/handles.h"

namespace mt {

void SetClipboardBytes(HWND owner, UINT format, const void* bytes, std::size_t size) {
    OwnedGlobal block(::GlobalAlloc(GMEM_MOVEABLE, size));
    if (!block) RaiseLastOSError();
    {
        GlobalView<std::uint8_t> view(block.get());
        if (!view) RaiseLastOSError();
        std::memcpy(view.get(), bytes, size);
    }
    ClipboardScope clipboard(owner);
    if (!clipboard || !::EmptyClipboard()) RaiseLastOSError();
    if (!::SetClipboardData(format, block.get())) RaiseLastOSError();
    block.release();  // the clipboard owns it now
}

}  // namespace mt

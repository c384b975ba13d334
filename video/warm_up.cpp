#include "video/warm_up.h"

namespace mt {

bool PrepareDecoderAtStart(bool fileOnCommandLine, const std::function<bool(const wchar_t* systemFile)>& inSystemFolder) {
    if (fileOnCommandLine) return false;
    return inSystemFolder(L"mfplat.dll") && inSystemFolder(L"mfreadwrite.dll");
}

}  // namespace mt

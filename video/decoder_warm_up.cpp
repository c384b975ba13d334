#include "video/decoder_warm_up.h"

#include <string>
#include <system_error>

#include "video/frame_source.h"
#include "video/warm_up.h"

namespace mt {
namespace {

// Looks for a file, without loading it.
bool InSystemFolder(const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return false;
    const std::wstring path = std::wstring(folder) + L"\\" + name;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Runs on the worker thread, below the window's thread: its paints and answers
// come first.
bool Prepare() {
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    return PrepareMediaFoundation();
}

}  // namespace

DecoderWarmUp::DecoderWarmUp() : job_(&Prepare) {}

std::unique_ptr<DecoderWarmUp> DecoderWarmUp::AtStart(bool fileOnCommandLine) {
    if (!PrepareDecoderAtStart(fileOnCommandLine, &InSystemFolder)) return nullptr;
    return Start();
}

std::unique_ptr<DecoderWarmUp> DecoderWarmUp::Start() {
    try {
        return std::unique_ptr<DecoderWarmUp>(new DecoderWarmUp);
    } catch (const std::system_error&) {
        return nullptr;  // no thread: the first clip starts the decoder itself
    }
}

}  // namespace mt

#include "video/decoder_warm_up.h"

#include <string>

#include "base/failure.h"
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

}  // namespace

std::unique_ptr<DecoderWarmUp> DecoderWarmUp::AtStart(bool fileOnCommandLine) {
    if (!PrepareDecoderAtStart(fileOnCommandLine, &InSystemFolder)) return nullptr;
    return Start();
}

std::unique_ptr<DecoderWarmUp> DecoderWarmUp::Start() {
    std::unique_ptr<DecoderWarmUp> warmUp(new DecoderWarmUp);
    warmUp->thread_.reset(::CreateThread(nullptr, 0, &DecoderWarmUp::Run, warmUp.get(), CREATE_SUSPENDED, nullptr));
    if (!warmUp->thread_) return nullptr;
    // Below the window's thread: its paints and answers come first.
    ::SetThreadPriority(warmUp->thread_.get(), THREAD_PRIORITY_BELOW_NORMAL);
    ::ResumeThread(warmUp->thread_.get());
    return warmUp;
}

bool DecoderWarmUp::Finish(DWORD ms) const noexcept {
    return !thread_ || ::WaitForSingleObject(thread_.get(), ms) == WAIT_OBJECT_0;
}

// A back end that never answers does not hold the program's exit for long.
DecoderWarmUp::~DecoderWarmUp() { Finish(10000); }

DWORD WINAPI DecoderWarmUp::Run(void* self) noexcept {
    auto& warmUp = *static_cast<DecoderWarmUp*>(self);
    Guarded([&] { warmUp.prepared_ = PrepareMediaFoundation(); });
    return 0;
}

}  // namespace mt

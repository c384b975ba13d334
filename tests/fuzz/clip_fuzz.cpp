// libFuzzer target: a clip file's header, the MP4 and MOV box walk and sample
// tables included, on arbitrary bytes taken as the whole file. Built natively
// with AddressSanitizer and UndefinedBehaviorSanitizer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "video/clip_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const mt::ClipHeader header = mt::ReadClipFile([&](std::uint64_t at, std::uint8_t* to, std::size_t want) {
        if (at >= size) return std::size_t{0};
        const std::size_t got = std::min<std::uint64_t>(want, size - at);
        std::memcpy(to, data + at, got);
        return got;
    });
    // Times in display order from 0, never more frames than the file could describe.
    if (!header.frameTimes.empty() && header.frameTimes.front() != 0) __builtin_trap();
    if (!std::is_sorted(header.frameTimes.begin(), header.frameTimes.end())) __builtin_trap();
    if (header.frameTimes.size() > 1'000'000) __builtin_trap();
    return 0;
}

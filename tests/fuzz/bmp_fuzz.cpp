// libFuzzer target: the BMP header reader and run-length check on arbitrary
// bytes. Built natively with AddressSanitizer and UndefinedBehaviorSanitizer.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "base/errors.h"
#include "imagefiles/bmp_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mt::bmp;
    try {
        Layout l = Parse({data, std::min(size, kHeadBytes)}, size);
        if (l.empty) return 0;
        // What the reader goes on to read must lie inside the file and, for
        // uncompressed data, inside the bitmap it allocates.
        if (l.pixelOffset > size || l.pixelBytes > size - l.pixelOffset) __builtin_trap();
        if (l.format.colors.size() > kMaxColors) __builtin_trap();
        if (ImageBytes(l.format) > (std::uint64_t{1} << 28)) __builtin_trap();
        if (l.retained) {
            CheckRle(l.format, {data + l.pixelOffset, l.pixelBytes});
            BuildRetainedFileHeader(size - kFileHeaderSize, static_cast<std::uint32_t>(l.pixelOffset));
        } else {
            if (l.pixelBytes > ImageBytes(l.format)) __builtin_trap();
            BuildHeaders(l.format, static_cast<std::uint32_t>(ImageBytes(l.format)));
        }
    } catch (const mt::Exception&) {
    }
    return 0;
}

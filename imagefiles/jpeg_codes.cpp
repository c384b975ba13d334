// The program reports libjpeg's message codes as the classic IJG library
// (version 6) numbers them; the library in use added and dropped a few codes,
// so codes are matched by name.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>
#include <jerror.h>

#include "imagefiles/jpeg_codec.h"

namespace mt::jpeg {
namespace {

#define JMESSAGE(code, string) #code,
const char* const kLibraryNames[] = {
#include <jerror.h>
};

const char* const kClassicNames[] = {
    "JMSG_NOMESSAGE", "JERR_ARITH_NOTIMPL", "JERR_BAD_ALIGN_TYPE", "JERR_BAD_ALLOC_CHUNK",
    "JERR_BAD_BUFFER_MODE", "JERR_BAD_COMPONENT_ID", "JERR_BAD_DCTSIZE", "JERR_BAD_IN_COLORSPACE",
    "JERR_BAD_J_COLORSPACE", "JERR_BAD_LENGTH", "JERR_BAD_LIB_VERSION", "JERR_BAD_MCU_SIZE",
    "JERR_BAD_POOL_ID", "JERR_BAD_PRECISION", "JERR_BAD_PROGRESSION", "JERR_BAD_PROG_SCRIPT",
    "JERR_BAD_SAMPLING", "JERR_BAD_SCAN_SCRIPT", "JERR_BAD_STATE", "JERR_BAD_STRUCT_SIZE",
    "JERR_BAD_VIRTUAL_ACCESS", "JERR_BUFFER_SIZE", "JERR_CANT_SUSPEND", "JERR_CCIR601_NOTIMPL",
    "JERR_COMPONENT_COUNT", "JERR_CONVERSION_NOTIMPL", "JERR_DAC_INDEX", "JERR_DAC_VALUE",
    "JERR_DHT_COUNTS", "JERR_DHT_INDEX", "JERR_DQT_INDEX", "JERR_EMPTY_IMAGE",
    "JERR_EMS_READ", "JERR_EMS_WRITE", "JERR_EOI_EXPECTED", "JERR_FILE_READ",
    "JERR_FILE_WRITE", "JERR_FRACT_SAMPLE_NOTIMPL", "JERR_HUFF_CLEN_OVERFLOW", "JERR_HUFF_MISSING_CODE",
    "JERR_IMAGE_TOO_BIG", "JERR_INPUT_EMPTY", "JERR_INPUT_EOF", "JERR_MISMATCHED_QUANT_TABLE",
    "JERR_MISSING_DATA", "JERR_MODE_CHANGE", "JERR_NOTIMPL", "JERR_NOT_COMPILED",
    "JERR_NO_BACKING_STORE", "JERR_NO_HUFF_TABLE", "JERR_NO_IMAGE", "JERR_NO_QUANT_TABLE",
    "JERR_NO_SOI", "JERR_OUT_OF_MEMORY", "JERR_QUANT_COMPONENTS", "JERR_QUANT_FEW_COLORS",
    "JERR_QUANT_MANY_COLORS", "JERR_SOF_DUPLICATE", "JERR_SOF_NO_SOS", "JERR_SOF_UNSUPPORTED",
    "JERR_SOI_DUPLICATE", "JERR_SOS_NO_SOF", "JERR_TFILE_CREATE", "JERR_TFILE_READ",
    "JERR_TFILE_SEEK", "JERR_TFILE_WRITE", "JERR_TOO_LITTLE_DATA", "JERR_UNKNOWN_MARKER",
    "JERR_VIRTUAL_BUG", "JERR_WIDTH_OVERFLOW", "JERR_XMS_READ", "JERR_XMS_WRITE",
    "JMSG_COPYRIGHT", "JMSG_VERSION", "JTRC_16BIT_TABLES", "JTRC_ADOBE",
    "JTRC_APP0", "JTRC_APP14", "JTRC_DAC", "JTRC_DHT",
    "JTRC_DQT", "JTRC_DRI", "JTRC_EMS_CLOSE", "JTRC_EMS_OPEN",
    "JTRC_EOI", "JTRC_HUFFBITS", "JTRC_JFIF", "JTRC_JFIF_BADTHUMBNAILSIZE",
    "JTRC_JFIF_MINOR", "JTRC_JFIF_THUMBNAIL", "JTRC_MISC_MARKER", "JTRC_PARMLESS_MARKER",
    "JTRC_QUANTVALS", "JTRC_QUANT_3_NCOLORS", "JTRC_QUANT_NCOLORS", "JTRC_QUANT_SELECTED",
    "JTRC_RECOVERY_ACTION", "JTRC_RST", "JTRC_SMOOTH_NOTIMPL", "JTRC_SOF",
    "JTRC_SOF_COMPONENT", "JTRC_SOI", "JTRC_SOS", "JTRC_SOS_COMPONENT",
    "JTRC_SOS_PARAMS", "JTRC_TFILE_CLOSE", "JTRC_TFILE_OPEN", "JTRC_UNKNOWN_IDS", "JTRC_XMS_CLOSE",
    "JTRC_XMS_OPEN", "JWRN_ADOBE_XFORM", "JWRN_BOGUS_PROGRESSION", "JWRN_EXTRANEOUS_DATA",
    "JWRN_HIT_MARKER", "JWRN_HUFF_BAD_CODE", "JWRN_JFIF_MAJOR", "JWRN_JPEG_EOF",
    "JWRN_MUST_RESYNC", "JWRN_NOT_SEQUENTIAL", "JWRN_TOO_MUCH_DATA",
};

}  // namespace

int ClassicMessageCode(int libraryCode) {
    constexpr int kLibraryCount = static_cast<int>(sizeof kLibraryNames / sizeof *kLibraryNames);
    if (libraryCode < 0 || libraryCode >= kLibraryCount) return libraryCode;
    const char* name = kLibraryNames[libraryCode];
    for (std::size_t i = 0; i < sizeof kClassicNames / sizeof *kClassicNames; ++i)
        if (std::strcmp(kClassicNames[i], name) == 0) return static_cast<int>(i);
    return libraryCode;
}

}  // namespace mt::jpeg

#include "base/paths.h"

namespace mt {
namespace {
// Positions of the path separators and the drive colon, honouring double-byte
// characters of code page 932.
size_t LastDelimiter(const std::string& s, const char* delims) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        if (lead && i + 1 < s.size()) {
            ++i;
            continue;
        }
        for (const char* d = delims; *d; ++d)
            if (s[i] == *d) last = i;
    }
    return last;
}
}  // namespace

std::string FolderOfPath(const std::string& path) {
    size_t pos = LastDelimiter(path, "\\/:");
    if (pos == std::string::npos) return {};
    std::string folder = path.substr(0, pos + 1);
    // Drop the trailing separator unless what is left is a drive root like "C:\".
    if (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) {
        size_t prev = LastDelimiter(folder.substr(0, folder.size() - 1), "\\/:");
        bool driveRoot = prev != std::string::npos && folder[prev] == ':' && prev == folder.size() - 2;
        if (!driveRoot) folder.pop_back();
    }
    return folder;
}

std::string ExtensionOf(const std::string& path) {
    size_t pos = LastDelimiter(path, ".\\/:");
    if (pos == std::string::npos || path[pos] != '.') return {};
    return path.substr(pos);
}

std::string UpperAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace mt

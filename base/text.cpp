#include "base/text.h"

#include <windows.h>

namespace mt {
namespace {

std::wstring ToWide(UINT codePage, std::string_view s) {
    if (s.empty()) return {};
    int n = ::MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string FromWide(UINT codePage, std::wstring_view s) {
    if (s.empty()) return {};
    int n = ::WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(codePage, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring AnsiToWide(std::string_view ansi) { return ToWide(CP_ACP, ansi); }
std::string WideToAnsi(std::wstring_view wide) { return FromWide(CP_ACP, wide); }
std::wstring Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }
std::string WideToUtf8(std::wstring_view wide) { return FromWide(CP_UTF8, wide); }

std::optional<std::string> AnsiFileName(const std::wstring& name) {
    auto exact = [](const std::wstring& wide) -> std::optional<std::string> {
        std::string ansi = WideToAnsi(wide);
        if (wide.empty() || AnsiToWide(ansi) != wide) return std::nullopt;
        return ansi;
    };
    if (auto ansi = exact(name)) return ansi;
    DWORD n = ::GetShortPathNameW(name.c_str(), nullptr, 0);
    if (n == 0) return std::nullopt;
    std::wstring shortName(n, L'\0');
    n = ::GetShortPathNameW(name.c_str(), shortName.data(), n);
    if (n == 0 || n >= shortName.size()) return std::nullopt;
    shortName.resize(n);
    return exact(shortName);
}

}  // namespace mt

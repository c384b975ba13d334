#include "common/unix_shell.h"

#include <filesystem>
#include <fstream>

#include "base/text.h"
#include "common/pump.h"

namespace mt::test {

std::wstring WindowsPath(const std::string& unixPath) {
    std::wstring w = L"Z:";
    for (char c : unixPath) w.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return w;
}

std::string UnixPath(const std::wstring& windowsPath) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    char* unix = toUnix ? toUnix(windowsPath.c_str()) : nullptr;
    if (!unix) return "";
    std::string out(unix);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return out;
}

int RunUnix(const std::string& script, const std::string& statusFile, DWORD timeoutMs) {
    const std::wstring status = WindowsPath(statusFile);
    ::DeleteFileW(status.c_str());
    std::string line = "/bin/sh -c \"(" + script + "); echo $? > '" + statusFile + ".part' && mv '" + statusFile +
                       ".part' '" + statusFile + "'\"";
    std::wstring wline = Utf8ToWide(line);
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(L"Z:\\bin\\sh", wline.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    if (pi.hThread) ::CloseHandle(pi.hThread);
    if (pi.hProcess) ::CloseHandle(pi.hProcess);
    if (!PumpUntil([&] { return ::GetFileAttributesW(status.c_str()) != INVALID_FILE_ATTRIBUTES; }, timeoutMs))
        return -1;
    std::ifstream in{std::filesystem::path(status)};
    int code = -1;
    in >> code;
    return code;
}

}  // namespace mt::test

#include "imagefiles/file_io.h"

#include <vector>

#include "app/errors.h"
#include "app/format.h"
#include "app/paths.h"
#include "app/text.h"

namespace mt {
namespace {

constexpr DWORD kChunk = 1u << 24;

[[noreturn]] void CannotCreate(const std::string& path) {
    throw EFCreateError(Format(L"ファイル %s を作成できません", {AnsiToWide(path)}));
}

// Removes the temporary file unless it was moved into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string name) : name_(std::move(name)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!name_.empty()) ::DeleteFileA(name_.c_str());
    }
    const std::string& Name() const { return name_; }
    void Keep() { name_.clear(); }
private:
    std::string name_;
};

}  // namespace

OwnedFile OpenForReading(const std::string& path) {
    OwnedFile f(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) CannotOpen(AnsiToWide(path));
    return f;
}

void CannotOpen(const std::wstring& name) { throw EFOpenError(Format(L"ファイル %s は開けません", {name})); }

std::uint64_t FileLength(HANDLE file) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size)) throw EReadError(L"ストリームからの読み込みエラー");
    return static_cast<std::uint64_t>(size.QuadPart);
}

void SeekTo(HANDLE file, std::uint64_t offset) {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(file, to, nullptr, FILE_BEGIN)) throw EReadError(L"ストリームからの読み込みエラー");
}

void ReadExact(HANDLE file, void* buffer, std::size_t n) {
    auto* p = static_cast<std::uint8_t*>(buffer);
    while (n > 0) {
        DWORD want = n < kChunk ? static_cast<DWORD>(n) : kChunk, got = 0;
        if (!::ReadFile(file, p, want, &got, nullptr) || got != want) throw EReadError(L"ストリームからの読み込みエラー");
        p += got;
        n -= got;
    }
}

void WriteAll(HANDLE file, const void* data, std::size_t n) {
    auto* p = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        DWORD want = n < kChunk ? static_cast<DWORD>(n) : kChunk, put = 0;
        if (!::WriteFile(file, p, want, &put, nullptr) || put != want) throw EWriteError(L"ストリームへの書き込みエラー");
        p += put;
        n -= put;
    }
}

void WriteReplacing(const std::string& path, const std::function<void(HANDLE)>& write) {
    std::string folder = FolderOfPath(path);
    if (folder.empty()) folder = ".";
    std::vector<char> name(MAX_PATH + 1, '\0');
    if (!::GetTempFileNameA(folder.c_str(), "mt", 0, name.data())) CannotCreate(path);
    TemporaryFile temp(name.data());
    {
        OwnedFile f(::CreateFileA(temp.Name().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!f.valid()) CannotCreate(path);
        write(f.get());
    }
    if (!::MoveFileExA(temp.Name().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        CannotCreate(path);
    temp.Keep();
}

}  // namespace mt

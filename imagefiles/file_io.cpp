#include "imagefiles/file_io.h"

#include <vector>

#include "base/errors.h"
#include "base/format.h"
#include "base/paths.h"
#include "base/text.h"

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

namespace {

// Writes path itself, as when no temporary file can be made beside it: a
// failure then leaves the file as far as it was written.
void WriteInPlace(const std::string& path, const std::function<void(HANDLE)>& write) {
    OwnedFile f(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.valid()) CannotCreate(path);
    write(f.get());
}

// Puts the finished temporary file in place of path. An existing file is
// replaced keeping its attributes and security; a read-only one is not
// replaced at all, as it could not be written.
bool PutInPlace(const std::string& temp, const std::string& path) {
    DWORD old = ::GetFileAttributesA(path.c_str());
    if (old == INVALID_FILE_ATTRIBUTES) return ::MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return false;
    // A file in use or closed to writing stays as it is: the replacement is
    // not even tried (a failed one can leave a stray file behind).
    if (!OwnedFile(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)).valid())
        return false;
    if (!::ReplaceFileA(path.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return false;
    if (::GetFileAttributesA(path.c_str()) != old) ::SetFileAttributesA(path.c_str(), old);
    return true;
}

}  // namespace

void WriteReplacing(const std::string& path, const std::function<void(HANDLE)>& write) {
    std::string folder = FolderOfPath(path);
    if (folder.empty()) folder.assign(1, '.');  // the current folder
    std::vector<char> name(MAX_PATH + 1, '\0');
    // Declared before the file, so the file is closed before the temporary is removed.
    TemporaryFile temp(::GetTempFileNameA(folder.c_str(), "mt", 0, name.data()) ? name.data() : "");
    OwnedFile f;
    if (!temp.Name().empty())
        f.reset(::CreateFileA(temp.Name().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (!f.valid()) {
        // No temporary file can be made in the folder (no rights there, or the
        // path too long for one); the file itself may still be writable.
        DWORD old = ::GetFileAttributesA(path.c_str());
        if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY)) CannotCreate(path);
        WriteInPlace(path, write);
        return;
    }
    write(f.get());
    f.reset();
    if (!PutInPlace(temp.Name(), path)) CannotCreate(path);
    temp.Keep();
}

}  // namespace mt

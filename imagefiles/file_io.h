// Reading picture files and writing them without ever destroying the old file.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "base/handles.h"

namespace mt {

// Opens a file for reading, shared with other readers, writers denied.
// Throws EFOpenError "ファイル %s は開けません".
OwnedFile OpenForReading(const std::string& path);
// Throws EFOpenError "ファイル %s は開けません" with the name as the user knows it.
[[noreturn]] void CannotOpen(const std::wstring& name);
std::uint64_t FileLength(HANDLE file);
void SeekTo(HANDLE file, std::uint64_t offset);
// Reads exactly n bytes; a short read throws EReadError.
void ReadExact(HANDLE file, void* buffer, std::size_t n);
// Writes all n bytes; a short write throws EWriteError "ストリームへの書き込みエラー".
void WriteAll(HANDLE file, const void* data, std::size_t n);

// Writes a file through a temporary file in the same folder, which replaces
// path only when write returned normally, keeping an existing file's attributes
// and security; on any failure the old file is untouched and the temporary is
// removed. Where no temporary file can be made, path itself is written (a
// failure then leaves it as far as it was written). A file that cannot be made,
// or a read-only one, throws EFCreateError "ファイル %s を作成できません".
void WriteReplacing(const std::string& path, const std::function<void(HANDLE)>& write);

}  // namespace mt

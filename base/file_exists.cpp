#include "base/file_exists.h"

#include <windows.h>

namespace mt {

bool FileExists(const std::string& ansiPath) {
    WIN32_FIND_DATAA data{};
    HANDLE find = ::FindFirstFileA(ansiPath.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    ::FindClose(find);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    FILETIME local;
    WORD dosDate = 0, dosTime = 0;
    return ::FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) &&
           ::FileTimeToDosDateTime(&local, &dosDate, &dosTime);
}

}  // namespace mt

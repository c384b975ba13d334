// The dialogs' starting folder and the file-existence test.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/file_exists.h"
#include "base/paths.h"

using namespace mt;

TEST(ProgramFolder, DropsTheTrailingSeparatorExceptAtADriveRoot) {
    EXPECT_EQ(FolderOfPath("C:\\Program Files\\Movetrail\\movetrail.exe"), "C:\\Program Files\\Movetrail");
    EXPECT_EQ(FolderOfPath("C:\\movetrail.exe"), "C:\\");
    EXPECT_EQ(FolderOfPath("Z:\\work\\build\\movetrail.exe"), "Z:\\work\\build");
    EXPECT_EQ(FolderOfPath("\\\\server\\share\\movetrail.exe"), "\\\\server\\share");
    EXPECT_EQ(FolderOfPath("movetrail.exe"), "");
}

TEST(ProgramFolder, DoubleByteCharactersEndingInABackslashByteAreNotSeparators) {
    // "表" is 0x95 0x5C in code page 932: its second byte is a backslash.
    std::string folder = "C:\\\x95\x5C";
    EXPECT_EQ(FolderOfPath(folder + "\\movetrail.exe"), folder);
    EXPECT_EQ(FolderOfPath("C:\\\x95\x5C" "movetrail.exe"), "C:\\");
}

TEST(ProgramFolder, ExtensionsAreTakenAfterTheLastDot) {
    EXPECT_EQ(ExtensionOf("C:\\a.b\\picture.jpeg"), ".jpeg");
    EXPECT_EQ(ExtensionOf("C:\\a.b\\picture"), "");
    EXPECT_EQ(UpperAscii(ExtensionOf("x.Jpg")), ".JPG");
}

TEST(FileExistence, FindsFilesButNotFoldersOrMissingNames) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string file = std::string(temp) + "movetrail-exists-test.txt";
    HANDLE h = ::CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ::CloseHandle(h);
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FileExists(std::string(temp) + "movetrail-no-such-file.txt"));
    std::string folder = std::string(temp) + "movetrail-exists-folder";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_FALSE(FileExists(folder));
    ::RemoveDirectoryA(folder.c_str());
    ::DeleteFileA(file.c_str());
    EXPECT_FALSE(FileExists(file));
}

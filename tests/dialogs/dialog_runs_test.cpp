// Running the picture dialogs as the main window's buttons do: the flags, the
// name kept between runs, the save dialog's answer for an existing file, the
// state the preview keeps.
#include <windows.h>

#include "app/text.h"
#include "common/file_dialog_driver.h"
#include "common/pump.h"
#include "dialog_session.h"

namespace mt::test {
namespace {

using PictureDialogRuns = PictureDialogTest;

TEST_F(PictureDialogRuns, SecondRunPrefillsTheFullPathChosenFirst) {
    WriteBmp(Path("chosen.bmp"), 8, 8, 0xFF0000, 0xFF0000);
    std::string path = Path("chosen.bmp");
    auto& dialog = *form->OpenPictureDialog1;
    {
        FileDialogDriver driver(AnsiToWide(path));
        ASSERT_TRUE(dialog.Execute(form->Handle()));
        ASSERT_TRUE(driver.Wait());
    }
    EXPECT_EQ(_stricmp(dialog.FileName.c_str(), path.c_str()), 0) << dialog.FileName;
    EXPECT_EQ(dialog.SystemFlags(), 0x880064u);
    FileDialogDriver again(L"", false);
    EXPECT_FALSE(dialog.Execute(form->Handle()));
    ASSERT_TRUE(again.Wait());
    EXPECT_EQ(_wcsicmp(again.view.fileName.c_str(), AnsiToWide(path).c_str()), 0) << again.view.fileName;
    EXPECT_EQ(_stricmp(dialog.FileName.c_str(), path.c_str()), 0);  // Cancel changes nothing
}

TEST_F(PictureDialogRuns, SaveDialogReturnsAtOnceForAnExistingName) {
    WriteBmp(Path("exists.bmp"), 8, 8, 0xFF0000, 0xFF0000);
    std::string path = Path("exists.bmp");
    auto& dialog = *form->SavePictureDialog1;
    DialogRun run = RunDialog([&] { return dialog.Execute(form->Handle()); },
                              [&](HWND d) { TypeAndConfirm(d, AnsiToWide(path)); });
    EXPECT_TRUE(run.result);
    EXPECT_EQ(run.strayBoxes, 0) << "an overwrite question was asked";
    EXPECT_EQ(_stricmp(dialog.FileName.c_str(), path.c_str()), 0) << dialog.FileName;
    EXPECT_EQ(dialog.SystemFlags(), 0x880064u);
}

TEST_F(PictureDialogRuns, PreviewColumnSitsRightOfTheStandardControlsAndKeepsItsStateBetweenRuns) {
    WriteBmp(Path("keep.bmp"), 30, 20, 0x00FF00, 0x00FF00);
    auto& dialog = *form->OpenPictureDialog1;
    RECT column{}, placeholder{}, dialogClient{};
    std::wstring firstLabel, secondLabel = L"(unread)";
    bool firstEnabled = true, secondEnabled = false;
    RunDialog([&] { return dialog.Execute(form->Handle()); }, [&](HWND d) {
        HWND label = FindDescendant(d, L"TLabel");
        firstLabel = WindowText(label);
        firstEnabled = ::IsWindowEnabled(FindDescendant(d, L"TSpeedButton"));
        HWND panel = ::GetParent(label);
        HWND templ = ::GetParent(panel);
        column = RectInParent(panel);
        placeholder = RectInParent(::GetDlgItem(templ, 1119));
        ::GetClientRect(templ, &dialogClient);
        SelectInList(d, L"keep.bmp");
    });
    EXPECT_EQ(firstLabel, L"");
    EXPECT_FALSE(firstEnabled);
    EXPECT_EQ(column.left, placeholder.right);
    EXPECT_EQ(column.top, 4);
    EXPECT_EQ(column.right, dialogClient.right);
    EXPECT_EQ(column.bottom, dialogClient.bottom);
    EXPECT_GT(column.right - column.left, 100);
    RunDialog([&] { return dialog.Execute(form->Handle()); }, [&](HWND d) {
        secondLabel = WindowText(FindDescendant(d, L"TLabel"));
        secondEnabled = ::IsWindowEnabled(FindDescendant(d, L"TSpeedButton"));
    });
    EXPECT_EQ(secondLabel, L" (30x20)");
    EXPECT_TRUE(secondEnabled);
    // The preview itself starts empty at each show.
    EXPECT_TRUE(dialog.PreviewPicture().Empty());
}

}  // namespace
}  // namespace mt::test

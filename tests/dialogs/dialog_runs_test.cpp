// Running the picture dialogs as the main window's buttons do: the flags, the
// name kept between runs, the save dialog's answer for an existing file, the
// state the preview keeps.
#include <windows.h>
#include <dlgs.h>

#include "base/text.h"
#include "dialog_session.h"

namespace mt::test {
namespace {

using PictureDialogRuns = PictureDialogTest;

TEST_F(PictureDialogRuns, SecondRunPrefillsTheFullPathChosenFirst) {
    WriteBmp(Path("chosen.bmp"), 8, 8, 0xFF0000, 0xFF0000);
    std::string path = Path("chosen.bmp");
    auto& dialog = *form->OpenPictureDialog1;
    {
        DialogDriver driver(FileDialog(), Typing(AnsiToWide(path)));
        ASSERT_TRUE(dialog.Execute(form->Handle()));
        ASSERT_TRUE(driver.Wait());
    }
    EXPECT_EQ(_stricmp(dialog.FileName.c_str(), path.c_str()), 0) << dialog.FileName;
    EXPECT_EQ(dialog.SystemFlags(), 0x880064u);
    // The dialog gets the full path back: it opens in that folder with the name in the box.
    std::string current;
    std::wstring box;
    DialogRun again = RunDialog([&] { return dialog.Execute(form->Handle()); }, [&](HWND d) {
        char buffer[MAX_PATH * 2] = {};
        ::SendMessageA(d, CDM_GETFILEPATH, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
        current = buffer;
        box = WindowText(NameBox(d));
    });
    EXPECT_FALSE(again.result);
    EXPECT_EQ(_stricmp(current.c_str(), path.c_str()), 0) << current;
    EXPECT_EQ(box, L"chosen.bmp");
    EXPECT_EQ(_stricmp(dialog.FileName.c_str(), path.c_str()), 0);  // Cancel changes nothing
}

TEST_F(PictureDialogRuns, SaveDialogReturnsAtOnceForAnExistingName) {
    WriteBmp(Path("exists.bmp"), 8, 8, 0xFF0000, 0xFF0000);
    std::string path = Path("exists.bmp");
    auto& dialog = *form->SavePictureDialog1;
    DialogRun run = RunDialog([&] { return dialog.Execute(form->Handle()); }, Typing(AnsiToWide(path)));
    EXPECT_TRUE(run.result);
    EXPECT_EQ(run.strayBoxes, 0) << "an overwrite question was asked";
    EXPECT_EQ(_stricmp(dialog.FileName.c_str(), path.c_str()), 0) << dialog.FileName;
    EXPECT_EQ(dialog.SystemFlags(), 0x880064u);
}

TEST_F(PictureDialogRuns, PreviewColumnSitsRightOfTheStandardControlsAndPreviewsTheChosenFileNextTime) {
    WriteBmp(Path("keep.bmp"), 30, 20, 0x00FF00, 0x00FF00);
    auto& dialog = *form->OpenPictureDialog1;
    RECT column{}, placeholder{}, dialogClient{};
    std::wstring secondLabel = L"(unread)";
    bool firstEnabled = true, secondEnabled = false;
    RunDialog([&] { return dialog.Execute(form->Handle()); }, [&](HWND d) {
        HWND label = FindDescendant(d, L"TLabel");
        firstEnabled = ::IsWindowEnabled(FindDescendant(d, L"TSpeedButton"));
        HWND panel = ::GetParent(label);
        HWND templ = ::GetParent(panel);
        column = RectInParent(panel);
        placeholder = RectInParent(::GetDlgItem(templ, 1119));
        ::GetClientRect(templ, &dialogClient);
        if (SelectInList(d, L"keep.bmp"))
            ::PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
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
    // The second run opens on the chosen file, which is previewed again.
    EXPECT_EQ(secondLabel, L" (30x20)");
    EXPECT_TRUE(secondEnabled);
    EXPECT_EQ(dialog.PictureLabelText(), L" (30x20)");
}

}  // namespace
}  // namespace mt::test

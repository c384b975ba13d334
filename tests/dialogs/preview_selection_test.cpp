// Selecting files in the real picture-open dialog's list: the label, the
// preview button and what the paint box shows.
#include <windows.h>
#include <dlgs.h>

#include "dialog_session.h"
#include "imagefiles/preview_column.h"

namespace mt::test {
namespace {

constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00, kYellow = 0xFFFF00;

// What the preview column shows after a selection.
struct Shown {
    std::wstring label;
    bool buttonEnabled = false;
    Capture paint;
    bool selected = false;
};

Shown Select(HWND dialog, const std::wstring& name) {
    Shown s;
    s.selected = SelectInList(dialog, name);
    s.label = WindowText(FindDescendant(dialog, L"TLabel"));
    HWND button = FindDescendant(dialog, L"TSpeedButton");
    s.buttonEnabled = button && ::IsWindowEnabled(button);
    s.paint = CaptureClient(FindDescendant(dialog, L"TPaintBox"));
    return s;
}

std::uint32_t Face() { return Rgb(::GetSysColor(COLOR_BTNFACE)); }

// Whether the capture holds any pixel that is neither the background nor text-dark.
bool ShowsColour(const Capture& c) {
    for (std::uint32_t px : c.pixels)
        if (px != Face() && !Near(px, 0x000000, 60)) return true;
    return false;
}
bool ShowsDarkText(const Capture& c) {
    for (std::uint32_t px : c.pixels)
        if (Near(px, Rgb(::GetSysColor(COLOR_WINDOWTEXT)), 60)) return true;
    return false;
}

using PreviewSelection = PictureDialogTest;

TEST_F(PreviewSelection, WideJpegShowsItsSizeAndIsScaledToTheWidthFromTheTopLeft) {
    WriteJpeg(Path("wide.jpg"), 640, 480, kRed, kBlue);
    Shown shown;
    DialogRun run = RunDialog([&] { return form->OpenPictureDialog1->Execute(form->Handle()); },
                              [&](HWND dialog) { shown = Select(dialog, L"wide.jpg"); });
    ASSERT_TRUE(run.seen);
    ASSERT_TRUE(shown.selected);
    EXPECT_FALSE(run.result);
    EXPECT_EQ(shown.label, L" (640x480)");
    EXPECT_TRUE(shown.buttonEnabled);
    const Capture& c = shown.paint;
    ASSERT_GT(c.width, 100);
    ASSERT_LT(c.width, 640);
    int scaledHeight = ::MulDiv(480, c.width, 640);
    ASSERT_LT(scaledHeight + 2, c.height) << "the paint box is expected to be wider than 4:3";
    EXPECT_TRUE(Near(c.At(1, 1), kRed)) << std::hex << c.At(1, 1);
    EXPECT_TRUE(Near(c.At(c.width / 4, scaledHeight / 2), kRed));
    EXPECT_TRUE(Near(c.At(c.width * 3 / 4, scaledHeight / 2), kBlue));
    EXPECT_TRUE(Near(c.At(c.width - 2, scaledHeight - 2), kBlue));
    // Below the picture: the paint box's own colour; nothing is centred.
    EXPECT_EQ(c.At(c.width / 2, scaledHeight + 1), Face());
    EXPECT_EQ(c.At(1, c.height - 1), Face());
}

TEST_F(PreviewSelection, SmallPictureIsUnscaledAndCentred) {
    WriteBmp(Path("small.bmp"), 40, 30, kGreen, kYellow);
    Shown shown;
    DialogRun run = RunDialog([&] { return form->OpenPictureDialog1->Execute(form->Handle()); },
                              [&](HWND dialog) { shown = Select(dialog, L"small.bmp"); });
    ASSERT_TRUE(run.seen && shown.selected);
    EXPECT_EQ(shown.label, L" (40x30)");
    const Capture& c = shown.paint;
    int left = (c.width - 40) / 2, top = (c.height - 30) / 2;
    EXPECT_EQ(c.At(left, top), kGreen);
    EXPECT_EQ(c.At(left + 19, top + 29), kGreen);
    EXPECT_EQ(c.At(left + 20, top), kYellow);
    EXPECT_EQ(c.At(left + 39, top + 29), kYellow);
    EXPECT_EQ(c.At(left - 1, top), Face());
    EXPECT_EQ(c.At(left, top - 1), Face());
    EXPECT_EQ(c.At(left + 40, top + 29), Face());
    EXPECT_EQ(c.At(left + 39, top + 30), Face());
}

TEST_F(PreviewSelection, TallPictureIsScaledToTheHeightFromTheTopLeft) {
    WriteBmp(Path("tall.bmp"), 60, 600, kGreen, kBlue);
    Shown shown;
    RunDialog([&] { return form->OpenPictureDialog1->Execute(form->Handle()); },
              [&](HWND dialog) { shown = Select(dialog, L"tall.bmp"); });
    ASSERT_TRUE(shown.selected);
    EXPECT_EQ(shown.label, L" (60x600)");
    const Capture& c = shown.paint;
    int scaledWidth = ::MulDiv(60, c.height, 600);
    ASSERT_GT(scaledWidth, 4);
    EXPECT_EQ(c.At(0, 0), kGreen);
    EXPECT_EQ(c.At(0, c.height - 1), kGreen);
    EXPECT_EQ(c.At(scaledWidth - 1, c.height - 1), kBlue);
    EXPECT_EQ(c.At(scaledWidth + 1, c.height / 2), Face());
    EXPECT_EQ(c.At(c.width - 1, 0), Face());
}

TEST_F(PreviewSelection, FolderGifAndBmpWithoutBMShowNothingAndNoMessage) {
    WriteBmp(Path("good.bmp"), 20, 20, kRed, kRed);
    WriteText(Path("anim.gif"), "GIF89a\1\0\1\0\0\0\0;");
    std::string notBmp = "XM";
    notBmp.resize(200, '\x01');
    WriteText(Path("fake.bmp"), notBmp);
    ::CreateDirectoryA(Path("sub").c_str(), nullptr);
    std::vector<std::pair<std::wstring, Shown>> after;  // each bad entry, selected after the good one
    Shown good;
    DialogRun run = RunDialog([&] { return form->OpenPictureDialog1->Execute(form->Handle()); }, [&](HWND dialog) {
        // The .gif is listed once a pattern for all files is typed.
        Typing(L"*.*")(dialog);
        // The list is refilled once the dialog takes the pattern; selecting
        // before that would select in the list it replaces.
        if (!WaitListed(dialog, L"anim.gif")) return;
        for (const wchar_t* bad : {L"fake.bmp", L"anim.gif", L"sub"}) {
            good = Select(dialog, L"good.bmp");
            // A folder selection leaves the last file's name in the box, which
            // would stay the current path: the box is emptied as a user would.
            if (std::wstring(bad) == L"sub") ::SendMessageW(::GetDlgItem(dialog, edt1), WM_SETTEXT, 0, (LPARAM)L"");
            after.emplace_back(bad, Select(dialog, bad));
        }
    });
    EXPECT_EQ(run.strayBoxes, 0);  // no message about any of them
    EXPECT_EQ(good.label, L" (20x20)");
    ASSERT_EQ(after.size(), 3u);
    for (const auto& [name, shown] : after) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(shown.selected);
        EXPECT_EQ(shown.label, L"画像:");
        EXPECT_FALSE(shown.buttonEnabled);
        EXPECT_FALSE(ShowsColour(shown.paint));
        EXPECT_TRUE(ShowsDarkText(shown.paint));  // "(なし)"
    }
    EXPECT_TRUE(form->OpenPictureDialog1->PreviewPicture().Empty());
}

TEST_F(PreviewSelection, UndecodableJpegShowsItsSizeAndReportsTheFailureOnceWhenDrawn) {
    WriteJpeg(Path("broken.jpg"), 64, 48, kRed, kRed);
    // A second scan header before the end of a single-scan file: the header
    // reads, the decoding fails.
    std::string data;
    {
        HANDLE f = ::CreateFileA(Path("broken.jpg").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 0, nullptr);
        data.resize(::GetFileSize(f, nullptr));
        DWORD n = 0;
        ::ReadFile(f, data.data(), static_cast<DWORD>(data.size()), &n, nullptr);
        ::CloseHandle(f);
    }
    size_t sos = data.find("\xFF\xDA");
    ASSERT_NE(sos, std::string::npos);
    size_t sosLength = (static_cast<unsigned char>(data[sos + 2]) << 8) | static_cast<unsigned char>(data[sos + 3]);
    std::string scanHeader = data.substr(sos, 2 + sosLength);
    data.insert(data.size() - 2, scanHeader);
    WriteText(Path("broken.jpg"), data);

    Shown shown;
    std::vector<std::wstring> boxTexts;
    bool secondReport = true;
    DialogRun run = RunDialog([&] { return form->OpenPictureDialog1->Execute(form->Handle()); }, [&](HWND dialog) {
        DWORD thread = ::GetWindowThreadProcessId(dialog, nullptr);
        {
            DialogDriver box(L"Movetrail", Pressing(IDOK), 60000, thread);
            shown = Select(dialog, L"broken.jpg");
            box.Wait();
            boxTexts = box.view.texts;
        }
        // A repaint after the report does not report again; the dialog goes on.
        DialogDriver again(L"Movetrail", Pressing(IDOK), 1500, thread);
        HWND paintBox = FindDescendant(dialog, L"TPaintBox");
        ::RedrawWindow(paintBox, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        secondReport = again.Wait();
    });
    EXPECT_EQ(shown.label, L" (64x48)");
    EXPECT_TRUE(shown.buttonEnabled);
    bool reported = false;
    for (const auto& t : boxTexts) reported |= t.find(L"JPEG エラー") != std::wstring::npos;
    EXPECT_TRUE(reported);
    EXPECT_FALSE(secondReport);
    EXPECT_TRUE(run.seen);
    EXPECT_EQ(run.strayBoxes, 0);
}

}  // namespace
}  // namespace mt::test

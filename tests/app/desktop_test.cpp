// Files dropped on the real main window, and the keys that step the video.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include "base/application.h"
#include "base/handles.h"
#include "base/text.h"
#include "base/file_exists.h"
#include "common/form_fixture.h"
#include "common/marker_clips.h"
#include "common/media.h"
#include "common/dialog_driver.h"
#include "common/pump.h"
#include "imagefiles/picture_files.h"

namespace mt::test {
namespace {

constexpr POINT kOnVideoPane{60, 150}, kOnStillImagePane{420, 150};

class Desktop : public FormTest {
protected:
    // Posts WM_DROPFILES as the shell does: a DROPFILES block in movable global
    // memory followed by the wide names, each ended by a zero and the list by
    // another; the point is in the window's client coordinates. The receiver
    // frees the block.
    void Drop(POINT at, const std::vector<std::wstring>& names) {
        size_t chars = 1;
        for (const auto& n : names) chars += n.size() + 1;
        OwnedGlobal memory(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t)));
        ASSERT_TRUE(memory);
        {
            GlobalView<DROPFILES> files(memory.get());
            files->pFiles = sizeof(DROPFILES);
            files->pt = at;
            files->fWide = TRUE;
            auto* p = reinterpret_cast<wchar_t*>(files.get() + 1);
            for (const auto& n : names) p = std::copy(n.begin(), n.end(), p) + 1;
        }
        ASSERT_TRUE(::PostMessageW(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory.get()), 0));
        memory.release();
    }
    // A key pressed and released where the focus is, through the program's message loop.
    static void Key(WORD key) {
        HWND focus = ::GetFocus();
        ::PostMessageW(focus, WM_KEYDOWN, key, 1);
        ::PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
        Application.ProcessMessages();
    }
    std::wstring Wide(const std::string& path) const { return AnsiToWide(path); }
    bool WaitForVideo() {
        return PumpUntil([&] { return form->Pane1Width == 160 && form->Panel1->Width() == 160; }, 30000);
    }
    int StillWidth() const { return form->Image1->Picture ? form->Image1->Picture->Width() : -1; }

    MediaFolder folder;
    media::BallClip clip{.frames = 12};
};

TEST_F(Desktop, AClipDroppedOnTheVideoPaneOpensAndTheVideoDialogOffersItNextTime) {
    EXPECT_TRUE(::GetWindowLongW(form->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "the desktop offers no drops";
    const std::string path = folder.WriteClip("clip.avi", clip);
    Drop(kOnVideoPane, {Wide(path)});
    ASSERT_TRUE(WaitForVideo());
    EXPECT_EQ(form->Panel2->Width(), 160);
    EXPECT_EQ(form->OpenDialog1->FileName, path);
}

TEST_F(Desktop, EachPhoneAndCameraClipDroppedOpensFittedAndCountsFrames) {
    for (const MarkerClip& marker : kMarkerClips) {
        if (!FileExists(marker.Path())) continue;  // not made at build time
        FrameCountText.clear();
        Drop(kOnVideoPane, {Wide(marker.Path())});
        EXPECT_TRUE(PumpUntil([&] { return FrameCountText == marker.CountText(); }, 60000)) << marker.file;
        EXPECT_EQ(form->Panel1->Width(), marker.fittedWidth) << marker.file;
        EXPECT_EQ(form->Panel1->Height(), marker.fittedHeight) << marker.file;
        EXPECT_EQ(form->OpenDialog1->FileName, marker.Path());
    }
}

TEST_F(Desktop, APictureDroppedOnTheStillImagePaneLoadsAndLeavesTheCaption) {
    const std::string path = folder.Write("picture.bmp", SolidBmp(40, 30, {255, 0, 0}));
    Drop(kOnStillImagePane, {Wide(path)});
    EXPECT_TRUE(PumpUntil([&] { return StillWidth() == 40; }));
    EXPECT_EQ(form->Image1->Picture->Height(), 30);
    EXPECT_EQ(WindowText(form->Handle()), L"Movetrail");
    EXPECT_EQ(form->OpenDialog1->FileName, "") << "a picture is no video";
}

TEST_F(Desktop, OfSeveralDroppedFilesOnlyTheFirstOpens) {
    const std::string first = folder.Write("first.bmp", SolidBmp(40, 30, {255, 0, 0}));
    const std::string second = folder.Write("second.bmp", SolidBmp(20, 10, {0, 255, 0}));
    Drop(kOnStillImagePane, {Wide(first), Wide(second)});
    EXPECT_TRUE(PumpUntil([&] { return StillWidth() >= 0; }));
    EXPECT_EQ(StillWidth(), 40);
}

TEST_F(Desktop, ADroppedFolderIsIgnored) {
    const std::string sub = folder.File("clips.avi");
    ASSERT_TRUE(::CreateDirectoryA(sub.c_str(), nullptr));
    DialogDriver message(L"Movetrail", Pressing(IDOK), 3000);
    Drop(kOnVideoPane, {Wide(sub)});
    Pump();  // a message would show while the drop is handled
    EXPECT_FALSE(message.Wait()) << "a message for a folder";
    EXPECT_EQ(form->OpenDialog1->FileName, "");
}

TEST_F(Desktop, AClipNamedOutsideTheAnsiCodePageOpensByItsShortName) {
    const std::wstring name = Wide(folder.Path()) + L"\\café.avi";
    ASSERT_NE(AnsiToWide(WideToAnsi(name)), name) << "é must have no ANSI form for this test";
    ASSERT_TRUE(::MoveFileW(Wide(folder.WriteClip("clip.avi", clip)).c_str(), name.c_str()));
    std::optional<std::string> ansi = AnsiFileName(name);
    ASSERT_TRUE(ansi) << "the system gives the file no short name";
    wchar_t shortName[MAX_PATH] = {};
    ::GetShortPathNameW(name.c_str(), shortName, MAX_PATH);
    EXPECT_EQ(Wide(*ansi), shortName);
    Drop(kOnVideoPane, {name});
    ASSERT_TRUE(WaitForVideo());
    EXPECT_EQ(form->OpenDialog1->FileName, *ansi);
}

TEST_F(Desktop, APictureNamedOutsideTheAnsiCodePageLoadsAsTheKindItsLongNameSays) {
    // A JPEG made by the program from a bitmap; its short name ends in .JPE.
    Drop(kOnStillImagePane, {Wide(folder.Write("picture.bmp", SolidBmp(40, 30, {255, 0, 0})))});
    ASSERT_TRUE(PumpUntil([&] { return StillWidth() == 40; }));
    const std::string jpeg = folder.File("picture.jpeg");
    SavePicture(*form->Image1, jpeg);
    form->Image1->Picture.reset();
    const std::wstring name = Wide(folder.Path()) + L"\\ผล.jpeg";
    ASSERT_TRUE(::MoveFileW(Wide(jpeg).c_str(), name.c_str()));
    ASSERT_TRUE(AnsiFileName(name));
    EXPECT_NE(*AnsiFileName(name), WideToAnsi(name));
    Drop(kOnStillImagePane, {name});
    EXPECT_TRUE(PumpUntil([&] { return StillWidth() == 40; }));
}

TEST_F(Desktop, RightLeftAndHomeStepTheVideoWithTheFocusOnAButton) {
    form->OpenVideo(folder.WriteClip("clip.avi", clip));
    ASSERT_TRUE(WaitForVideo());
    form->Button5Click();
    HWND button = form->Button6->Handle();
    ::SetFocus(button);
    Key(VK_HOME);
    EXPECT_EQ(form->MediaPlayer1->QueryPosition(), 0);
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    EXPECT_EQ(form->MediaPlayer1->QueryPosition(), 2);
    Key(VK_LEFT);
    EXPECT_EQ(form->MediaPlayer1->QueryPosition(), 1);
    EXPECT_EQ(::GetFocus(), button) << "the keys do not move the focus";
    Key(VK_TAB);
    EXPECT_EQ(::GetFocus(), form->Button1->Handle()) << "Tab still moves it";
}

TEST_F(Desktop, WithNoVideoTheKeysReportTheMissingDeviceAsTheButtonsDo) {
    ::SetFocus(form->Button2->Handle());
    for (WORD key : {VK_RIGHT, VK_LEFT, VK_HOME}) {
        DialogDriver report(L"Movetrail");
        Key(key);
        ASSERT_TRUE(report.Wait()) << "no report for key " << key;
        EXPECT_TRUE(report.view.Shows(L"MCI デバイスがありません."));
    }
}

TEST_F(Desktop, WithNoVideoTheJumpsAndTheWheelReportTheMissingDeviceAsTheButtonsDo) {
    ::SetForegroundWindow(form->Handle());
    ::SetFocus(form->Button2->Handle());
    const std::pair<const char*, std::function<void()>> moves[] = {
        {"End", [] { PressKeys({VK_END}); }},
        {"PageDown", [] { PressKeys({VK_NEXT}); }},
        {"PageUp", [] { PressKeys({VK_PRIOR}); }},
        {"Shift+Right", [] { PressKeys({VK_SHIFT, VK_RIGHT}); }},
        {"Shift+Left", [] { PressKeys({VK_SHIFT, VK_LEFT}); }},
        {"Ctrl+G", [] { PressKeys({VK_CONTROL, 'G'}); }},
        {"a notch of the wheel", [&] { TurnWheel(form->Panel1->Handle(), -WHEEL_DELTA); }},
        {"three notches of the wheel", [&] { TurnWheel(form->Panel1->Handle(), 3 * WHEEL_DELTA); }},
    };
    for (const auto& [what, move] : moves) {
        DialogDriver report(L"Movetrail");
        move();
        ASSERT_TRUE(report.Wait()) << "no report for " << what;
        EXPECT_TRUE(report.view.Shows(L"MCI デバイスがありません.")) << what;
    }
    // The wheel elsewhere is no step: nothing is reported. A report shows inside
    // the call (the driver answers it, so the call returns).
    DialogDriver none(L"Movetrail");
    TurnWheel(form->Panel2->Handle(), -WHEEL_DELTA);
    EXPECT_FALSE(none.TakenYet()) << "a report for the wheel over the still image";
}

}  // namespace
}  // namespace mt::test

// The general file dialog, as the video dialog uses it: what is passed to the
// system, and what the real dialog then shows.
#include <gtest/gtest.h>


#include "base/application.h"
#include "base/paths.h"
#include "base/text.h"
#include "video_form_fixture.h"

namespace mt::test {
namespace {

// Notes the record handed to the system, then runs the real dialog (or refuses).
class RecordingDialog : public TOpenDialog {
public:
    bool runReal = true;
    OPENFILENAMEA seen{};
    std::string filterBytes;  // the filter list up to its closing double zero
    std::string nameBuffer;
    std::string initialDir;
    bool defaultExtNull = false, templateNull = false;

protected:
    BOOL RunSystemDialog(OPENFILENAMEA& ofn) override {
        seen = ofn;
        const char* f = ofn.lpstrFilter;
        if (f) {
            size_t n = 0;
            while (f[n] || f[n + 1]) ++n;
            filterBytes.assign(f, n + 2);
        }
        nameBuffer.assign(ofn.lpstrFile, ofn.nMaxFile);
        if (ofn.lpstrInitialDir) initialDir = ofn.lpstrInitialDir;
        defaultExtNull = ofn.lpstrDefExt == nullptr;
        templateNull = ofn.lpTemplateName == nullptr;
        return runReal ? TOpenDialog::RunSystemDialog(ofn) : FALSE;
    }
};

std::string ExeFolder() {
    char exe[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return FolderOfPath(exe);
}

TEST_F(VideoFormTest, TheVideoDialogOffersTheVideoTypesFromTheProgramsFolderCentredAndResizable) {
    DialogDriver cancel(FileDialog(), Pressing(IDCANCEL));
    form->Button6Click();
    ASSERT_TRUE(cancel.Wait());
    const DialogView& v = cancel.view;
    EXPECT_EQ(v.filters, (std::vector<std::wstring>{L"AVI動画（*.AVI）", L"MPEG動画(*.MPG)", L"全てのファイル(*.*)"}));
    EXPECT_EQ(v.filterSelected, 0);
    EXPECT_EQ(v.folder, AnsiToWide(ExeFolder()));
    EXPECT_FALSE(v.readOnlyBoxVisible);
    EXPECT_TRUE(v.style & WS_THICKFRAME) << "the dialog can be resized";
    EXPECT_EQ(v.fileName, L"");

    MONITORINFO mi{sizeof mi};
    ::GetMonitorInfoW(::MonitorFromWindow(form->Handle(), MONITOR_DEFAULTTONEAREST), &mi);
    int w = v.rect.right - v.rect.left, h = v.rect.bottom - v.rect.top;
    EXPECT_EQ(v.rect.left, mi.rcMonitor.left + (mi.rcMonitor.right - mi.rcMonitor.left - w) / 2);
    EXPECT_EQ(v.rect.top, mi.rcMonitor.top + (mi.rcMonitor.bottom - mi.rcMonitor.top - h) / 3);

    EXPECT_FALSE(form->MediaPlayer1->DeviceOpen());
    EXPECT_FALSE(form->Timer1->Enabled());
}

TEST_F(VideoFormTest, TheDialogOffersTheLastChosenNameNextTime) {
    std::string path = folder.WriteClip("remember me.avi", Clip(96, 64, 10, 10));
    Load(path);
    EXPECT_EQ(form->OpenDialog1->FileName, path);
    DialogDriver cancel(FileDialog(), Pressing(IDCANCEL));
    form->Button6Click();
    ASSERT_TRUE(cancel.Wait());
    // The full path is offered; this dialog shows its folder and puts the name in the box.
    EXPECT_EQ(cancel.view.fileName, L"remember me.avi");
    EXPECT_EQ(cancel.view.folder, AnsiToWide(folder.Path()));
    EXPECT_EQ(form->OpenDialog1->FileName, path) << "a cancel keeps the name";
}

TEST_F(VideoFormTest, TheSystemGetsTheOldRecordSizeTheFlagsAndTheFilterList) {
    RecordingDialog dialog;
    dialog.runReal = false;
    dialog.Filter = form->OpenDialog1->Filter;
    dialog.InitialDir = "C:\\clips\\";
    dialog.FileName = "C:\\clips\\a.avi";
    EXPECT_FALSE(dialog.Execute(form->Handle()));
    EXPECT_EQ(dialog.seen.lStructSize, 76u);
    EXPECT_EQ(dialog.seen.Flags, 0x880024u);
    EXPECT_EQ(dialog.seen.hwndOwner, form->Handle());
    EXPECT_EQ(dialog.seen.hInstance, Application.Instance());
    EXPECT_EQ(dialog.seen.nFilterIndex, 1u);
    EXPECT_EQ(dialog.seen.nMaxFile, 262u);
    EXPECT_NE(dialog.seen.lpfnHook, nullptr);
    EXPECT_EQ(dialog.nameBuffer, std::string("C:\\clips\\a.avi") + std::string(262 - 14, '\0'));
    EXPECT_EQ(dialog.initialDir, "C:\\clips") << "one trailing separator is dropped";
    EXPECT_TRUE(dialog.defaultExtNull);
    EXPECT_TRUE(dialog.templateNull);
    std::string z(1, '\0');
    EXPECT_EQ(dialog.filterBytes, WideToAnsi(L"AVI動画（*.AVI）") + z + "*.avi" + z + WideToAnsi(L"MPEG動画(*.MPG)") +
                                      z + "*.mpg" + z + WideToAnsi(L"全てのファイル(*.*)") + z + "*.*" + z + z);
    EXPECT_EQ(dialog.FileName, "C:\\clips\\a.avi") << "a failed run changes nothing";

    dialog.Template = "DLGTEMPLATE";
    dialog.DefaultExt = "bmp";
    dialog.Execute(form->Handle());
    EXPECT_EQ(dialog.seen.Flags, 0x880064u);
    EXPECT_FALSE(dialog.defaultExtNull);
}

TEST(FileDialogRules, FoldersAndFiltersAreGivenAsTheSystemWantsThem) {
    EXPECT_EQ(TOpenDialog::TrimmedFolder("C:\\movies\\"), "C:\\movies");
    EXPECT_EQ(TOpenDialog::TrimmedFolder("C:\\movies"), "C:\\movies");
    EXPECT_EQ(TOpenDialog::TrimmedFolder("C:\\"), "C:\\") << "a drive root keeps its separator";
    EXPECT_EQ(TOpenDialog::TrimmedFolder(""), "");
    EXPECT_EQ(TOpenDialog::SystemFilter(L"A|*.a|B|*.b"), std::string("A\0*.a\0B\0*.b\0", 12));
    if (::GetACP() == 932) {
        // "ポ" is 0x83 0x7C in code page 932: its second byte is a "|" that must not split it.
        EXPECT_EQ(TOpenDialog::SystemFilter(L"ポ|*.p"), std::string("\x83\x7C\0*.p\0", 7));
    }
}

TEST_F(VideoFormTest, AConfirmedRunKeepsTheNameAndTypeAndRaisesCloseOnce) {
    std::string path = folder.WriteClip("pick.avi", Clip(96, 64, 10, 10));
    TOpenDialog dialog;
    dialog.Filter = L"AVI|*.avi|All|*.*";
    dialog.InitialDir = folder.Path();
    int closes = 0, shows = 0;
    dialog.OnClose = [&] { ++closes; };
    dialog.OnShow = [&] { ++shows; };
    {
        DialogDriver cancel(FileDialog(), Pressing(IDCANCEL));
        EXPECT_FALSE(dialog.Execute(form->Handle()));
        ASSERT_TRUE(cancel.Wait());
        EXPECT_EQ(cancel.view.folder, AnsiToWide(folder.Path()));
    }
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(shows, 1);
    EXPECT_TRUE(dialog.Files.empty());
    {
        DialogDriver ok(FileDialog(), Typing(AnsiToWide(path)));
        EXPECT_TRUE(dialog.Execute(form->Handle()));
        ASSERT_TRUE(ok.Wait());
    }
    EXPECT_EQ(closes, 2);
    EXPECT_EQ(dialog.FileName, path);
    EXPECT_EQ(dialog.Files, std::vector<std::string>{path});
    EXPECT_EQ(dialog.FilterIndex, 1);
    EXPECT_EQ(dialog.Handle(), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(form->Handle())) << "the task-modal run gives the window back";
}

TEST_F(VideoFormTest, ARefusedConfirmationKeepsTheDialogOpen) {
    std::string path = folder.WriteClip("pick.avi", Clip(96, 64, 10, 10));
    TOpenDialog dialog;
    dialog.Filter = L"AVI|*.avi";
    dialog.InitialDir = folder.Path();
    std::vector<std::string> asked;
    dialog.OnCanClose = [&] {
        asked.push_back(dialog.FileName);
        if (asked.size() > 1) return true;
        Typing(L"pick.avi")(dialog.Handle());  // confirms a second time: the refusal keeps the dialog open
        return false;
    };
    // A name typed as a user would, in the folder shown (this dialog's current-path
    // query would put the folder in front of a typed full path as well).
    DialogDriver first(FileDialog(), Typing(L"pick.avi"));
    EXPECT_TRUE(dialog.Execute(form->Handle()));
    EXPECT_TRUE(first.Wait());
    EXPECT_EQ(asked, (std::vector<std::string>{path, path}))
        << "the name is stored before the question, and the dialog stays open after the refusal";
}

}  // namespace
}  // namespace mt::test

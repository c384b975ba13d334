// The two buttons through the real file dialogs.
#include "base/text.h"
#include "picture_files_fixture.h"

namespace mt::test {
namespace {

class PictureButtons : public PictureTest {
protected:
    // Clicks the button while the driver answers its dialog with name.
    std::wstring ClickAnswering(TButton& button, const std::string& name, bool confirm = true) {
        DialogDriver driver(FileDialog(), confirm ? Typing(AnsiToWide(name)) : Pressing(IDCANCEL));
        std::wstring failure = FailureOf([&] { button.Click(); });
        EXPECT_TRUE(driver.Wait());
        view = driver.view;
        return failure;
    }
    std::wstring Caption() { return WindowText(form->Handle()); }
    DialogView view;
};

TEST_F(PictureButtons, LoadButtonReadsTheChosenFile) {
    BmpSpec s;
    s.width = 7;
    s.height = 5;
    WriteBytes(Path("seven.bmp"), MakeBmp(s));
    EXPECT_EQ(ClickAnswering(*form->Button7, Path("seven.bmp")), L"");
    ASSERT_TRUE(Image().Picture);
    EXPECT_EQ(Image().Picture->Width(), 7);
    ASSERT_GE(view.filters.size(), 4u);
    EXPECT_EQ(view.filters[0], L"すべてのファイル (*.jpg;*.jpeg;*.bmp)");
    EXPECT_EQ(view.filterSelected, 0);

    // Cancelling changes nothing.
    EXPECT_EQ(ClickAnswering(*form->Button7, Path("seven.bmp"), false), L"");
    EXPECT_EQ(Image().Picture->Width(), 7);
}

TEST_F(PictureButtons, SaveButtonShowsTheExtensionInTheCaption) {
    InstallKnownPicture();
    EXPECT_EQ(ClickAnswering(*form->Button8, Path("saved.bmp")), L"");
    EXPECT_EQ(Caption(), L".BMP");
    EXPECT_EQ(ReadBytes(Path("saved.bmp")), ReadBytes(Path("known.bmp")));
    ASSERT_GE(view.filters.size(), 2u);
    EXPECT_EQ(view.filters[1], L"圧縮(*.jpeg)");

    EXPECT_EQ(ClickAnswering(*form->Button8, Path("saved.Jpeg")), L"");
    EXPECT_EQ(Caption(), L".JPEG");
    Bytes jpeg = ReadBytes(Path("saved.Jpeg"));
    ASSERT_GE(jpeg.size(), 2u);
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);

    EXPECT_EQ(ClickAnswering(*form->Button8, Path("saved.png")), L"");
    EXPECT_EQ(Caption(), L".PNG");
    EXPECT_FALSE(FileExists(Path("saved.png")));
}

TEST_F(PictureButtons, SavingNothingAsBmpWritesNoFileButSetsTheCaption) {
    EXPECT_EQ(ClickAnswering(*form->Button8, Path("nothing.bmp")), L"");
    EXPECT_EQ(Caption(), L".BMP");
    EXPECT_FALSE(FileExists(Path("nothing.bmp")));
}

}  // namespace
}  // namespace mt::test

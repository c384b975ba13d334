// Loaded pictures undone and redone with the keys, and the still image through
// the clipboard: Ctrl+C gives it to other programs as a device-independent
// bitmap, Ctrl+V loads one from them as a picture file would load.
#include <cstring>

#include "base/handles.h"
#include "base/text.h"
#include "common/pixels.h"
#include "common/dialog_driver.h"
#include "imagefiles/picture_files.h"
#include "picture_files_fixture.h"
#include "still/still_history.h"

namespace mt::test {
namespace {

class PictureEdit : public PictureTest {
protected:
    void SetUp() override {
        PictureTest::SetUp();
        ::SetForegroundWindow(form->Handle());
        ::SetFocus(form->Button7->Handle());
    }
    Bytes Saved(const std::string& name) {
        SavePicture(Image(), Path(name));
        return ReadBytes(Path(name));
    }
    // What the clipboard holds as CF_DIB (empty when nothing).
    Bytes ClipboardDib() {
        ClipboardScope clipboard(form->Handle());
        EXPECT_TRUE(clipboard);
        HGLOBAL block = ::GetClipboardData(CF_DIB);
        GlobalView<const std::uint8_t> dib(block);
        return dib ? Bytes(dib.get(), dib.get() + ::GlobalSize(block)) : Bytes();
    }
    // Puts a packed bitmap (or nothing) on the clipboard, as another program would.
    void OfferDib(const Bytes& dib) {
        ClipboardScope clipboard(form->Handle());
        ASSERT_TRUE(clipboard);
        ASSERT_TRUE(::EmptyClipboard());
        if (dib.empty()) return;
        OwnedGlobal block(::GlobalAlloc(GMEM_MOVEABLE, dib.size()));
        {
            GlobalView<std::uint8_t> view(block.get());
            std::memcpy(view.get(), dib.data(), dib.size());
        }
        ASSERT_TRUE(::SetClipboardData(CF_DIB, block.get()));
        block.release();
    }
    static Bytes WithoutFileHeader(const Bytes& file) { return Bytes(file.begin() + 14, file.end()); }
    static Bytes Prefix(Bytes b, std::size_t n) {
        b.resize(n);
        return b;
    }
};

TEST_F(PictureEdit, AnUndoneCopyOverARunLengthPictureSavesTheFileByteForByte) {
    BmpSpec rle = RunLength();
    rle.xPelsPerMeter = 3780;
    const Bytes original = MakeBmp(rle);
    WriteBytes(Path("rle.bmp"), original);
    form->OpenPicture(AnsiToWide(Path("rle.bmp")));
    ASSERT_TRUE(Image().Picture);
    form->SpeedButton1Click();
    const Bytes copied = Saved("copied.bmp");
    ASSERT_NE(copied, original);
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_EQ(Saved("undone.bmp"), original);
    PressKeys({VK_CONTROL, 'Y'});
    EXPECT_EQ(Saved("redone.bmp"), copied);
    // Before the load there was no still image: nothing is saved then.
    PressKeys({VK_CONTROL, 'Z'});
    PressKeys({VK_CONTROL, 'Z'});
    EXPECT_FALSE(Image().Picture);
}

TEST_F(PictureEdit, AFailedLoadIsNoStep) {
    InstallKnownPicture();
    const std::size_t steps = form->StillHistory.UndoCount();
    WriteBytes(Path("bad.bmp"), Bytes(20, 'x'));
    EXPECT_EQ(FailureOf([&] { LoadPicture(Image(), Path("bad.bmp")); }), L"ビットマップイメージが不正です");
    EXPECT_EQ(form->StillHistory.UndoCount(), steps);
    ExpectKnownPicture();
}

TEST_F(PictureEdit, CtrlCPutsThePictureOnTheClipboardAtItsDepthWithItsColourTable) {
    BmpSpec s;
    s.bitCount = 8;
    s.width = 5;
    s.height = 3;
    s.clrUsed = 256;
    s.xPelsPerMeter = 2835;
    s.yPelsPerMeter = 3780;
    for (std::uint32_t i = 0; i < 256; ++i) s.colors.push_back(i << 16 | (255 - i) << 8 | (i * 7 & 255));
    s.sizeImage = BmpStride(5, 8) * 3;
    const Bytes file = MakeBmp(s);
    WriteBytes(Path("eight.bmp"), file);
    LoadPicture(Image(), Path("eight.bmp"));
    OfferDib({});
    PressKeys({VK_CONTROL, 'C'});
    Bytes dib = ClipboardDib();
    ASSERT_GE(dib.size(), file.size() - 14);
    dib.resize(file.size() - 14);  // the block may be rounded up
    EXPECT_EQ(dib, WithoutFileHeader(file));
}

TEST_F(PictureEdit, CtrlCGivesTheDisplayPixelsOfACopiedStillImage) {
    form->SpeedButton1Click();  // the video pane's own look, in the display's format
    Pixels still = ReadBitmap(Image().Picture->Handle());
    PressKeys({VK_CONTROL, 'C'});
    const Bytes dib = ClipboardDib();
    ASSERT_GE(dib.size(), 40u);
    const auto bits = Le16(dib, 14);
    ASSERT_EQ(static_cast<int>(Le32(dib, 4)), still.width);
    ASSERT_EQ(static_cast<int>(Le32(dib, 8)), still.height);  // bottom-up
    ASSERT_EQ(bits, 32) << "this check reads 32-bit pixels";
    ASSERT_GE(dib.size(), 40u + 4u * still.width * still.height);
    int wrong = 0;
    for (int y = 0; y < still.height; ++y)
        for (int x = 0; x < still.width; ++x)
            if ((Le32(dib, 40 + 4 * ((still.height - 1 - y) * still.width + x)) & 0xFFFFFF) != still.At(x, y)) ++wrong;
    EXPECT_EQ(wrong, 0);
}

TEST_F(PictureEdit, CtrlVLoadsABitmapFromTheClipboardAsAStepAndSavesIt) {
    InstallKnownPicture();
    OfferDib({});
    PressKeys({VK_CONTROL, 'V'});  // nothing usable: nothing happens
    ExpectKnownPicture();
    BmpSpec s;
    s.width = 6;
    s.height = 4;
    s.sizeImage = BmpStride(6, 24) * 4;
    s.pixels.assign(s.sizeImage, 0);
    for (std::size_t row = 0; row < 4; ++row)
        for (std::size_t x = 0; x < 6; ++x) s.pixels[row * BmpStride(6, 24) + 3 * x + 2] = 200;  // red
    const Bytes file = MakeBmp(s);
    OfferDib(WithoutFileHeader(file));
    PressKeys({VK_CONTROL, 'V'});
    ASSERT_TRUE(Image().Picture);
    EXPECT_EQ(Image().Picture->Width(), 6);
    EXPECT_EQ(Saved("pasted.bmp"), file);
    // Image1 shows it stretched over the whole pane.
    EXPECT_TRUE(PumpUntil([&] {
        Pixels shown = ReadWindow(form->Image1->Handle());
        return shown.width == 320 && shown.At(0, 0) == 0xC80000u && shown.At(319, 239) == 0xC80000u;
    }));
    PressKeys({VK_CONTROL, 'Z'});
    ExpectKnownPicture();
}

TEST_F(PictureEdit, AHostileClipboardBitmapIsRefusedAndLeavesTheStillImage) {
    InstallKnownPicture();
    const std::size_t steps = form->StillHistory.UndoCount();
    BmpSpec big;
    big.width = 640;
    big.height = 480;
    big.pixels.assign(16, 7);
    BmpSpec longHeader;
    longHeader.headerSize = 1000;
    BmpSpec eight;
    eight.bitCount = 8;
    eight.clrUsed = 200;
    eight.pixels.assign(8, 1);
    const Bytes cases[] = {
        WithoutFileHeader(MakeBmp(big)),                     // pixels the block does not hold
        Prefix(WithoutFileHeader(MakeBmp(longHeader)), 60),  // a header longer than the block
        Prefix(WithoutFileHeader(MakeBmp(eight)), 48),       // a colour table it lacks
    };
    for (const Bytes& dib : cases) {
        OfferDib(dib);
        DialogDriver report(L"Movetrail");
        PressKeys({VK_CONTROL, 'V'});
        ASSERT_TRUE(report.Wait());
        bool shown = false;
        for (const auto& t : report.view.texts) shown |= t == L"ビットマップイメージが不正です.";
        EXPECT_TRUE(shown) << "case of " << dib.size() << " bytes";
        ExpectKnownPicture();
        EXPECT_EQ(form->StillHistory.UndoCount(), steps);
    }
}

}  // namespace
}  // namespace mt::test

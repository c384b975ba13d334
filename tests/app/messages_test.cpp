// The plain message dialog.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/application.h"
#include "base/messages.h"
#include "common/dialog_driver.h"

using namespace mt;
using namespace mt::test;

TEST(PlainMessage, ShowsTheTextWithOneOkButtonAndNoIconCentredOnTheScreen) {
    DialogDriver box(L"Movetrail");
    ShowMessage(L"そのファイルは開けません");
    ASSERT_TRUE(box.Wait());
    int buttons = 0;
    bool text = false;
    for (size_t i = 0; i < box.view.classes.size(); ++i) {
        if (_wcsicmp(box.view.classes[i].c_str(), L"Button") == 0) {
            ++buttons;
            EXPECT_EQ(box.view.texts[i], L"OK");
            EXPECT_EQ(box.view.styles[i] & 0x0F, BS_DEFPUSHBUTTON);
        }
        if (_wcsicmp(box.view.classes[i].c_str(), L"Static") == 0) {
            EXPECT_NE(box.view.styles[i] & SS_TYPEMASK, SS_ICON);
            text = text || box.view.texts[i] == L"そのファイルは開けません";
        }
    }
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(text);
    int cx = (box.view.rect.left + box.view.rect.right) / 2;
    int cy = (box.view.rect.top + box.view.rect.bottom) / 2;
    EXPECT_NEAR(cx, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR(cy, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST(PlainMessage, EscapeClosesItLikeOk) {
    DialogDriver box(L"Movetrail", Pressing(IDCANCEL));
    ShowMessage(L"タイマーを取得できません");
    EXPECT_TRUE(box.Wait());
}

TEST(PlainMessage, LongTextIsWrappedToHalfTheScreenWidth) {
    std::wstring longText;
    for (int i = 0; i < 40; ++i) longText += L"長い説明文です ";
    DialogDriver box(L"Movetrail");
    ShowMessage(longText);
    ASSERT_TRUE(box.Wait());
    int width = box.view.rect.right - box.view.rect.left;
    int height = box.view.rect.bottom - box.view.rect.top;
    EXPECT_LE(width, ::GetSystemMetrics(SM_CXSCREEN) / 2 + 60);
    EXPECT_GT(width, ::GetSystemMetrics(SM_CXSCREEN) / 4);
    EXPECT_GT(height, 100) << "the text should take several lines";
}

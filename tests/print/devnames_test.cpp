// The printer names handed to and taken from the printer-setup dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include "print/printer_setup_dialog.h"

namespace mt {
namespace {

TEST(DevNames, NamesFollowTheHeaderAtCharacterOffsetsAndReadBackWhole) {
    const std::wstring driver = L"wineps.drv", device = L"長い名前のプリンタ " + std::wstring(300, L'x'), port = L"";
    OwnedGlobal block = MakeDevNames(driver, device, port);
    ASSERT_TRUE(block);
    {
        GlobalView<DEVNAMES> names(block.get());
        EXPECT_EQ(4, names->wDriverOffset);   // 8 header bytes
        EXPECT_EQ(4 + driver.size() + 1, names->wDeviceOffset);
        EXPECT_EQ(4 + driver.size() + 1 + device.size() + 1, names->wOutputOffset);
        EXPECT_EQ(0, names->wDefault);
    }
    EXPECT_GE(::GlobalSize(block.get()), (4 + driver.size() + device.size() + port.size() + 3) * sizeof(wchar_t));
    std::wstring a, b, c = L"stale";
    ASSERT_TRUE(ReadDevNames(block.get(), a, b, c));
    EXPECT_EQ(driver, a);
    EXPECT_EQ(device, b);
    EXPECT_EQ(port, c);
}

}  // namespace
}  // namespace mt

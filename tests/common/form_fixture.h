// A fixture that creates the real main window, shows it (running FormShow)
// and destroys it afterwards.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "app/form1.h"

namespace mt::test {

class FormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::unique_ptr<TForm1> form;
};

// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND wnd);

}  // namespace mt::test

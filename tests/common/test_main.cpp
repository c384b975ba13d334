#include <gtest/gtest.h>

#include "base/application.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    mt::Application.Initialize();
    mt::Application.SetTitle(L"Movetrail");
    return RUN_ALL_TESTS();
}

// Start-up and shutdown of Movetrail.
#include <windows.h>

#include <memory>

#include "app/desktop.h"
#include "app/form1.h"
#include "base/application.h"
#include "base/failure.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    int exitCode = 0;
    mt::Guarded([&] {
        mt::Application.Initialize();
        mt::Application.SetTitle(L"Movetrail");
        auto form = std::make_unique<mt::TForm1>();
        form->Show(showCommand);
        if (std::wstring file = mt::CommandLineFile(); !file.empty()) {
            // Drawn first: opening a long clip takes a while.
            ::RedrawWindow(form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            mt::Guarded([&] { form->OpenFile(file); });
        }
        exitCode = mt::Application.Run();
        form.reset();
    });
    mt::FrameCountText.clear();
    mt::FrameCountText.shrink_to_fit();
    return exitCode;
}

// The program's main window as the measurements start it: the application set up
// as the program's start sets it up, the window shown and its first messages handled.
#pragma once
#include <memory>

#include "app/form1.h"
#include "base/application.h"
#include "bench/bench_clock.h"

namespace bench {

inline std::unique_ptr<mt::TForm1> StartMainWindow() {
    mt::Application.Initialize();
    mt::Application.SetTitle(L"Movetrail");
    auto form = std::make_unique<mt::TForm1>();
    form->Show();
    Pump();
    return form;
}

}  // namespace bench

#include "common/form_fixture.h"

#include "common/pump.h"

namespace mt::test {

void FormTest::SetUp() {
    form = std::make_unique<TForm1>();
    form->Show();
    ::UpdateWindow(form->Handle());
    Pump();
}

void FormTest::TearDown() {
    form.reset();
    PumpAfterClose();
}

RECT RectInParent(HWND wnd) {
    RECT r;
    ::GetWindowRect(wnd, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(wnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace mt::test

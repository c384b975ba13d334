#include "print/printer_setup_dialog.h"

#include <commdlg.h>

#include <cstring>
#include <new>
#include <string>

#include "base/application.h"
#include "base/errors.h"
#include "base/failure.h"
#include "base/handles.h"
#include "print/printer.h"

namespace mt {

namespace {

OwnedGlobal AllocZeroed(SIZE_T size) {
    OwnedGlobal block(::GlobalAlloc(GHND, size));
    if (!block) throw std::bad_alloc();
    return block;
}

OwnedGlobal Duplicate(HGLOBAL source) {
    if (!source) return OwnedGlobal();
    const SIZE_T size = ::GlobalSize(source);
    OwnedGlobal copy = AllocZeroed(size);
    GlobalView<void> from(source), to(copy.get());
    if (from && to) std::memcpy(to.get(), from.get(), size);
    return copy;
}

// Positions the dialog when it initialises.
UINT_PTR CALLBACK SetupHook(HWND dialog, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) Guarded([dialog] { PlaceSystemDialog(dialog); });
    return 0;
}

// DEVNAMES: offsets in characters from the block's start, then the driver,
// device and port names each with its terminating zero; default flag 0.
OwnedGlobal MakeDevNames(const std::wstring& driver, const std::wstring& device, const std::wstring& port) {
    const size_t header = sizeof(DEVNAMES) / sizeof(wchar_t);
    const size_t chars = header + driver.size() + 1 + device.size() + 1 + port.size() + 1;
    OwnedGlobal block = AllocZeroed(chars * sizeof(wchar_t));
    GlobalView<wchar_t> view(block.get());
    auto* names = reinterpret_cast<DEVNAMES*>(view.get());
    size_t at = header;
    for (auto [offset, text] : {std::pair{&names->wDriverOffset, &driver},
                                std::pair{&names->wDeviceOffset, &device},
                                std::pair{&names->wOutputOffset, &port}}) {
        *offset = static_cast<WORD>(at);
        std::memcpy(view.get() + at, text->c_str(), text->size() * sizeof(wchar_t));
        at += text->size() + 1;
    }
    return block;
}

bool ReadDevNames(HGLOBAL block, std::wstring& driver, std::wstring& device, std::wstring& port) {
    GlobalView<wchar_t> view(block);
    if (!view) return false;
    auto* names = reinterpret_cast<const DEVNAMES*>(view.get());
    driver = view.get() + names->wDriverOffset;
    device = view.get() + names->wDeviceOffset;
    port = view.get() + names->wOutputOffset;
    return true;
}

}  // namespace

bool TPrinterSetupDialog::Execute(HWND owner) {
    std::wstring device, driver, port;
    HGLOBAL current = nullptr;
    Printer().GetPrinter(device, driver, port, current);
    OwnedGlobal devNames = current ? MakeDevNames(driver, device, port) : OwnedGlobal();
    OwnedGlobal devMode = Duplicate(current);

    PRINTDLGW pd{};
    static_assert(sizeof pd == 66);
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.hInstance = Application.Instance();
    pd.hDevNames = devNames.release();
    pd.hDevMode = devMode.release();
    pd.Flags = PD_PRINTSETUP | PD_ENABLESETUPHOOK;
    pd.lpfnSetupHook = &SetupHook;
    BOOL ok;
    {
        TaskModalScope modal;
        ok = ::PrintDlgW(&pd);
    }
    // The dialog may have replaced either block; from here they are ours again.
    devNames.reset(pd.hDevNames);
    devMode.reset(pd.hDevMode);
    if (OnClose) OnClose();
    if (!ok) return false;

    if (!ReadDevNames(devNames.get(), driver, device, port)) return false;
    devNames.reset();
    Printer().SetPrinter(device, driver, port, std::move(devMode));
    return true;
}

}  // namespace mt

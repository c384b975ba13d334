// The main window's printing handlers.
#include "app/form1.h"
#include "base/errors.h"
#include "base/failure.h"
#include "print/print_geometry.h"
#include "print/printer.h"
#include "print/stretch_draw_dib.h"

namespace mt {

namespace {

// A copy of the still image as it is now, so the page does not change when the
// still image does while the page is spooled. Empty when there is none.
TBitmap TakeSnapshot(TBitmap* picture) {
    TBitmap snapshot;
    if (!picture || picture->Empty() || picture->Width() <= 0 || picture->Height() <= 0)
        return snapshot;
    picture->ReleaseCanvas();
    HANDLE copy = ::CopyImage(picture->Handle(), IMAGE_BITMAP, 0, 0, 0);
    if (!copy) RaiseLastOSError();
    OwnedBitmap bitmap(static_cast<HBITMAP>(copy));
    OwnedPalette palette;
    if (HPALETTE source = picture->Palette()) {
        std::vector<BYTE> block(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY), 0);
        auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
        log->palVersion = 0x300;
        log->palNumEntries = static_cast<WORD>(::GetPaletteEntries(source, 0, 256, log->palPalEntry));
        if (log->palNumEntries) palette.reset(::CreatePalette(log));
    }
    snapshot.Assign(std::move(bitmap), std::move(palette));
    return snapshot;
}

int ScaleOf(HGLOBAL devMode) {
    GlobalView<DEVMODEW> dm(devMode);
    return dm ? PrintScaleFactor(dm->dmFields, dm->dmScale) : 100;
}

}  // namespace

// Runs on a click on 印刷: prints the still image on one page.
void TForm1::Button9Click() {
    TBitmap snapshot = TakeSnapshot(Image1->Picture.get());
    TPrinter& printer = Printer();
    // Re-selecting drops the old context, so the next one uses the current
    // device mode (as the setup dialog left it).
    printer.SetPrinterIndex(printer.PrinterIndex());
    std::wstring device, driver, port;
    HGLOBAL devMode = nullptr;
    printer.GetPrinter(device, driver, port, devMode);
    const int scale = ScaleOf(devMode);

    HDC info = printer.Handle();
    PrinterMetrics metrics;
    metrics.OffsetX = ::GetDeviceCaps(info, PHYSICALOFFSETX);
    metrics.OffsetY = ::GetDeviceCaps(info, PHYSICALOFFSETY);
    metrics.PixelsPerInchX = ::GetDeviceCaps(info, LOGPIXELSX);
    metrics.PixelsPerInchY = ::GetDeviceCaps(info, LOGPIXELSY);
    const PrintRect dest = ComputePrintRect(metrics, Pane2Width, Pane2Height, scale);

    printer.Title = L"KORIBEN";
    printer.BeginDoc();
    try {
        StretchDrawDIB(printer.Canvas().Handle(), dest, snapshot, SRCCOPY);
    } catch (...) {
        printer.EndDoc();  // the page goes out with whatever was drawn
        throw;
    }
    printer.EndDoc();
}

// Runs on a click on 用紙設定: lets the user choose the printer and its settings.
void TForm1::Button10Click() { PrinterSetupDialog1->Execute(Handle()); }

}  // namespace mt

// The program's one printer: the printer list, the current printer with its
// device mode, its information and device contexts, and one-page documents.
#pragma once
#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

#include "base/handles.h"

namespace mt {

inline void ClosePrinterHandle(HANDLE h) noexcept { ::ClosePrinter(h); }
using OwnedPrinterHandle = Owned<HANDLE, &ClosePrinterHandle>;

// The printer's drawing surface: the current context with the drawing tools
// the printer object put into it.
class TPrinterCanvas {
public:
    TPrinterCanvas() = default;
    TPrinterCanvas(const TPrinterCanvas&) = delete;
    TPrinterCanvas& operator=(const TPrinterCanvas&) = delete;
    ~TPrinterCanvas() { Detach(); }
    HDC Handle() const noexcept { return dc_; }
    void Attach(HDC dc) noexcept;
    // Puts the context's own tools back and forgets it (before it is deleted).
    void Detach() noexcept;
    // Black pen, white brush and the default font sized for the device's
    // vertical resolution.
    void ResetTools();

private:
    HDC dc_ = nullptr;
    OwnedFont font_;
    HGDIOBJ oldPen_ = nullptr;
    HGDIOBJ oldBrush_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
};

struct PrinterEntry {
    std::wstring Device;
    std::wstring Driver;
    std::wstring Port;
};

class TPrinter {
public:
    TPrinter() = default;
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;
    // Ends an unfinished document and releases every context and handle.
    ~TPrinter();

    // The current printer's position in the list; chooses the system's
    // default printer when none is chosen yet.
    int PrinterIndex();
    void SetPrinterIndex(int index);
    const std::vector<PrinterEntry>& Printers();

    // The current printer's names and its device-mode block (null when none;
    // still owned by the printer object).
    void GetPrinter(std::wstring& device, std::wstring& driver, std::wstring& port,
                    HGLOBAL& devMode);
    // Adopts a printer by its names, taking ownership of the device-mode block.
    void SetPrinter(const std::wstring& device, const std::wstring& driver,
                    const std::wstring& port, OwnedGlobal devMode);

    // An information context for capability queries (or the device context
    // while one exists).
    HDC Handle();
    TPrinterCanvas& Canvas() { return canvas_; }

    std::wstring Title;
    void BeginDoc();
    void EndDoc();
    bool Printing() const noexcept { return printing_; }
    bool Aborted() const noexcept { return aborted_; }
    int PageNumber() const noexcept { return pageNumber_; }
    // DM_ORIENTATION, DM_COPIES and DM_COLLATE as the device mode offers them.
    DWORD Capabilities() const noexcept { return capabilities_; }

private:
    enum class State { None, Info, Device };
    void SetState(State state);
    void CheckNotPrinting() const;
    void SetToDefaultPrinter();
    void ReadCapabilities();
    static BOOL CALLBACK AbortProc(HDC dc, int error);
    static TPrinter* spooling_;  // the printer whose document the system spools

    std::vector<PrinterEntry> printers_;
    bool listBuilt_ = false;
    int index_ = -1;
    OwnedGlobal devMode_;
    OwnedPrinterHandle printerHandle_;
    OwnedMemDC dc_;
    State state_ = State::None;
    TPrinterCanvas canvas_;
    bool printing_ = false;
    bool aborted_ = false;
    int pageNumber_ = 0;
    DWORD capabilities_ = 0;
};

// The one printer object, created on first use and released at exit.
TPrinter& Printer();

}  // namespace mt

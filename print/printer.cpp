#include "print/printer.h"

#include <memory>
#include <new>

#include "base/application.h"
#include "base/errors.h"
#include "base/failure.h"

namespace mt {

namespace {

const wchar_t kPrinting[] = L"現在印刷中です";
const wchar_t kNotPrinting[] = L"プリンタに印刷できる状態ではありません";
const wchar_t kIndexOutOfRange[] = L"プリンタ番号が範囲を超えています";
const wchar_t kNoDefault[] = L"デフォルト プリンタが存在しません";
const wchar_t kInvalidPrinter[] = L"選択したプリンタは有効ではありません";

const wchar_t* OrNull(const std::wstring& s) noexcept { return s.empty() ? nullptr : s.c_str(); }

// EnumPrinters into a buffer of the size it asks for. False when the call
// failed; the error is then in GetLastError.
bool EnumPrintersInto(DWORD flags, DWORD level, std::vector<BYTE>& buffer, DWORD& count) {
    DWORD needed = 0;
    count = 0;
    if (::EnumPrintersW(flags, nullptr, level, nullptr, 0, &needed, &count)) {
        buffer.clear();
        return true;
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    buffer.assign(needed, 0);
    return ::EnumPrintersW(flags, nullptr, level, buffer.data(), needed, &needed, &count) != FALSE;
}

}  // namespace

TPrinter* TPrinter::spooling_ = nullptr;

TPrinter::~TPrinter() {
    if (printing_) {
        try {
            EndDoc();
        } catch (...) {
        }
    }
    if (spooling_ == this) spooling_ = nullptr;
    canvas_.Detach();
    dc_.reset();
}

void TPrinter::CheckNotPrinting() const {
    if (printing_) throw EPrinter(kPrinting);
}

const std::vector<PrinterEntry>& TPrinter::Printers() {
    if (listBuilt_) return printers_;
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!EnumPrintersInto(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, 4, buffer, count))
        RaiseLastOSError();
    std::vector<PrinterEntry> list;
    auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        list.push_back({info[i].pPrinterName ? info[i].pPrinterName : L"", L"", L""});
    printers_ = std::move(list);
    listBuilt_ = true;
    return printers_;
}

int TPrinter::PrinterIndex() {
    if (index_ == -1) SetToDefaultPrinter();
    return index_;
}

void TPrinter::SetPrinterIndex(int index) {
    CheckNotPrinting();
    if (index == -1 || index_ == -1) SetToDefaultPrinter();
    // An index is checked also when the default was chosen just now, so no
    // index outside the list is ever stored; -1 keeps the default current.
    if (index != -1) {
        if (index < 0 || index >= static_cast<int>(Printers().size())) throw EPrinter(kIndexOutOfRange);
        index_ = index;
    }
    SetState(State::None);
}

void TPrinter::SetToDefaultPrinter() {
    std::vector<BYTE> buffer;
    DWORD count = 0;
    if (!EnumPrintersInto(PRINTER_ENUM_DEFAULT, 5, buffer, count)) {
        DWORD error = ::GetLastError();
        if (error == ERROR_INVALID_NAME) throw EPrinter(kNoDefault);
        if (error != ERROR_INSUFFICIENT_BUFFER) RaiseLastOSError(error);
        count = 0;
    }
    std::wstring name;
    if (count > 0) {
        auto* info = reinterpret_cast<const PRINTER_INFO_5W*>(buffer.data());
        if (info[0].pPrinterName) name = info[0].pPrinterName;
    } else {
        wchar_t device[80] = {};
        ::GetProfileStringW(L"windows", L"device", L"", device, 80);
        name = device;
        name = name.substr(0, name.find(L','));
    }
    const auto& list = Printers();
    for (const auto& entry : list) {
        if (entry.Device == name) {
            PrinterEntry chosen = entry;  // SetPrinter may change the list
            SetPrinter(chosen.Device, chosen.Driver, chosen.Port, OwnedGlobal());
            return;
        }
    }
    throw EPrinter(kNoDefault);
}

void TPrinter::GetPrinter(std::wstring& device, std::wstring& driver, std::wstring& port,
                          HGLOBAL& devMode) {
    const PrinterEntry& entry = Printers().at(static_cast<size_t>(PrinterIndex()));
    device = entry.Device;
    driver = entry.Driver;
    port = entry.Port;
    devMode = devMode_.get();
}

void TPrinter::ReadCapabilities() {
    capabilities_ = 0;
    GlobalView<DEVMODEW> dm(devMode_.get());
    if (dm) capabilities_ = dm->dmFields & (DM_ORIENTATION | DM_COPIES | DM_COLLATE);
}

void TPrinter::SetPrinter(const std::wstring& device, const std::wstring& driver,
                          const std::wstring& port, OwnedGlobal devMode) {
    CheckNotPrinting();
    if (devMode.get() == devMode_.get())
        devMode.release();
    else
        devMode_ = std::move(devMode);
    ReadCapabilities();
    printerHandle_.reset();
    SetState(State::None);
    Printers();
    size_t i = 0;
    for (; i < printers_.size(); ++i) {
        PrinterEntry& e = printers_[i];
        if (e.Device == device && (e.Port.empty() || e.Port == port)) {
            e.Port = port;
            break;
        }
    }
    if (i == printers_.size()) printers_.push_back({device, driver, port});
    index_ = static_cast<int>(i);

    HANDLE h = nullptr;
    if (!::OpenPrinterW(const_cast<wchar_t*>(device.c_str()), &h, nullptr)) return;
    printerHandle_.reset(h);
    if (!devMode_) {
        auto* name = const_cast<wchar_t*>(device.c_str());
        LONG size = ::DocumentPropertiesW(nullptr, h, name, nullptr, nullptr, 0);
        if (size > 0) {
            OwnedGlobal block(::GlobalAlloc(GHND, static_cast<SIZE_T>(size)));
            if (!block) throw std::bad_alloc();
            bool filled;
            {
                GlobalView<DEVMODEW> dm(block.get());
                filled = dm && ::DocumentPropertiesW(nullptr, h, name, dm.get(), nullptr,
                                                     DM_OUT_BUFFER) >= 0;
            }
            if (filled) devMode_ = std::move(block);
        }
    }
    ReadCapabilities();
}

void TPrinter::SetState(State state) {
    if (state == state_) return;
    if (state == State::None) {
        CheckNotPrinting();
        canvas_.Detach();
        dc_.reset();
        state_ = State::None;
        return;
    }
    if (state == State::Info && state_ == State::Device) return;  // serves queries too
    canvas_.Detach();
    dc_.reset();
    state_ = State::None;
    const PrinterEntry& entry = Printers().at(static_cast<size_t>(PrinterIndex()));
    HDC dc;
    {
        GlobalView<DEVMODEW> dm(devMode_.get());
        dc = state == State::Device
                 ? ::CreateDCW(OrNull(entry.Driver), entry.Device.c_str(), OrNull(entry.Port), dm.get())
                 : ::CreateICW(OrNull(entry.Driver), entry.Device.c_str(), OrNull(entry.Port), dm.get());
    }
    if (!dc) throw EPrinter(kInvalidPrinter);
    dc_.reset(dc);
    state_ = state;
    canvas_.Attach(dc);
}

HDC TPrinter::Handle() {
    SetState(State::Info);
    return dc_.get();
}

void TPrinter::BeginDoc() {
    CheckNotPrinting();
    SetState(State::Device);
    canvas_.ResetTools();
    printing_ = true;
    aborted_ = false;
    pageNumber_ = 1;
    DOCINFOW info{};
    static_assert(sizeof info == 20);
    info.cbSize = sizeof info;
    info.lpszDocName = Title.c_str();
    spooling_ = this;
    ::SetAbortProc(dc_.get(), &TPrinter::AbortProc);
    ::StartDocW(dc_.get(), &info);
    ::StartPage(dc_.get());
}

void TPrinter::EndDoc() {
    if (!printing_) throw EPrinter(kNotPrinting);
    ::EndPage(dc_.get());
    if (!aborted_) ::EndDoc(dc_.get());
    printing_ = false;
    aborted_ = false;
    pageNumber_ = 0;
}

// Called by the system while it spools: keeps the program's windows alive.
BOOL CALLBACK TPrinter::AbortProc(HDC, int) {
    Guarded([] { Application.ProcessMessages(); });
    return !(spooling_ && spooling_->aborted_);
}

TPrinter& Printer() {
    static std::unique_ptr<TPrinter> printer = std::make_unique<TPrinter>();
    return *printer;
}

}  // namespace mt

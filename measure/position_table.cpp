#include "measure/position_table.h"

#include <commctrl.h>

#include <cstring>
#include <cwchar>

#include "base/application.h"
#include "base/clipboard.h"
#include "base/dialog_template.h"
#include "base/errors.h"
#include "base/failure.h"
#include "base/file_dialog.h"
#include "base/format.h"
#include "base/handles.h"
#include "base/messages.h"
#include "base/placement.h"
#include "base/typed_number.h"
#include "imagefiles/file_io.h"
#include "measure/scale_dialog.h"

namespace mt {
namespace {

using Ids = PositionTableIds;
constexpr int kColumnWidths[] = {60, 62, 62, 62, 74, 74, 82, 82, 72};
constexpr int kMargin = 10, kListH = 260, kRowH = 28;
// The graph's column beside the list: its width, and the fit's report under it.
constexpr int kGraphW = 450, kFitTextH = 114;
// Posted to the window once for a burst of selection changes.
constexpr UINT kSelectionChanged = WM_APP + 37;
constexpr const wchar_t* kFitNames[] = {L"なし", L"直線", L"放物線"};

int ListWidth() {
    int w = 4 + ::GetSystemMetrics(SM_CXVSCROLL);
    for (int c : kColumnWidths) w += c;
    return w;
}

// Sizes the window to w x h and places it beside its owner on the owner's
// monitor, within that monitor's work area (PlaceBeside).
void PlaceBesideOwner(HWND wnd, HWND owner, int w, int h) {
    RECT around{};
    ::GetWindowRect(owner, &around);
    MONITORINFO monitor{sizeof monitor};
    RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) work = monitor.rcWork;
    const ScreenPoint at = PlaceBeside({around.left, around.top, around.right, around.bottom},
                                       {work.left, work.top, work.right, work.bottom}, w, h);
    ::SetWindowPos(wnd, nullptr, at.x, at.y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The user's list separator, as the CSV file takes it.
std::wstring ListSeparator() {
    wchar_t text[8] = {};
    return ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SLIST, text, 8) > 1 ? text : L",";
}

}  // namespace

TPositionTable::TPositionTable(HWND owner, std::function<std::optional<long double>()> lastDrag,
                               std::function<void(long frame)> showFrame)
    : owner_(owner), lastDrag_(std::move(lastDrag)), showFrame_(std::move(showFrame)) {}

TPositionTable::~TPositionTable() {
    if (window_ && ::IsWindow(window_)) {
        ::SetWindowLongPtrW(window_, DWLP_USER, 0);
        ::DestroyWindow(window_);
    }
    if (window_) Application.RemoveModeless(window_);
}

void TPositionTable::Create() {
    DialogTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    t.Add(WC_LISTVIEWW, LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, Ids::kList, L"");
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, Ids::kFollowing, L"");
    t.Add(DialogClass::Button, BS_AUTOCHECKBOX | WS_TABSTOP, Ids::kRecord, L"手で記録");
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, Ids::kIntervalLabel, L"間隔");
    t.Add(DialogClass::Edit, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, Ids::kInterval, L"1");
    t.Add(DialogClass::Button, BS_AUTOCHECKBOX | WS_TABSTOP, Ids::kOrigin, L"最初の位置を原点");
    t.Add(DialogClass::Button, BS_PUSHBUTTON | WS_TABSTOP, Ids::kCopy, L"コピー");
    t.Add(DialogClass::Button, BS_PUSHBUTTON | WS_TABSTOP, Ids::kSave, L"保存...");
    t.Add(DialogClass::Button, BS_PUSHBUTTON | WS_TABSTOP, Ids::kScale, L"尺度...");
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, Ids::kGraphLabel, L"グラフ");
    t.Add(DialogClass::ComboBox, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, Ids::kGraphColumn, L"");
    t.Add(DialogClass::Static, SS_LEFT | SS_NOPREFIX, Ids::kFitLabel, L"当てはめ");
    t.Add(DialogClass::ComboBox, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, Ids::kFitKind, L"");
    t.Add(DialogClass::Button, BS_PUSHBUTTON | WS_TABSTOP, Ids::kCopyGraph, L"グラフをコピー");
    t.Add(DialogClass::Edit, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
          Ids::kFitText, L"");
    window_ = OwnDialog::Create(t, owner_);
    if (!window_) RaiseLastOSError();
    Application.AddModeless(window_, &TPositionTable::PreTranslate);
}

bool TPositionTable::Initialise(HWND dlg) {
    window_ = dlg;
    ::SetWindowTextW(dlg, L"位置の表");
    UseFormFont(dlg);
    const int listW = ListWidth(), clientW = 2 * kMargin + listW;
    PlaceItem(dlg, Ids::kList, kMargin, kMargin, listW, kListH);
    int y = kMargin + kListH + 6;
    PlaceItem(dlg, Ids::kFollowing, kMargin, y, listW, 16);
    y += 22;
    PlaceItem(dlg, Ids::kRecord, kMargin, y + 2, 90, 20);
    PlaceItem(dlg, Ids::kIntervalLabel, kMargin + 100, y + 4, 36, 16);
    PlaceItem(dlg, Ids::kInterval, kMargin + 136, y, 56, 22);
    PlaceItem(dlg, Ids::kOrigin, kMargin + 210, y + 2, 150, 20);
    y += kRowH + 4;
    const int buttonW = 88, buttonH = 25;
    PlaceItem(dlg, Ids::kCopy, clientW - kMargin - 3 * buttonW - 16, y, buttonW, buttonH);
    PlaceItem(dlg, Ids::kSave, clientW - kMargin - 2 * buttonW - 8, y, buttonW, buttonH);
    PlaceItem(dlg, Ids::kScale, clientW - kMargin - buttonW, y, buttonW, buttonH);
    // The graph beside the list, from the list's top to the buttons' bottom: what
    // it plots and the fit above it, the fit's report under it.
    {
        const int left = clientW, bottom = y + buttonH, graphTop = kMargin + 32;
        PlaceItem(dlg, Ids::kGraphLabel, left, kMargin + 5, 44, 16);
        PlaceItem(dlg, Ids::kGraphColumn, left + 46, kMargin, 64, 160);
        PlaceItem(dlg, Ids::kFitLabel, left + 130, kMargin + 5, 52, 16);
        PlaceItem(dlg, Ids::kFitKind, left + 184, kMargin, 80, 120);
        PlaceItem(dlg, Ids::kCopyGraph, left + kGraphW - 110, kMargin, 110, buttonH);
        graph_ = std::make_unique<TMotionGraph>(dlg, Ids::kGraph);
        graph_->OnPointClicked = [this](std::size_t point, bool control) { GraphClicked(point, control); };
        ::MoveWindow(graph_->Handle(), left, graphTop, kGraphW, bottom - kFitTextH - 6 - graphTop, FALSE);
        PlaceItem(dlg, Ids::kFitText, left, bottom - kFitTextH, kGraphW, kFitTextH);
        for (MotionColumn c : kMotionColumns)
            ::SendDlgItemMessageW(dlg, Ids::kGraphColumn, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ColumnName(c).c_str()));
        ::SendDlgItemMessageW(dlg, Ids::kGraphColumn, CB_SETCURSEL, 1, 0);  // Y
        for (const wchar_t* name : kFitNames)
            ::SendDlgItemMessageW(dlg, Ids::kFitKind, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        ::SendDlgItemMessageW(dlg, Ids::kFitKind, CB_SETCURSEL, 0, 0);  // なし
    }
    // Right of the main window where the screen has room, else below it (kept on
    // the screen); made without taking the keyboard from the main window.
    RECT frame{0, 0, clientW, y + buttonH + kMargin};
    frame.right += kGraphW + kMargin;
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(dlg, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongW(dlg, GWL_EXSTYLE)));
    PlaceBesideOwner(dlg, owner_, frame.right - frame.left, frame.bottom - frame.top);

    HWND list = ::GetDlgItem(dlg, Ids::kList);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    const std::vector<std::wstring> header = TableHeader(table_.scale);
    for (int c = 0; c < static_cast<int>(header.size()); ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        column.fmt = c == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
        column.cx = kColumnWidths[c];
        column.pszText = const_cast<wchar_t*>(header[std::size_t(c)].c_str());
        column.iSubItem = c;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    }
    return false;  // made hidden: the keyboard stays where it is until shown
}

void TPositionTable::Show(bool activate) {
    if (!window_) Create();
    Refresh();
    if (activate) ::ShowWindow(window_, ::IsIconic(window_) ? SW_RESTORE : SW_SHOW);
    else ::ShowWindow(window_, ::IsIconic(window_) ? SW_SHOWNOACTIVATE : SW_SHOWNA);
    ::SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | (activate ? 0 : SWP_NOACTIVATE));
}

void TPositionTable::Refresh() {
    cells_ = TableCells(table_, DecimalSeparator());
    changed_ = false;
    if (!window_) return;
    HWND list = ::GetDlgItem(window_, Ids::kList);
    const std::vector<std::wstring> header = TableHeader(table_.scale);
    for (int c = 0; c < static_cast<int>(header.size()); ++c) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = const_cast<wchar_t*>(header[std::size_t(c)].c_str());
        ::SendMessageW(list, LVM_SETCOLUMNW, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    }
    ::SendMessageW(list, LVM_SETITEMCOUNT, cells_.size(), LVSICF_NOSCROLL);
    ::InvalidateRect(list, nullptr, TRUE);
    UpdateGraph();
}

void TPositionTable::SetFollowing(const std::wstring& text) {
    if (!window_) Create();
    ::SetDlgItemTextW(window_, Ids::kFollowing, text.c_str());
}

void TPositionTable::ClipChanged() {
    table_.Clear();
    table_.scale = MotionScale{};
    if (window_) ::SetDlgItemTextW(window_, Ids::kFollowing, L"");
    clipFrame_.reset();
    clipTime_.reset();
    StopRecording();
    Refresh();
}

bool TPositionTable::Recording() const {
    return Visible() && ::IsDlgButtonChecked(window_, Ids::kRecord) == BST_CHECKED;
}

void TPositionTable::StopRecording() {
    if (window_) ::CheckDlgButton(window_, Ids::kRecord, BST_UNCHECKED);
}

long TPositionTable::Interval() const {
    if (!window_) return 1;
    return std::max(1L, ParseTypedWhole(ItemText(window_, Ids::kInterval)).value_or(1));
}

void TPositionTable::SetInterval(long every) {
    if (!window_) Create();
    ::SetDlgItemTextW(window_, Ids::kInterval, std::to_wstring(std::max(1L, every)).c_str());
}

void TPositionTable::Copy() {
    if (changed_) Refresh();
    const std::wstring text = TableText(TableHeader(table_.scale), cells_, L'\t');
    SetClipboardBytes(window_ ? window_ : owner_, CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

void TPositionTable::Save() {
    TSaveDialog dialog;
    dialog.Filter = L"CSV ファイル (*.csv)|*.csv";
    dialog.DefaultExt = "csv";
    dialog.Options |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    if (!dialog.Execute(window_ ? window_ : owner_)) return;
    SaveTo(dialog.FileName);
}

void TPositionTable::SaveTo(const std::string& ansiPath) {
    if (changed_) Refresh();
    const std::string bytes =
        CsvFileBytes(TableText(TableHeader(table_.scale), cells_, CsvSeparator(ListSeparator(), DecimalSeparator())));
    WriteReplacing(ansiPath, [&](HANDLE file) { WriteAll(file, bytes.data(), bytes.size()); });
}

void TPositionTable::ChooseScale() {
    const std::optional<long double> drag = lastDrag_ ? lastDrag_() : std::nullopt;
    if (!drag || !(*drag > 0)) {
        ShowMessage(L"尺度を決めるには、まず右の画像の上で長さの分かる所をドラッグしてください", window_);
        return;
    }
    if (const std::optional<MotionScale> scale = RunScaleDialog(window_, *drag, table_.scale)) {
        table_.scale = *scale;
        Refresh();
    }
}

void TPositionTable::DeleteSelected() {
    if (!window_) return;
    HWND list = ::GetDlgItem(window_, Ids::kList);
    std::vector<long> frames;
    for (int i = -1; (i = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                                           LVNI_SELECTED))) >= 0;)
        if (static_cast<std::size_t>(i) < table_.Rows().size()) frames.push_back(table_.Rows()[std::size_t(i)].frame);
    if (frames.empty()) return;
    table_.Remove(frames);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    Refresh();
}

std::optional<LRESULT> TPositionTable::Notify(const NMHDR& header) {
    if (header.idFrom != Ids::kList) return std::nullopt;
    if (header.code == LVN_GETDISPINFOW) {
        auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
        const auto row = static_cast<std::size_t>(info.item.iItem), column = static_cast<std::size_t>(info.item.iSubItem);
        if ((info.item.mask & LVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0 && row < cells_.size() &&
            column < cells_[row].size()) {
            const std::wstring& text = cells_[row][column];
            const std::size_t n = std::min<std::size_t>(text.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
            std::wmemcpy(info.item.pszText, text.c_str(), n);
            info.item.pszText[n] = L'\0';
        }
        return 0;
    } else if (header.code == LVN_KEYDOWN) {
        const auto& key = reinterpret_cast<const NMLVKEYDOWN&>(header);
        if (key.wVKey == VK_DELETE) DeleteSelected();
    } else if ((header.code == LVN_ITEMCHANGED || header.code == LVN_ODSTATECHANGED) && !selectionPosted_) {
        selectionPosted_ = ::PostMessageW(window_, kSelectionChanged, 0, 0) != FALSE;
    } else if (header.code == LVN_ODFINDITEMW) {
        return FindItem(reinterpret_cast<const NMLVFINDITEMW&>(header));
    }
    return std::nullopt;
}

// The list searches as any list does when a key is typed in it (the text typed
// so far, from the row after the focused one on, wrapping): its frame numbers.
LRESULT TPositionTable::FindItem(const NMLVFINDITEMW& find) const {
    const LVFINDINFOW& what = find.lvfi;
    if (!(what.flags & (LVFI_STRING | LVFI_PARTIAL)) || !what.psz) return -1;
    const std::optional<std::size_t> row =
        FindTypedFrame(cells_, what.psz, static_cast<std::size_t>(std::max(0, find.iStart)),
                       (what.flags & LVFI_PARTIAL) != 0, (what.flags & LVFI_WRAP) != 0);
    return row ? static_cast<LRESULT>(*row) : -1;
}

// Ctrl+C anywhere in the window but the 間隔 box copies the table.
bool TPositionTable::PreTranslate(MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != 'C' || !(::GetKeyState(VK_CONTROL) & 0x8000)) return false;
    HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
    auto* self = static_cast<TPositionTable*>(reinterpret_cast<OwnDialog*>(::GetWindowLongPtrW(root, DWLP_USER)));
    if (!self || msg.hwnd == ::GetDlgItem(root, Ids::kInterval)) return false;
    if (msg.hwnd == ::GetDlgItem(root, Ids::kFitText)) return false;  // the fit's report copies its own text
    Guarded([&] { self->Copy(); });
    return true;
}

bool TPositionTable::Message(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case Ids::kCopy: Copy(); return true;
        case Ids::kSave: Save(); return true;
        case Ids::kScale: ChooseScale(); return true;
        case Ids::kGraphColumn:
        case Ids::kFitKind:
            if (HIWORD(wp) == CBN_SELCHANGE) UpdateGraph();
            return true;
        case Ids::kCopyGraph: CopyGraph(); return true;
        case Ids::kOrigin:
            if (HIWORD(wp) == BN_CLICKED) {
                table_.originAtFirst = ::IsDlgButtonChecked(dlg, Ids::kOrigin) == BST_CHECKED;
                Refresh();
            }
            return true;
        default: return false;
        }
    case WM_NOTIFY:
        if (const std::optional<LRESULT> answer = Notify(*reinterpret_cast<const NMHDR*>(lp))) {
            ::SetWindowLongPtrW(dlg, DWLP_MSGRESULT, *answer);
            return true;
        }
        return false;  // the platform's default
    case WM_CLOSE:
        ::ShowWindow(dlg, SW_HIDE);
        return true;
    case kSelectionChanged: SelectionChanged(); return true;
    case WM_SETTINGCHANGE:
        // The decimal separator may be another: the table and its graph follow.
        TApplication::ReadLocaleSettings();
        Refresh();
        return false;
    case WM_SHOWWINDOW:
        if (!wp) StopRecording();  // hidden (Esc, the close box) or with the main window
        return false;
    case WM_DESTROY:
        // With the main window, which owns it.
        Application.RemoveModeless(dlg);
        window_ = nullptr;
        return false;
    default: return false;
    }
}

void TPositionTable::ClipFrameShown(long frame, const std::function<std::optional<double>()>& time) {
    if (clipFrame_ == frame) return;
    clipFrame_ = frame;
    clipTime_ = time ? time() : std::nullopt;
    if (!clipTime_)
        for (const MotionRow& row : table_.Rows())
            if (row.frame == frame) clipTime_ = row.time;
    if (graph_) graph_->SetClipTime(clipTime_);
}

std::vector<bool> TPositionTable::SelectedRows() const {
    std::vector<bool> selected(table_.Rows().size());
    if (!window_) return selected;
    HWND list = ::GetDlgItem(window_, Ids::kList);
    for (int i = -1; (i = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(i),
                                                           LVNI_SELECTED))) >= 0 &&
                     static_cast<std::size_t>(i) < selected.size();)
        selected[std::size_t(i)] = true;
    return selected;
}

void TPositionTable::UpdateGraph() {
    if (!window_ || !graph_) return;
    const auto columnIndex = ::SendDlgItemMessageW(window_, Ids::kGraphColumn, CB_GETCURSEL, 0, 0);
    const auto fitIndex = ::SendDlgItemMessageW(window_, Ids::kFitKind, CB_GETCURSEL, 0, 0);
    const MotionColumn column = columnIndex >= 0 && columnIndex < static_cast<LRESULT>(std::size(kMotionColumns))
                                    ? kMotionColumns[columnIndex]
                                    : MotionColumn::Y;
    const FitKind kind = fitIndex == 1 ? FitKind::Line : fitIndex == 2 ? FitKind::Parabola : FitKind::None;
    const wchar_t separator = DecimalSeparator();
    points_ = PointsOf(table_, column);
    const std::vector<bool> selectedRows = SelectedRows();
    GraphPicture picture;
    picture.times = points_.times;
    picture.values = points_.values;
    picture.selected.resize(points_.size());
    for (std::size_t i = 0; i < points_.size(); ++i) picture.selected[i] = selectedRows[points_.rows[i]];
    picture.yName = ColumnAxisName(column, table_.scale);
    picture.decimalSeparator = separator;
    picture.clipTime = clipTime_;
    std::wstring report;
    if (kind != FitKind::None) {
        const FitChoice choice = FitPoints(picture.selected, FitTerms(kind));
        const PolynomialFit fit = FitColumn(points_, choice, kind);
        report = FitText(fit, kind, column, table_.scale, choice.fromSelection, separator);
        if (fit.Made()) picture.fit = fit;
    }
    ::SetDlgItemTextW(window_, Ids::kFitText, report.c_str());
    graph_->SetPicture(std::move(picture));
}

void TPositionTable::SelectionChanged() {
    selectionPosted_ = false;
    if (!window_) return;
    UpdateGraph();
    // The focused row where it is selected, else the first selected.
    HWND list = ::GetDlgItem(window_, Ids::kList);
    int row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row < 0 || !(ListView_GetItemState(list, row, LVIS_SELECTED) & LVIS_SELECTED))
        row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    if (row < 0 || static_cast<std::size_t>(row) >= table_.Rows().size() || !showFrame_) return;
    showFrame_(table_.Rows()[std::size_t(row)].frame);
}

// A click on a point selects its row alone (with Ctrl, adds it or takes it
// away) and shows its frame.
void TPositionTable::GraphClicked(std::size_t point, bool control) {
    if (!window_ || point >= points_.size()) return;
    const int row = static_cast<int>(points_.rows[point]);
    HWND list = ::GetDlgItem(window_, Ids::kList);
    if (control) {
        const UINT state = (ListView_GetItemState(list, row, LVIS_SELECTED) & LVIS_SELECTED) ^ LVIS_SELECTED;
        ListView_SetItemState(list, row, state | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
        ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
        ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    ListView_EnsureVisible(list, row, FALSE);
    // Where the selection was that already, nothing was told: shown all the same.
    if (!selectionPosted_) SelectionChanged();
}

void TPositionTable::CopyGraph() {
    if (!graph_) return;
    if (changed_) Refresh();
    const std::vector<std::uint8_t> dib = graph_->PackedPicture();
    if (dib.empty()) return;
    SetClipboardBytes(window_, CF_DIB, dib.data(), dib.size());
}

}  // namespace mt

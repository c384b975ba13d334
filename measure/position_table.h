// The window "位置の表": the measured positions with their times, velocities and
// accelerations, beside the main window (owned by it, not modal). It copies the
// table to the clipboard, saves it as CSV, sets the scale, and holds the choice
// of recording positions by hand.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/dialog_template.h"
#include "measure/motion_graph.h"
#include "measure/motion_table.h"

namespace mt {

struct PositionTableIds {
    static constexpr WORD kList = 201, kRecord = 202, kIntervalLabel = 203, kInterval = 204, kOrigin = 205,
                          kCopy = 206, kSave = 207, kScale = 208, kFollowing = 209;
    static constexpr WORD kGraphLabel = 210, kGraphColumn = 211, kFitLabel = 212, kFitKind = 213, kCopyGraph = 214,
                          kFitText = 215, kGraph = 216;
};

class TPositionTable final : private OwnDialog {
public:
    // lastDrag: the length of the last drag measured on the still image, in
    // pixels; none before the first. showFrame: shows a frame of the clip in the
    // video pane, as フレームへ移動 does (a row chosen in the list or the graph).
    TPositionTable(HWND owner, std::function<std::optional<long double>()> lastDrag,
                   std::function<void(long frame)> showFrame = {});
    TPositionTable(const TPositionTable&) = delete;
    TPositionTable& operator=(const TPositionTable&) = delete;
    ~TPositionTable();

    // Shows the window (made on first use) and brings it to the front; activated,
    // or leaving the keyboard where it is (after a trail the main window keeps it).
    void Show(bool activate = true);
    HWND Handle() const noexcept { return window_; }
    bool Visible() const noexcept { return window_ && ::IsWindowVisible(window_); }

    // The rows, scale and origin; Refresh() after changing them.
    MotionTable& Table() noexcept {
        changed_ = true;
        return table_;
    }
    // Shows the rows and headers again after the table changed (and makes the
    // text that copy and save give).
    void Refresh();
    // The line that says how the trail's rows were found.
    void SetFollowing(const std::wstring& text);
    // Another clip was opened: no rows, no scale, 手で記録 unchecked.
    void ClipChanged();

    // 手で記録: while checked and the window shown, a click on the video pane
    // records a row.
    bool Recording() const;
    // 手で記録 unchecked: recording by hand ends when the window is hidden or
    // closed and when another clip is opened.
    void StopRecording();
    // 間隔: the frames a hand-recorded row steps on (1 where the box holds no
    // whole number of at least 1). The interval of the last trail is shown there.
    long Interval() const;
    void SetInterval(long every);

    // コピー and Ctrl+C: the table, tab-separated, to the clipboard.
    void Copy();
    // 保存...: the file dialog, then the table as CSV.
    void Save();
    // The table as CSV to a file (through a temporary file beside it).
    void SaveTo(const std::string& ansiPath);
    // 尺度...: the scale dialog, or a message when no drag has been measured.
    void ChooseScale();
    // Delete: the selected rows go.
    void DeleteSelected();

    // The clip's current frame, for the graph's line at its time: time() gives
    // that time (none: unknown) and is asked only when the frame is another.
    void ClipFrameShown(long frame, const std::function<std::optional<double>()>& time);
    // グラフをコピー: the graph to the clipboard as a picture, the size it is shown.
    void CopyGraph();

private:
    static bool PreTranslate(MSG& msg);
    void Create();
    bool Initialise(HWND dlg) override;
    void Ok(HWND) override {}
    void Cancel(HWND dlg) override { ::ShowWindow(dlg, SW_HIDE); }
    bool Message(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) override;
    // The list's notifications: the answer, or none for the platform's default.
    std::optional<LRESULT> Notify(const NMHDR& header);
    // LVN_ODFINDITEM: the row of a frame number typed in the list, or -1.
    LRESULT FindItem(const NMLVFINDITEMW& find) const;
    // The graph and the fit made again from the table, the column and the fit
    // chosen, and the rows selected.
    void UpdateGraph();
    // The list's selection changed (told once for a burst of changes): the
    // graph follows, and the chosen row's frame is shown.
    void SelectionChanged();
    void GraphClicked(std::size_t point, bool control);
    std::vector<bool> SelectedRows() const;
    HWND owner_;
    HWND window_ = nullptr;
    std::function<std::optional<long double>()> lastDrag_;
    MotionTable table_;
    std::vector<std::vector<std::wstring>> cells_;  // as the list shows them
    bool changed_ = true;                            // since cells_ were made
    std::wstring savedName_;
    std::function<void(long)> showFrame_;
    std::unique_ptr<TMotionGraph> graph_;
    ColumnPoints points_;  // as the graph shows them
    std::optional<long> clipFrame_;
    std::optional<double> clipTime_;
    bool selectionPosted_ = false;
};

}  // namespace mt

// The main window: its controls, the pane geometry and the user's handlers.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/controls.h"
#include "base/file_dialog.h"
#include "base/timer.h"
#include "base/window_class.h"
#include "imagefiles/picture_dialogs.h"
#include "print/printer_setup_dialog.h"
#include "measure/motion.h"
#include "measure/position_table.h"
#include "still/still_history.h"
#include "still/trail.h"
#include "still/trail_marks.h"
#include "video/decoder_warm_up.h"
#include "video/media_player.h"

namespace mt {

class TForm1 : private WindowTarget {
public:
    // Creates the window hidden, with every control, from its description.
    TForm1();
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;
    ~TForm1();

    HWND Handle() const noexcept { return hwnd_; }
    // Shows the window (the first show runs FormShow).
    void Show(int showCommand = SW_SHOWNORMAL);
    void Invalidate() const { ::InvalidateRect(hwnd_, nullptr, TRUE); }

    // Components, in declaration order.
    std::unique_ptr<TMediaPlayer> MediaPlayer1;
    std::unique_ptr<TOpenDialog> OpenDialog1;
    std::unique_ptr<TPanel> Panel1;
    std::unique_ptr<TPanel> Panel2;
    std::unique_ptr<TImage> Image1;
    std::unique_ptr<TOpenPictureDialog> OpenPictureDialog1;
    std::unique_ptr<TSavePictureDialog> SavePictureDialog1;
    std::unique_ptr<TPrinterSetupDialog> PrinterSetupDialog1;
    std::unique_ptr<TSpeedButton> SpeedButton1;
    std::unique_ptr<TLabel> Label1;
    std::unique_ptr<TLabel> Label2;
    std::unique_ptr<TLabel> Label3;
    std::unique_ptr<TButton> Button1;
    std::unique_ptr<TTimer> Timer1;
    std::unique_ptr<TButton> Button2;
    std::unique_ptr<TButton> Button3;
    std::unique_ptr<TPanel> Panel3;
    std::unique_ptr<TLabel> Label4;
    std::unique_ptr<TLabel> Label5;
    std::unique_ptr<TButton> Button4;
    std::unique_ptr<TButton> Button5;
    std::unique_ptr<TButton> Button6;
    std::unique_ptr<TButton> Button7;
    std::unique_ptr<TButton> Button8;
    std::unique_ptr<TButton> Button9;
    std::unique_ptr<TButton> Button10;

    // State: truth values hold -1 for true and 0 for false.
    std::int32_t Panel1Dragging = 0;
    std::int32_t Image1Dragging = 0;
    std::int32_t DragStartX = 0;
    std::int32_t DragStartY = 0;
    std::int32_t Pane1Left = 0;
    std::int32_t Pane1Width = 0;
    std::int32_t Pane1Top = 0;
    std::int32_t Pane1Height = 0;
    std::int32_t Pane2Left = 0;
    std::int32_t Pane2Width = 0;
    std::int32_t Pane2Top = 0;
    std::int32_t Pane2Height = 0;
    // The still image's undo and redo (Image1 records into it).
    TStillHistory StillHistory;
    // The length of the last drag measured on the still image (0: none yet).
    long double LastDragLength = 0;
    // The window 位置の表, made on first use.
    std::unique_ptr<TPositionTable> PositionTable;
    // The parts the last trail of what moves found in each chosen frame (none
    // since the clip was opened), and the rows of the object followed in them.
    std::unique_ptr<TrailParts> MeasuredTrail;
    std::vector<std::vector<std::uint8_t>> MeasuredStill;  // its parts that stand still
    std::vector<MotionRow> TrailRows;
    // The last trail's marks, while they stand in the still image as drawn.
    std::optional<MarkedTrail> TrailMarks;
    // Told after each step of a trail's build (steps done, of total), before
    // the dialog shows it: where a test cancels or closes at a known point.
    std::function<void(int done, int total)> TrailStepped;

    // Application shell.
    void FormShow();
    void OpenDialog1Close();
    void OpenPictureDialog1Close();
    void PrinterSetupDialog1Close();
    bool SavePictureDialog1CanClose();

    // Video.
    void Button6Click();
    // Opens a video file chosen in the video dialog (ANSI code page), as 動画読込 does.
    void OpenVideo(const std::string& fileName);
    void Button1Click();
    void Button5Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Timer1Timer();
    // End: the last frame.
    void SeekLastFrame();
    // PageDown and PageUp (Shift+Right, Shift+Left) with 10 and -10, and the wheel:
    // steps that many frames on (back when negative), stopping at the first and last frame.
    void StepWithin(std::int32_t frames);
    // The wheel over the video pane, wheelDelta as the message gives it (120 a notch,
    // positive away from the user): each notch back is +１フレーム, forward -1フレーム.
    void Panel1MouseWheel(int wheelDelta);
    // Ctrl+G: the dialog "フレームへ移動", then the frame chosen there.
    void GoToFrame();

    // Still image: capture and measurement.
    void SpeedButton1Click();
    void Panel1MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void Panel1MouseMove(TShiftState shift, int x, int y);
    void Panel1MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void Image1MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void Image1MouseMove(TShiftState shift, int x, int y);
    void Image1MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // Ctrl+Z and Ctrl+Y (Ctrl+Shift+Z): the still image before the latest
    // step, or after the latest undone one.
    void UndoStill();
    void RedoStill();
    // Ctrl+T, or the menu of a right-click on SpeedButton1: play stopped, then
    // the trail of a range of frames built into the still image in one action.
    void ComposeTrail();
    // Runs for a right-click on SpeedButton1: its menu, at (x, y) on the screen.
    void SpeedButton1ContextPopup(int x, int y);
    // A trail of what moves was built: the parts it found handed on to be
    // measured (the largest moving object followed); the places to mark.
    std::vector<MarkPlace> MeasureTrail(TrailParts parts);
    // Once the trail's dialog has gone: its rows into the table, shown.
    void ShowMeasuredTrail();
    // A right-click on the still image (x, y in its pixels): its menu.
    void Image1ContextPopup(int x, int y);
    // この物を追う: the object of the last trail at (x, y) followed instead.
    void FollowObjectAt(int x, int y);
    // Ctrl+D, or the menu of a right-click on SpeedButton1: the window 位置の表.
    void ShowPositionTable();
    TPositionTable& PositionTableWindow();
    // A click on the video pane while 手で記録 is checked: (x, y) recorded as the
    // current frame's position, then the clip steps on by the table's 間隔.
    void RecordHandPosition(int x, int y);
    // The clip's frame may have moved (a step, a seek, the counter's tick): the
    // table's graph is told, for its line at that frame's time.
    void FrameMoved();
    // A row chosen in the table, in its list or on its graph: its frame shown
    // in the video pane, as フレームへ移動 shows one.
    void ShowTableFrame(long frame);

    // Picture files.
    void Button7Click();
    // Loads a picture named in UTF-16 (dropped or on the command line) as
    // 画像読込 loads the chosen file.
    void OpenPicture(const std::wstring& name);
    void Button8Click();
    // Ctrl+C and Ctrl+V: the still image to the clipboard as a device-independent
    // bitmap, and a bitmap from it loaded as the still image.
    void CopyStill();
    void PasteStill();

    // Printing.
    void Button9Click();
    void Button10Click();

    // Files from the desktop: dropped on the window, or named on the command
    // line (run once the window is shown).
    void FormDropFiles(HDROP drop);
    void OpenFile(const std::wstring& name);
    // Runs for a key pressed while the focus is in the main window: the arrow
    // keys, Home, End, PageDown, PageUp and Ctrl+G move the video, Ctrl with Z,
    // Y, C or V edit the still image, Ctrl+T builds a trail, Ctrl+D shows the table of positions; false for any other key.
    bool FormKeyDown(WORD key, TShiftState shift);
    // Runs for the mouse wheel turned anywhere in the main window (the point in
    // screen coordinates): true when it was over the video pane and stepped it.
    bool FormMouseWheel(int wheelDelta, POINT at);

    static constexpr int kClientWidth = 680;
    static constexpr int kClientHeight = 366;
    static constexpr UINT_PTR kTimer1Id = 1;

private:
    void CreateControls();
    void ConnectHandlers();
    LRESULT WindowMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) override;
    void WindowAttached(HWND wnd) noexcept override { hwnd_ = wnd; }
    void WindowDetached(HWND) noexcept override { hwnd_ = nullptr; }
    HWND hwnd_ = nullptr;
    bool shown_ = false;
    // The platform's decoder prepared while the video dialog first stands open.
    std::unique_ptr<DecoderWarmUp> warmUp_;
    int wheelRest_ = 0;  // of a turn of the wheel less than a notch
    // A trail is being built; a close asked for meanwhile ends it, then the window.
    bool buildingTrail_ = false, closeAfterTrail_ = false;
};

// The one main window.
extern TForm1* Form1;
// The loaded video's length as the frame counter shows it.
extern std::wstring FrameCountText;

}  // namespace mt

#include "app/form1.h"

#include <windowsx.h>

#include "app/desktop.h"
#include "base/application.h"
#include "base/failure.h"
#include "base/form_font.h"
#include "base/paths.h"
#include "base/window_class.h"

namespace mt {

TForm1* Form1 = nullptr;
std::wstring FrameCountText;

namespace {
constexpr wchar_t kFormClass[] = L"TForm1";
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                             WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;

void RegisterFormClass() {
    WNDCLASSEXW wc{sizeof wc};
    wc.style = CS_DBLCLKS;
    wc.hInstance = Application.Instance();
    wc.hIcon = ::LoadIconW(Application.Instance(), L"MAINICON");
    wc.hIconSm = static_cast<HICON>(::LoadImageW(Application.Instance(), L"MAINICON", IMAGE_ICON, 16, 16, 0));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    if (!RegisterWindowClass(wc)) RaiseLastOSError();
}
}  // namespace

TForm1::TForm1() {
    Application.Initialize();
    RegisterFormClass();
    RECT r{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&r, kFormStyle, FALSE, kFormExStyle);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = (::GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (::GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    hwnd_ = ::CreateWindowExW(kFormExStyle, kFormClass, L"Movetrail", kFormStyle, x, y, w, h, nullptr, nullptr,
                              Application.Instance(), static_cast<WindowTarget*>(this));
    if (!hwnd_) RaiseLastOSError();
    ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FormFont()), FALSE);
    Form1 = this;
    if (!Application.MainWindow()) {
        Application.SetMainWindow(hwnd_);
        Application.SetPreTranslate(&ForwardWindowKeys);
    }
    CreateControls();
    ConnectHandlers();
    ::DragAcceptFiles(hwnd_, TRUE);
}

TForm1::~TForm1() {
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::CreateControls() {
    // Created in tab order: the push buttons take the focus in this order.
    Button6 = std::make_unique<TButton>(hwnd_, 8, 8, 73, 28, L"動画読込");
    Button1 = std::make_unique<TButton>(hwnd_, 8, 328, 40, 28, L"再生");
    Button5 = std::make_unique<TButton>(hwnd_, 52, 328, 40, 28, L"停止");
    Button2 = std::make_unique<TButton>(hwnd_, 96, 328, 68, 28, L"+１フレーム");
    Button3 = std::make_unique<TButton>(hwnd_, 168, 328, 68, 28, L"-1フレーム");
    Button4 = std::make_unique<TButton>(hwnd_, 240, 328, 89, 28, L"最初のフレーム");
    Button7 = std::make_unique<TButton>(hwnd_, 352, 8, 73, 28, L"画像読込");
    Button8 = std::make_unique<TButton>(hwnd_, 432, 8, 73, 28, L"保存");
    Button9 = std::make_unique<TButton>(hwnd_, 512, 8, 73, 28, L"印刷");
    Button10 = std::make_unique<TButton>(hwnd_, 592, 8, 73, 28, L"用紙設定");

    MediaPlayer1 = std::make_unique<TMediaPlayer>(hwnd_);
    MediaPlayer1->AutoRewind = false;

    Panel1 = std::make_unique<TPanel>(hwnd_, 10, 80, 320, 240, L"Panel1");
    Panel1->BevelOuter = TBevelCut::bvRaised;
    Panel1->BevelInner = TBevelCut::bvLowered;
    Panel1->Color = TColor{COLOR_BTNTEXT};
    Panel1->Hint = L"ドラッグ区域を右へコピー";
    Panel1->ShowHint = false;

    Panel2 = std::make_unique<TPanel>(hwnd_, 350, 80, 320, 240, L"Panel2");
    Panel2->Color = TColor{COLOR_WINDOWTEXT};
    Image1 = std::make_unique<TImage>(Panel2.get(), 1, 1, 343, 238);
    Image1->History = &StillHistory;

    Panel3 = std::make_unique<TPanel>(hwnd_, 88, 8, 177, 28, L"");
    Label5 = std::make_unique<TLabel>(Panel3->Handle(), 8, 8, 44, 12, L"フレーム", false);
    Label4 = std::make_unique<TLabel>(Panel3->Handle(), 72, 8, 4, 12, L"", true);

    Label1 = std::make_unique<TLabel>(hwnd_, 12, 56, 64, 12, L"Ｘ＝　　，Ｙ＝", false);
    Label1->Hint = L"マウスの位置";
    Label1->ShowHint = true;
    Label2 = std::make_unique<TLabel>(hwnd_, 352, 56, 64, 12, L"Ｘ＝　　，Ｙ＝", false);
    Label2->Hint = L"マウスの位置";
    Label2->ShowHint = true;
    Label3 = std::make_unique<TLabel>(hwnd_, 488, 56, 74, 12, L"ドラッグ距離＝", false);
    Label3->Hint = L"マウスダウンからアップするまでの距離";
    Label3->ShowHint = true;

    HBITMAP glyph = static_cast<HBITMAP>(
        ::LoadImageW(Application.Instance(), L"SPEEDBUTTONGLYPH", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    SpeedButton1 = std::make_unique<TSpeedButton>(hwnd_, 330, 136, 20, 49, glyph);
    SpeedButton1->Hint = L"左画面→右画面へコピー";
    SpeedButton1->ShowHint = true;

    OpenDialog1 = std::make_unique<TOpenDialog>();
    OpenDialog1->Filter = L"AVI動画（*.AVI）|*.avi|MPEG動画(*.MPG)|*.mpg|全てのファイル(*.*)|*.*";
    OpenDialog1->FilterIndex = 1;
    OpenPictureDialog1 = std::make_unique<TOpenPictureDialog>();
    OpenPictureDialog1->Filter =
        L"すべてのファイル (*.jpg;*.jpeg;*.bmp)|*.jpg;*.jpeg;*.bmp|JPEG イメージファイル (*.jpg)|*.jpg|"
        L"JPEG イメージファイル (*.jpeg)|*.jpeg|ビットマップ (*.bmp)|*.bmp";
    SavePictureDialog1 = std::make_unique<TSavePictureDialog>();
    SavePictureDialog1->DefaultExt = "bmp";
    SavePictureDialog1->Filter = L"ビットマップ (*.bmp)|*.bmp|圧縮(*.jpeg)|*.jpeg";
    PrinterSetupDialog1 = std::make_unique<TPrinterSetupDialog>();

    Timer1 = std::make_unique<TTimer>(hwnd_, kTimer1Id);
    Timer1->Interval = 1000;

    // Hover hints for the controls whose hint is shown.
    for (TControl* c : std::initializer_list<TControl*>{SpeedButton1.get(), Label1.get(), Label2.get(), Label3.get()})
        if (c->ShowHint) Application.AddHint(c->Handle(), c->Hint);
}

void TForm1::ConnectHandlers() {
    Button6->OnClick = [this] { Button6Click(); };
    Button1->OnClick = [this] { Button1Click(); };
    Button5->OnClick = [this] { Button5Click(); };
    Button2->OnClick = [this] { Button2Click(); };
    Button3->OnClick = [this] { Button3Click(); };
    Button4->OnClick = [this] { Button4Click(); };
    Button7->OnClick = [this] { Button7Click(); };
    Button8->OnClick = [this] { Button8Click(); };
    Button9->OnClick = [this] { Button9Click(); };
    Button10->OnClick = [this] { Button10Click(); };
    SpeedButton1->OnClick = [this] { SpeedButton1Click(); };
    SpeedButton1->OnContextPopup = [this](int x, int y) { SpeedButton1ContextPopup(x, y); };
    Panel1->OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) { Panel1MouseDown(b, s, x, y); };
    Panel1->OnMouseMove = [this](TShiftState s, int x, int y) { Panel1MouseMove(s, x, y); };
    Panel1->OnMouseUp = [this](TMouseButton b, TShiftState s, int x, int y) { Panel1MouseUp(b, s, x, y); };
    // A repaint while the video stands still keeps its frame where the device leaves that to the program.
    Panel1->OnPaint = [this](HDC dc) {
        if (MediaPlayer1) MediaPlayer1->PaintStoppedFrame(dc);
    };
    Image1->OnMouseDown = [this](TMouseButton b, TShiftState s, int x, int y) { Image1MouseDown(b, s, x, y); };
    Image1->OnMouseMove = [this](TShiftState s, int x, int y) { Image1MouseMove(s, x, y); };
    Image1->OnMouseUp = [this](TMouseButton b, TShiftState s, int x, int y) { Image1MouseUp(b, s, x, y); };
    OpenDialog1->OnClose = [this] { OpenDialog1Close(); };
    OpenPictureDialog1->OnClose = [this] { OpenPictureDialog1Close(); };
    SavePictureDialog1->OnCanClose = [this] { return SavePictureDialog1CanClose(); };
    PrinterSetupDialog1->OnClose = [this] { PrinterSetupDialog1Close(); };
    Timer1->OnTimer = [this] { Timer1Timer(); };
}

void TForm1::Show(int showCommand) { ::ShowWindow(hwnd_, showCommand); }

// Runs when the window is first shown.
void TForm1::FormShow() {
    Pane1Left = 10;
    Pane1Width = 320;
    Pane1Top = 80;
    Pane1Height = 240;
    Pane2Left = 350;
    Pane2Width = 320;
    Pane2Top = 80;
    Pane2Height = 240;
    MediaPlayer1->VisibleButtons = btPlay | btStop | btStep | btBack;
    MediaPlayer1->Left = Pane1Left;
    MediaPlayer1->Width = Pane1Width;
    Panel1->SetBounds(Pane1Left, Pane1Top, Pane1Width, Pane1Height);
    Panel2->SetBounds(Pane2Left, Pane2Top, Pane2Width, Pane2Height);
    Image1->SetBounds(0, 0, Pane2Width, Pane2Height);
    char exe[MAX_PATH + 1] = {};
    ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    OpenDialog1->InitialDir = FolderOfPath(exe);
    OpenPictureDialog1->InitialDir = FolderOfPath(exe);
    SavePictureDialog1->InitialDir = FolderOfPath(exe);
}

// Run when the respective dialog closes, confirmed or cancelled.
void TForm1::OpenDialog1Close() { Invalidate(); }
void TForm1::OpenPictureDialog1Close() { Invalidate(); }
void TForm1::PrinterSetupDialog1Close() { Invalidate(); }

// Runs when the user confirms a name in the save dialog.
bool TForm1::SavePictureDialog1CanClose() {
    Invalidate();
    return true;
}

LRESULT TForm1::WindowMessage(HWND, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && lp) {
            if (auto* button = dynamic_cast<TButton*>(TControl::FromHandle(reinterpret_cast<HWND>(lp)))) {
                button->Click();
                return 0;
            }
        }
        break;
    case WM_TIMER:
        if (wp == kTimer1Id && Timer1 && Timer1->Enabled()) {
            Timer1->Tick();
            return 0;
        }
        break;
    case WM_SHOWWINDOW:
        if (wp && !shown_) {
            shown_ = true;
            FormShow();
        }
        break;
    case WM_DROPFILES:
        FormDropFiles(reinterpret_cast<HDROP>(wp));
        return 0;
    case WM_KEYDOWN:
        if (FormKeyDown(static_cast<WORD>(wp), KeyShiftState())) return 0;
        break;
    case WM_MOUSEWHEEL:
        if (FormMouseWheel(GET_WHEEL_DELTA_WPARAM(wp), POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)})) return 0;
        break;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(FormFont());
    case WM_WININICHANGE:
        TApplication::ReadLocaleSettings();
        break;
    case WM_CLOSE:
        // A trail being built reads the clip's frames: it ends first, as a cancel
        // would, and the window closes after it (ComposeTrail).
        if (buildingTrail_) {
            closeAfterTrail_ = true;
            return 0;
        }
        ::DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        // The media device closes while its display window still exists.
        MediaPlayer1.reset();
        Timer1.reset();
        if (Application.MainWindow() == hwnd_) {
            Application.SetMainWindow(nullptr);
            Application.SetPreTranslate(nullptr);
            ::PostQuitMessage(0);
        }
        break;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace mt

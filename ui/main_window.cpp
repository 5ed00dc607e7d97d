#include "ui/main_window.h"

#include <commctrl.h>

#include <exception>
#include <memory>
#include <utility>

#include "app/handler.h"
#include "app/platform.h"
#include "app/resource.h"
#include "launch/launch.h"
#include "memo/memo_file.h"
#include "saves/commands.h"
#include "ui/memo_window.h"
#include "ui/version_window.h"

namespace nadeshiro::ui {

namespace {

using K = ControlKind;

const wchar_t* const kTabCaptions[] = {L"セーブデータを退避", L"退避データを復元", L"思い出を読む"};

constexpr int kBackUpPage = 0, kRestorePage = 1, kMemoPage = 2;

// In focus order. The tabs' controls are placed from the tab control's corner.
const ControlDesc kControls[] = {
    {L"SSTab1", IDC_SSTAB1, K::TabControl, L"", L"操作を選ぶタブ", 2280, 960, 5925, 2565},
    {L"Drive1", IDC_DRIVE1, K::DriveList, L"", L"ドライブ", 120, 960, 2055, 300},
    {L"Dir1", IDC_DIR1, K::FolderList, L"", L"フォルダ", 120, 1320, 2055, 2190},
    // First tab: back up.
    {L"tab1_label1(0)", IDC_TAB1_LABEL1_0, K::Label, L"『あのね』", nullptr, 240, 480, 1215, 255, kBackUpPage},
    {L"tab1_label1(1)", IDC_TAB1_LABEL1_1, K::Label, L"『ゲーム中のセーブデータを指定したフォルダの直下に』", nullptr, 240, 720, 5295, 255, kBackUpPage},
    {L"Text1", IDC_TEXT1, K::TextBox, L"", L"新しいフォルダの名前", 240, 1080, 2415, 270, kBackUpPage},
    {L"tab1_label1(2)", IDC_TAB1_LABEL1_2, K::Label, L"『っていうフォルダを作成して待避させるの』", nullptr, 240, 1560, 3375, 255, kBackUpPage},
    {L"Command1", IDC_COMMAND1, K::Button, L"実行するの", L"実行するの（セーブデータを退避）", 4440, 2040, 1215, 375, kBackUpPage},
    // Second tab: restore.
    {L"tab2_label(0)", IDC_TAB2_LABEL_0, K::Label, L"『あのね』", nullptr, 240, 480, 855, 255, kRestorePage},
    {L"tab2_label(1)", IDC_TAB2_LABEL_1, K::Label, L"『指定したフォルダの待避データをゲーム本体に復元するの』", nullptr, 240, 720, 4815, 255, kRestorePage},
    {L"Command2", IDC_COMMAND2, K::Button, L"実行するの", L"実行するの（退避データを復元）", 4440, 2040, 1215, 375, kRestorePage},
    // Third tab: read the memo.
    {L"Text2", IDC_TEXT2, K::MultiLineTextBox, L"", L"思い出", 120, 1080, 5655, 1335, kMemoPage},
    {L"Label1(0)", IDC_LABEL1_0, K::Label, L"『あのね』", nullptr, 240, 480, 1095, 255, kMemoPage},
    {L"Label1(1)", IDC_LABEL1_1, K::Label, L"『指定したフォルダにomoide.txtファイルがあるとね』", nullptr, 240, 720, 3975, 255, kMemoPage},
    {L"Command3", IDC_COMMAND3, K::Button, L"表示できるの", L"表示できるの（思い出を読む）", 4200, 600, 1575, 375, kMemoPage},
    {L"Command4", IDC_COMMAND4, K::Button, L"永遠の世界へ旅立つ（oneを起動する）", nullptr, 120, 3600, 8055, 495},
};

const FormDesc kForm{.className = L"nadeshiro",
                     .caption = L"なでしろ",
                     .clientWidth = 8295,
                     .clientHeight = 4185,
                     .style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                     .controls = kControls,
                     .pages = kTabCaptions,
                     .firstPage = kRestorePage};  // the restore tab is current at start-up

// Image1, the banner picture, drawn on the window beneath the controls: twips.
constexpr int kImage1Left = 120, kImage1Top = 120, kImage1Width = 6000, kImage1Height = 900;

Form g_form(kForm);
MainFields g_fields;
DriveList g_drive1;
FolderList g_dir1;
GdiObject<HBITMAP> g_banner;

HMENU CreateMainMenu()
{
    HMENU bar = CreateMenu();
    HMENU nadeshiro = CreatePopupMenu();
    AppendMenuW(nadeshiro, MF_STRING, IDM_END, L"終了");
    HMENU help = CreatePopupMenu();
    AppendMenuW(help, MF_STRING, IDM_VER, L"バージョン情報");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(nadeshiro), L"なでしろ");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"ヘルプ");
    return bar;
}

// Tells the main window that the drives and the game folder have been read.
constexpr UINT WM_NADESHIRO_READ = WM_APP + 2;

// The drives and the game folder for the lists at start, read from the disk on a thread of
// their own once the window has been shown and waits for input, so that nothing waits on a
// slow drive (where the system gives no thread, at once); the window is told when they are
// in. What could not be read is kept to be reported when the lists are filled.
class StartReading {
public:
    StartReading(std::wstring gameFolder, HWND window) : gameFolder_(std::move(gameFolder)), window_(window)
    {
        thread_.reset(CreateThread(nullptr, 0, Run, this, 0, nullptr));
        if (!thread_.valid()) Run(this);
    }
    ~StartReading() { Wait(); }

    void Wait()
    {
        if (thread_.valid()) WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }

    std::vector<DriveEntry> drives;
    std::exception_ptr drivesFailure;  // the system's memory ran out
    FolderView folder;
    std::exception_ptr folderFailure;

private:
    static DWORD WINAPI Run(void* self)
    {
        static_cast<StartReading*>(self)->Read();
        PostMessageW(static_cast<StartReading*>(self)->window_, WM_NADESHIRO_READ, 0, 0);
        return 0;
    }
    void Read()
    {
        try {
            folder = ReadFolder(gameFolder_);
        } catch (...) {
            folderFailure = std::current_exception();
        }
        try {
            drives = ReadDrives(SystemDrives());
        } catch (...) {
            drivesFailure = std::current_exception();
        }
    }

    std::wstring gameFolder_;
    HWND window_;
    Handle thread_;
};

bool g_readingDue = false;                // from the window's load until the reading begins
std::unique_ptr<StartReading> g_reading;  // then until the lists are filled

// Form_Load: the game folder is the current folder when the tool starts (taken before the
// window is made); the drive and folder lists start on it, once it has been read.
void Form_Load()
{
    BeginStartReading();
    std::unique_ptr<StartReading> reading = std::move(g_reading);
    if (reading == nullptr) return;
    reading->Wait();
    if (reading->drivesFailure) std::rethrow_exception(reading->drivesFailure);
    const std::wstring& folder = g_fields.GameFolder;
    g_drive1.Fill(folder.size() >= 2 && folder[1] == L':' ? folder[0] : L'\0', reading->drives);
    bool shown = RunHandler([&] {
        if (reading->folderFailure) std::rethrow_exception(reading->folderFailure);
        g_dir1.Show(reading->folder);
    });
    if (!shown) g_dir1.OpenNearest(folder);  // the list always has a folder open
}

// The open folder a command works on, read when it runs. When it is gone (the command reports
// it), the list moves to the nearest folder above it that can be read.
std::wstring OpenFolder()
{
    std::wstring folder = g_dir1.Path();
    if (!platform::IsFolder(folder)) g_dir1.OpenNearest(folder);
    return folder;
}

void Command1_Click()
{
    if (!BackUp(g_fields, OpenFolder(), WindowText(g_form.Control(IDC_TEXT1)))) return;
    g_dir1.ShowNewFolder(Module1::WorkPath);
    ShowMemoWindow(Module1::WorkPath);
}

void Command2_Click() { Restore(g_fields, OpenFolder()); }

// The memo's lines read before a failing step stay in Text2.
void Command3_Click()
{
    HWND text2 = g_form.Control(IDC_TEXT2);
    std::wstring shown = WindowText(text2);
    size_t before = shown.size();
    RunHandler([&] { ShowMemo(OpenFolder(), shown); });
    if (shown.size() != before) SetWindowTextW(text2, shown.c_str());
}

void Command4_Click() { LaunchGame(g_fields.GameFolder); }

void Drive1_Change()
{
    RunHandler([] { g_dir1.SetPath(g_drive1.Drive()); }, [] {
        platform::Beep();
        platform::ShowMessage(kDriveNotReadyMessage, platform::kStyleWarning, kMessageTitle);
    });
}

// A double-click on a folder, or Enter on it, opens it.
void Dir1_Open() { g_dir1.OpenEntry(static_cast<int>(SendMessageW(g_dir1.Handle(), LB_GETCURSEL, 0, 0))); }

void end_Click() { platform::EndProgram(); }

void ver_Click() { ShowVersionWindow(); }

void PaintBanner(HDC dc)
{
    if (!g_banner.valid()) return;
    BITMAP info{};
    GetObjectW(g_banner.get(), sizeof info, &info);
    MemoryDc source(CreateCompatibleDC(dc));
    Selected banner(source.get(), g_banner.get());
    UINT dpi = g_form.Dpi();
    int x = TwipsToPixels(kImage1Left, dpi), y = TwipsToPixels(kImage1Top, dpi);
    int w = TwipsToPixels(kImage1Width, dpi), h = TwipsToPixels(kImage1Height, dpi);
    if (w == info.bmWidth && h == info.bmHeight) {
        BitBlt(dc, x, y, w, h, source.get(), 0, 0, SRCCOPY);
    } else {
        // Away from 96 DPI the picture keeps its place in twips, scaled evenly.
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);
        StretchBlt(dc, x, y, w, h, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return Guarded<LRESULT>(0, [&]() -> LRESULT {
        switch (message) {
        case WM_NADESHIRO_READ: Form_Load(); return 0;
        case WM_COMMAND:
            Form_Load();  // a command works on the lists as start-up fills them
            switch (LOWORD(wParam)) {
            case IDC_COMMAND1: Command1_Click(); return 0;
            case IDC_COMMAND2: Command2_Click(); return 0;
            case IDC_COMMAND3: Command3_Click(); return 0;
            case IDC_COMMAND4: Command4_Click(); return 0;
            case IDC_DRIVE1:
                if (HIWORD(wParam) == CBN_DROPDOWN) g_drive1.FillLaterNames();
                if (HIWORD(wParam) == CBN_SELCHANGE && g_drive1.TakeChange()) Drive1_Change();
                return 0;
            case IDC_DIR1:
                if (HIWORD(wParam) == LBN_DBLCLK) Dir1_Open();
                return 0;
            case IDOK:
                if (GetFocus() != g_dir1.Handle()) break;
                Dir1_Open();
                return 0;
            case IDM_END: end_Click(); return 0;
            case IDM_VER: ver_Click(); return 0;
            default: break;
            }
            break;
        case WM_DRAWITEM:
            if (wParam != IDC_DIR1) break;
            g_dir1.Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_PAINT: PaintBanner(PaintDc(window).get()); return 0;
        case WM_DPICHANGED: {
            LRESULT result = g_form.Default(window, message, wParam, lParam);
            g_dir1.SetMetrics(g_form.Dpi(), g_form.Font());
            return result;
        }
        case WM_NCDESTROY: g_banner.reset(); break;
        default:
            break;
        }
        return g_form.Default(window, message, wParam, lParam);
    });
}

}  // namespace

HWND CreateMainWindow(HINSTANCE instance, int showCommand)
{
    bool loaded = RunHandler([&] {
        g_fields.GameFolder = platform::CurrentDirectory();
        HWND window = g_form.Load(instance, MainWindowProc, Menu(CreateMainMenu()));
        platform::SetMessageOwner(window);
        g_banner.reset(static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        g_drive1.Attach(g_form.Control(IDC_DRIVE1));
        g_dir1.Attach(g_form.Control(IDC_DIR1));
        g_form.DescribeItems(IDC_DIR1, &g_dir1);
        g_dir1.SetMetrics(g_form.Dpi(), g_form.Font());
        g_form.Show(showCommand);
        g_readingDue = true;
    });
    if (!loaded && g_form.Window() != nullptr) DestroyWindow(g_form.Window());
    return g_form.Window();
}

void BeginStartReading()
{
    if (std::exchange(g_readingDue, false)) g_reading = std::make_unique<StartReading>(g_fields.GameFolder, g_form.Window());
}

void FillStartLists() { RunHandler(Form_Load); }

Form& MainForm() { return g_form; }
MainFields& MainWindowFields() { return g_fields; }
FolderList& Dir1() { return g_dir1; }
DriveList& Drive1() { return g_drive1; }

}  // namespace nadeshiro::ui

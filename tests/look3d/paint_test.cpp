// What adopted controls look like, checked pixel by pixel (below 4.0).
#include "look3d/look3d_test_support.h"

#include <vector>
#include "common/import_patch.h"

using namespace look3dtest;

namespace {

using Look3dPaint = OldSystemTest;
using look3d::TheCore;

// A 32-bit picture of a window's client area, painted through WM_PAINT.
class Picture {
public:
    explicit Picture(HWND window) {
        RECT client;
        GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits),
                                  nullptr, 0);
        old = SelectObject(dc, bitmap);
        RECT all = {0, 0, width, height};
        HBRUSH fill = CreateSolidBrush(RGB(255, 0, 255));
        FillRect(dc, &all, fill);
        DeleteObject(fill);
        SendMessageA(window, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        GdiFlush();
    }
    ~Picture() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    COLORREF At(int x, int y) const {
        DWORD p = bits[y * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    int width = 0;
    int height = 0;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    DWORD* bits = nullptr;
};

// The color of a glyph cell's pixel, read from the resource with the
// palette entries the look replaces.
COLORREF GlyphPixel(int column, int row, int x, int y) {
    HRSRC found = FindResourceA(Module(), MAKEINTRESOURCEA(26567), MAKEINTRESOURCEA(2));
    const auto* header =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Module(), found)));
    const auto* palette =
        reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(header) + header->biSize);
    const BYTE* bits = reinterpret_cast<const BYTE*>(palette + 16);
    int stride = ((header->biWidth * 4 + 31) / 32) * 4;
    int px = column * 14 + x;
    int py = header->biHeight - 1 - (row * 13 + y);
    BYTE pair = bits[py * stride + px / 2];
    int index = px % 2 == 0 ? pair >> 4 : pair & 0xF;
    const COLORREF* colors = TheCore().colors;
    switch (index) {
    case 0:
        return colors[look3d::kWindowText];
    case 7:
        return colors[look3d::kShadow];
    case 8:
        return colors[look3d::kFace];
    case 10:
        return colors[look3d::kWindowFrame];
    case 11:
        return colors[look3d::kWindow];
    case 15:
        return colors[look3d::kHighlight];
    default:
        return RGB(palette[index].rgbRed, palette[index].rgbGreen, palette[index].rgbBlue);
    }
}

// Counts the pixels of the picture's cell at (left, top) that differ from
// the glyph cell (column, row).
int CellMismatches(const Picture& picture, int left, int top, int column, int row) {
    int wrong = 0;
    for (int y = 0; y < 13; ++y) {
        for (int x = 0; x < 14; ++x) {
            if (picture.At(left + x, top + y) != GlyphPixel(column, row, x, y)) {
                ++wrong;
            }
        }
    }
    return wrong;
}

class Look3dPaintCase : public Look3dPaint {
protected:
    void SetUp() override {
        Look3dPaint::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        parent = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                               nullptr, Module(), nullptr);
    }
    void TearDown() override {
        if (parent != nullptr) {
            DestroyWindow(parent);
        }
        Look3dPaint::TearDown();
    }
    HWND Control(DWORD style, const char* text = "Label", const char* className = "BUTTON") {
        HWND w = CreateWindowA(className, text, WS_CHILD | WS_VISIBLE | style, 10, 10, 120, 24,
                               parent, nullptr, Module(), nullptr);
        EXPECT_TRUE(Look3dAdoptControl(w));
        return w;
    }
    HWND parent = nullptr;
};

TEST_F(Look3dPaintCase, CheckedDisabledCheckBoxShowsItsCell) {
    HWND box = Control(BS_AUTOCHECKBOX);
    SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
    EnableWindow(box, FALSE);
    Picture picture(box);
    EXPECT_EQ(CellMismatches(picture, 0, (24 - 13) / 2, 4, 0), 0);
}

TEST_F(Look3dPaintCase, PushedCheckedRadioShowsItsCell) {
    HWND radio = Control(BS_RADIOBUTTON);
    SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(radio, BM_SETSTATE, TRUE, 0);
    Picture picture(radio);
    EXPECT_EQ(CellMismatches(picture, 0, (24 - 13) / 2, 3, 1), 0);
}

TEST_F(Look3dPaintCase, IndeterminateThreeStateBoxShowsItsCell) {
    HWND box = Control(BS_3STATE);
    SendMessageA(box, BM_SETCHECK, BST_INDETERMINATE, 0);
    Picture picture(box);
    EXPECT_EQ(CellMismatches(picture, 0, (24 - 13) / 2, 1, 2), 0);
}

TEST_F(Look3dPaintCase, LeftTextPutsTheGlyphAtTheRightEdge) {
    HWND box = Control(BS_AUTOCHECKBOX | BS_LEFTTEXT, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    Picture picture(box);
    EXPECT_EQ(CellMismatches(picture, 120 - 14, (24 - 13) / 2, 0, 0), 0);
    // The text stays out of the 18 columns at the glyph's side: painting
    // without erasing leaves them as they were.
    int touched = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 120 - 18; x < 120 - 14; ++x) {
            touched += picture.At(x, y) != RGB(255, 0, 255) ? 1 : 0;
        }
    }
    EXPECT_EQ(touched, 0);
    EXPECT_NE(picture.At(10, 12), RGB(255, 0, 255)) << "no text drawn at the left";
}

TEST_F(Look3dPaintCase, GroupBoxWithEmptyCaptionIsLoweredByHalfAnX) {
    HWND group = CreateWindowA("BUTTON", "", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 10, 10, 120, 60,
                               parent, nullptr, Module(), nullptr);
    ASSERT_TRUE(Look3dAdoptControl(group));
    Picture picture(group);
    SIZE x = {0, 0};
    GetTextExtentPointA(picture.dc, "X", 1, &x);
    int top = x.cy / 2;
    const COLORREF* colors = TheCore().colors;
    EXPECT_EQ(picture.At(60, top), colors[look3d::kShadow]);
    EXPECT_EQ(picture.At(60, top + 1), colors[look3d::kHighlight]);
    EXPECT_EQ(picture.At(0, 40), colors[look3d::kShadow]);
    EXPECT_EQ(picture.At(1, 40), colors[look3d::kHighlight]);
    EXPECT_EQ(picture.At(118, 40), colors[look3d::kShadow]);
    EXPECT_EQ(picture.At(119, 40), colors[look3d::kHighlight]);
    // Nothing above the frame.
    EXPECT_EQ(picture.At(60, top - 1), RGB(255, 0, 255));
}

// System colors changed for one case and put back afterwards.
class SystemColors {
public:
    SystemColors(int a, COLORREF ca, int b, COLORREF cb) : indices{a, b} {
        saved[0] = GetSysColor(a);
        saved[1] = GetSysColor(b);
        COLORREF values[2] = {ca, cb};
        SetSysColors(2, indices, values);
    }
    ~SystemColors() {
        SetSysColors(2, indices, saved);
        Look3dRefreshColors();
    }
    SystemColors(const SystemColors&) = delete;
    SystemColors& operator=(const SystemColors&) = delete;

private:
    int indices[2];
    COLORREF saved[2];
};

TEST_F(Look3dPaintCase, DisabledTextStaysVisibleOnAGreyFace) {
    SystemColors grey(COLOR_BTNFACE, RGB(128, 128, 128), COLOR_GRAYTEXT, RGB(128, 128, 128));
    ASSERT_EQ(GetSysColor(COLOR_BTNFACE), RGB(128, 128, 128));
    int before = TheCore().rebuildCount;
    EXPECT_TRUE(Look3dRefreshColors());
    EXPECT_EQ(TheCore().rebuildCount, before + 1);
    EXPECT_EQ(TheCore().colors[look3d::kGrayText], RGB(192, 192, 192));
    HWND box = Control(BS_AUTOCHECKBOX, "WWWW");
    EnableWindow(box, FALSE);
    Picture picture(box);
    int grey192 = 0;
    for (int y = 0; y < 24; ++y) {
        for (int x = 18; x < 120; ++x) {
            grey192 += picture.At(x, y) == RGB(192, 192, 192) ? 1 : 0;
        }
    }
    EXPECT_GT(grey192, 10);
}

TEST_F(Look3dPaintCase, SettingTheSameCheckDrawsNothing) {
    HWND box = Control(BS_AUTOCHECKBOX);
    UpdateWindow(parent);
    HDC dc = GetDC(box);
    RECT all = {0, 0, 120, 24};
    HBRUSH fill = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &all, fill);
    DeleteObject(fill);
    ValidateRect(box, nullptr);
    SendMessageA(box, BM_SETCHECK, BST_UNCHECKED, 0);
    GdiFlush();
    EXPECT_EQ(GetPixel(dc, 3, 12), RGB(255, 0, 255));
    SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
    GdiFlush();
    EXPECT_NE(GetPixel(dc, 3, 12), RGB(255, 0, 255));
    ReleaseDC(box, dc);
}

TEST_F(Look3dPaintCase, EditGetsASunkenFrameInItsParent) {
    Template t(WS_POPUP | WS_VISIBLE, 120, 60);
    t.Item(kEdit, WS_BORDER, "text", 1, 10, 10, 60, 12);
    Dialog dialog(t);
    HWND edit = dialog.Item(1);
    ASSERT_EQ(ProcOf(edit), AsLong(&look3d::EditProc));
    RedrawWindow(dialog.handle, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT r;
    GetWindowRect(edit, &r);
    MapWindowPoints(nullptr, dialog.handle, reinterpret_cast<POINT*>(&r), 2);
    int midX = (r.left + r.right) / 2;
    int midY = (r.top + r.bottom) / 2;
    const COLORREF* colors = TheCore().colors;
    HDC dc = GetDC(dialog.handle);
    EXPECT_EQ(GetPixel(dc, r.left - 1, midY), colors[look3d::kShadow]);
    EXPECT_EQ(GetPixel(dc, midX, r.top - 1), colors[look3d::kShadow]);
    EXPECT_EQ(GetPixel(dc, r.right, midY), colors[look3d::kHighlight]);
    EXPECT_EQ(GetPixel(dc, midX, r.bottom), colors[look3d::kHighlight]);
    EXPECT_EQ(GetPixel(dc, r.left, midY), colors[look3d::kWindowFrame]);
    EXPECT_EQ(GetPixel(dc, midX, r.top), colors[look3d::kWindowFrame]);
    EXPECT_EQ(GetPixel(dc, r.right - 1, midY), colors[look3d::kFace]);
    EXPECT_EQ(GetPixel(dc, midX, r.bottom - 1), colors[look3d::kFace]);
    ReleaseDC(dialog.handle, dc);
}

TEST(Look3dLabel, MnemonicMarksAreStripped) {
    char out[32];
    look3d::StripMnemonics("&File && more&", out, sizeof out);
    EXPECT_STREQ(out, "File & more");
}

TEST(Look3dLabel, ImeMarksActOnDoubleByteSystems) {
    look3d::DialogRecord& dialog = TheCore().dialog;
    look3d::DialogRecord saved = dialog;
    dialog.doubleByte = 1;
    dialog.imeMark = 31;
    char out[32];
    look3d::StripMnemonics("a\x1F"
                           "bc\x1E"
                           "de",
                           out, sizeof out);
    EXPECT_STREQ(out, "abce");
    dialog.imeMark = 30;
    look3d::StripMnemonics("a\x1F"
                           "bc\x1E"
                           "de",
                           out, sizeof out);
    EXPECT_STREQ(out, "acde");
    dialog = saved;
}

// A probe of a painted picture: the pixel at x, y has the look's color
// `slot`, or is untouched (magenta) for slot -1.
struct Probe {
    int x, y, slot;
};

void ExpectProbes(const Picture& picture, const std::vector<Probe>& probes) {
    for (const Probe& p : probes) {
        ASSERT_TRUE(p.x < picture.width && p.y < picture.height)
            << picture.width << "x" << picture.height;
        COLORREF expected = p.slot < 0 ? RGB(255, 0, 255) : TheCore().colors[p.slot];
        EXPECT_EQ(picture.At(p.x, p.y), expected) << "at " << p.x << "," << p.y;
    }
}

// Push buttons raised, pushed and default; statics by their style (an
// empty text fills with the parent's brush only).
TEST_F(Look3dPaintCase, PushButtonsAndStaticsDrawWhatTheirStyleNames) {
    using namespace look3d;
    const struct {
        const char* className;
        DWORD style;
        BOOL pushed;
        std::vector<Probe> probes;
    } cases[] = {
        {"BUTTON",
         BS_PUSHBUTTON,
         FALSE,
         {{0, 12, kWindowFrame}, {2, 12, kHighlight}, {3, 3, kFace}}},
        {"BUTTON",
         BS_PUSHBUTTON,
         FALSE,
         {{60, 2, kHighlight}, {117, 12, kShadow}, {60, 21, kShadow}}},
        {"BUTTON", BS_PUSHBUTTON, TRUE, {{1, 12, kShadow}, {2, 12, kFace}, {118, 12, kFace}}},
        {"BUTTON", BS_DEFPUSHBUTTON, FALSE, {{1, 12, kWindowFrame}, {3, 12, kHighlight}}},
        {"BUTTON", BS_DEFPUSHBUTTON, FALSE, {{4, 4, kFace}, {116, 12, kShadow}}},
        {"STATIC", SS_BLACKFRAME, FALSE, {{0, 12, kShadow}, {119, 12, kHighlight}, {60, 12, -1}}},
        {"STATIC", SS_WHITERECT, FALSE, {{0, 12, kHighlight}, {119, 12, kShadow}, {60, 12, -1}}},
        {"STATIC", SS_GRAYFRAME, FALSE, {{0, 12, kShadow}, {1, 12, kHighlight}, {60, 12, -1}}},
        {"STATIC", SS_ETCHEDFRAME, FALSE, {{118, 12, kShadow}, {119, 12, kHighlight}}},
        {"STATIC", SS_LEFT, FALSE, {{0, 0, kFace}, {60, 12, kFace}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.className << " style " << c.style);
        HWND control = Control(c.style, "", c.className);
        SendMessageA(control, BM_SETSTATE, c.pushed, 0);
        Picture picture(control);
        ExpectProbes(picture, c.probes);
        DestroyWindow(control);
    }
}

// The look's lines (opaque one-pixel text-outs), recorded as they are drawn.
struct Line {
    RECT r;
    COLORREF color;
};
std::vector<Line>* recordedLines = nullptr;
using ExtTextOutCall = BOOL(WINAPI*)(HDC, int, int, UINT, const RECT*, LPCSTR, UINT, const INT*);
ExtTextOutCall realExtTextOut = nullptr;

BOOL WINAPI RecordLine(HDC dc, int x, int y, UINT options, const RECT* r, LPCSTR text, UINT n,
                       const INT* dx) {
    if (recordedLines != nullptr && r != nullptr && n == 0) {
        recordedLines->push_back({*r, GetBkColor(dc)});
    }
    return realExtTextOut(dc, x, y, options, r, text, n, dx);
}

class LineRecorder {
public:
    LineRecorder() {
        realExtTextOut = patch.Original<ExtTextOutCall>();
        recordedLines = &lines;
    }
    ~LineRecorder() { recordedLines = nullptr; }
    LineRecorder(const LineRecorder&) = delete;
    LineRecorder& operator=(const LineRecorder&) = delete;

    // Horizontal shadow lines: the outer top sides of sunken frames.
    int ShadowTops() const {
        int n = 0;
        for (const Line& l : lines) {
            n += l.color == TheCore().colors[look3d::kShadow] && l.r.bottom - l.r.top == 1 &&
                 l.r.right - l.r.left > 1;
        }
        return n;
    }

    ImportPatch patch{"gdi32.dll", "ExtTextOutA", reinterpret_cast<void*>(&RecordLine)};
    std::vector<Line> lines;
};

INT_PTR CALLBACK NoFrameDialogProc(HWND, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_LOOK3D_MAYFRAME && lParam != 0) {
        *reinterpret_cast<BOOL*>(lParam) = FALSE;
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

TEST_F(Look3dPaint, DialogsKeepTheSystemFrameUnlessModalFramedAndAllowed) {
    const struct {
        DWORD style;
        DLGPROC procedure;
        bool framed;
    } cases[] = {
        {DS_MODALFRAME, &PlainDialogProc, true},
        {0, &PlainDialogProc, false},
        {DS_MODALFRAME, &NoFrameDialogProc, false},
    };
    for (const auto& c : cases) {
        Dialog dialog(Template(WS_POPUP | WS_VISIBLE | WS_CAPTION | c.style, 100, 60), c.procedure);
        ASSERT_EQ(ProcOf(dialog.handle), AsLong(&look3d::DialogProc));
        LineRecorder recorder;
        ASSERT_TRUE(recorder.patch.Applied());
        SendMessageA(dialog.handle, WM_NCPAINT, 1, 0);
        EXPECT_EQ(!recorder.lines.empty(), c.framed) << "style " << c.style;
        if (c.framed) {
            EXPECT_EQ(recorder.lines[0].r.top, 0);
            EXPECT_EQ(recorder.lines[0].color, TheCore().colors[look3d::kShadow]);
        }
    }
}

TEST_F(Look3dPaint, ComboChildrenAreFramedAsTheirComboShowsThem) {
    Template t(WS_POPUP | WS_VISIBLE, 200, 120);
    t.Item(kComboBox, CBS_SIMPLE, "", 1, 4, 4, 60, 60);
    t.Item(kListBox, WS_BORDER, "", 2, 80, 4, 60, 40);
    t.Item(kComboBox, CBS_DROPDOWN, "", 3, 80, 60, 60, 50);
    Dialog dialog(t);
    HWND combo = dialog.Item(3);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("item"));
    const struct {
        HWND field;
        BOOL dropped;
        int shadowTops;
    } cases[] = {
        {GetDlgItem(dialog.Item(1), 1000), FALSE, 0}, // a combo's list has no top side
        {dialog.Item(2), FALSE, 1},
        {GetDlgItem(combo, 1001), FALSE, 1},
        {GetDlgItem(combo, 1001), TRUE, 0}, // the dropped list covers the edit's frame
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.field, nullptr);
        SendMessageA(combo, CB_SHOWDROPDOWN, c.dropped, 0);
        ASSERT_EQ(SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != 0, c.dropped != FALSE);
        LineRecorder recorder;
        SendMessageA(c.field, WM_PAINT, 0, 0);
        EXPECT_EQ(recorder.ShadowTops(), c.shadowTops) << GetDlgCtrlID(c.field) << c.dropped;
        EXPECT_EQ(recorder.lines.empty(), c.dropped != FALSE);
    }
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_F(Look3dPaintCase, ControlColorsServeButtonsDialogsStaticsAndDropDownLists) {
    HWND dropDown = Control(CBS_DROPDOWN, "", "COMBOBOX");
    HWND dropList = Control(CBS_DROPDOWNLIST, "", "COMBOBOX");
    HWND list = Control(0, "", "LISTBOX");
    const struct {
        UINT message;
        HWND control;
        bool answered;
    } cases[] = {
        {WM_CTLCOLORMSGBOX, parent, false},   {WM_CTLCOLOREDIT, list, false},
        {WM_CTLCOLORSCROLLBAR, list, false},  {WM_CTLCOLORBTN, list, true},
        {WM_CTLCOLORDLG, parent, true},       {WM_CTLCOLORSTATIC, list, true},
        {WM_CTLCOLORLISTBOX, dropDown, true}, {WM_CTLCOLORLISTBOX, dropList, false},
        {WM_CTLCOLORLISTBOX, list, false},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    for (const auto& c : cases) {
        SetTextColor(dc, RGB(1, 1, 1));
        SetBkColor(dc, RGB(1, 1, 1));
        HBRUSH brush = look3d::ControlColor(c.message, dc, c.control);
        EXPECT_EQ(brush, c.answered ? TheCore().faceBrush : nullptr) << std::hex << c.message;
        EXPECT_EQ(GetTextColor(dc),
                  c.answered ? TheCore().colors[look3d::kButtonText] : RGB(1, 1, 1));
        EXPECT_EQ(GetBkColor(dc), c.answered ? TheCore().colors[look3d::kFace] : RGB(1, 1, 1));
    }
    DeleteDC(dc);
}

INT_PTR CALLBACK OwnStaticColorProc(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_CTLCOLORSTATIC) {
        return reinterpret_cast<INT_PTR>(GetStockObject(DKGRAY_BRUSH));
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

TEST_F(Look3dPaint, ADialogsOwnColorsComeBeforeTheLooks) {
    Dialog dialog(Template(WS_POPUP, 100, 60), &OwnStaticColorProc);
    HDC dc = GetDC(dialog.handle);
    auto ask = [&](UINT message) {
        return reinterpret_cast<HBRUSH>(SendMessageA(dialog.handle, message,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(dialog.handle)));
    };
    EXPECT_EQ(ask(WM_CTLCOLORSTATIC), GetStockObject(DKGRAY_BRUSH));
    EXPECT_EQ(ask(WM_CTLCOLORBTN), TheCore().faceBrush);
    HBRUSH edit = ask(WM_CTLCOLOREDIT);
    EXPECT_NE(edit, TheCore().faceBrush) << "left to the dialog's default processing";
    EXPECT_NE(edit, nullptr);
    ReleaseDC(dialog.handle, dc);
}

TEST_F(Look3dPaint, Windows30GetsAWhiteHighlight) {
    const COLORREF own = RGB(200, 201, 202);
    SystemColors colors(COLOR_BTNHIGHLIGHT, own, COLOR_BTNFACE, GetSysColor(COLOR_BTNFACE));
    for (WORD version : {WORD{0x0300}, WORD{0x030A}, TheCore().version}) {
        CoreVersion reported(version, TheCore().platform);
        EXPECT_TRUE(Look3dRefreshColors());
        EXPECT_EQ(TheCore().colors[look3d::kHighlight],
                  version == 0x0300 ? RGB(255, 255, 255) : own)
            << std::hex << version;
    }
}

} // namespace

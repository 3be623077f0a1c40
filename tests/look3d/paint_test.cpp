// What adopted controls look like, checked pixel by pixel (below 4.0).
#include "look3d/look3d_test_support.h"

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

} // namespace

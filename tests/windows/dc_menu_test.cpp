// Device-context, GDI-object and menu wrappers on real windows, device
// contexts and menus.
#include <gtest/gtest.h>
#include <vector>
#include "framework/runtime/exceptions.h"
#include "framework/windows/handles/dc.h"
#include "framework/windows/handles/gdi_object.h"
#include "framework/windows/handles/handle_table.h"
#include "framework/windows/handles/menu.h"
#include "framework/windows/messaging/window.h"
#include "common/import_patch.h"
#include "tests/windows/window_test_support.h"

namespace {

// Calls of a few system functions made by this program's own code: the
// program's import slots for them point at counting stand-ins while a
// CountedCalls object lives. Calls inside the system libraries are not seen.
struct CallCounts {
    int beginPaint = 0;
    int endPaint = 0;
    int deleteDc = 0;
    int saveDc = 0;
    int restoreDc = 0;
    decltype(&::BeginPaint) realBeginPaint = nullptr;
    decltype(&::EndPaint) realEndPaint = nullptr;
    decltype(&::DeleteDC) realDeleteDc = nullptr;
    decltype(&::SaveDC) realSaveDc = nullptr;
    decltype(&::RestoreDC) realRestoreDc = nullptr;
};

CallCounts& Counts() {
    static CallCounts counts;
    return counts;
}

HDC WINAPI CountingBeginPaint(HWND window, PAINTSTRUCT* paint) {
    ++Counts().beginPaint;
    return Counts().realBeginPaint(window, paint);
}

BOOL WINAPI CountingEndPaint(HWND window, const PAINTSTRUCT* paint) {
    ++Counts().endPaint;
    return Counts().realEndPaint(window, paint);
}

BOOL WINAPI CountingDeleteDc(HDC dc) {
    ++Counts().deleteDc;
    return Counts().realDeleteDc(dc);
}

int WINAPI CountingSaveDc(HDC dc) {
    ++Counts().saveDc;
    return Counts().realSaveDc(dc);
}

BOOL WINAPI CountingRestoreDc(HDC dc, int savedState) {
    ++Counts().restoreDc;
    return Counts().realRestoreDc(dc, savedState);
}

class CountedCalls {
public:
    CountedCalls() {
        Counts() = CallCounts{};
        Counts().realBeginPaint = beginPaint.Original<decltype(&::BeginPaint)>();
        Counts().realEndPaint = endPaint.Original<decltype(&::EndPaint)>();
        Counts().realDeleteDc = deleteDc.Original<decltype(&::DeleteDC)>();
        Counts().realSaveDc = saveDc.Original<decltype(&::SaveDC)>();
        Counts().realRestoreDc = restoreDc.Original<decltype(&::RestoreDC)>();
    }
    // Every function is imported, so every patch must have found its slot.
    bool Armed() const {
        return beginPaint.Applied() && endPaint.Applied() && deleteDc.Applied() &&
               saveDc.Applied() && restoreDc.Applied();
    }

private:
    static void* Fn(auto f) { return reinterpret_cast<void*>(f); }
    ImportPatch beginPaint{"user32.dll", "BeginPaint", Fn(&CountingBeginPaint)};
    ImportPatch endPaint{"user32.dll", "EndPaint", Fn(&CountingEndPaint)};
    ImportPatch deleteDc{"gdi32.dll", "DeleteDC", Fn(&CountingDeleteDc)};
    ImportPatch saveDc{"gdi32.dll", "SaveDC", Fn(&CountingSaveDc)};
    ImportPatch restoreDc{"gdi32.dll", "RestoreDC", Fn(&CountingRestoreDc)};
};

// A memory DC with a white bitmap, deleted at scope end.
class MemoryDc {
public:
    MemoryDc() : handle(CreateCompatibleDC(nullptr)) {
        HDC screen = GetDC(nullptr);
        bitmap = CreateCompatibleBitmap(screen, 64, 32);
        ReleaseDC(nullptr, screen);
        old = ::SelectObject(handle, bitmap);
        RECT all = {0, 0, 64, 32};
        FillRect(handle, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~MemoryDc() {
        ::SelectObject(handle, old);
        DeleteObject(bitmap);
        DeleteDC(handle);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;

    int DarkPixels() const {
        int n = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 64; ++x) {
                n += GetPixel(handle, x, y) != RGB(255, 255, 255);
            }
        }
        return n;
    }

    HDC handle;
    HBITMAP bitmap;
    HGDIOBJ old;
};

// A CDC over two given handles that lets them go before it is destroyed.
class PairDc : public CDC {
public:
    PairDc(HDC output, HDC attribute) {
        SetOutputHandle(output);
        SetAttributeHandle(attribute);
    }
    ~PairDc() override {
        ReleaseOutputHandle();
        ReleaseAttributeHandle();
    }
};

// What the thread's idle processing does with temporaries.
void IdleCleanUp() {
    DeleteAllTemporaries();
}

// What the painting window saw during its WM_PAINT.
struct PaintReport {
    int paints = 0;
    bool iconic = false;
    bool threw = false;
    HDC dc = nullptr;
    bool bothHandles = false;
    bool boundWhilePainting = false;
    BOOL drewIcon = FALSE;
    int endPaintsWhilePainting = -1;
    int endPaints = -1;
    int deleteDcs = -1;
    bool unboundAfter = false;
};

LRESULT CALLBACK PaintingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* report = reinterpret_cast<PaintReport*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != WM_PAINT || report == nullptr) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    ++report->paints;
    report->iconic = IsIconic(window) != FALSE;
    const int endPaints = Counts().endPaint;
    const int deleteDcs = Counts().deleteDc;
    // Nothing may be thrown back through the system.
    try {
        CPaintDC dc(CWnd::ObjectFor(window));
        report->dc = dc.outputHandle;
        report->bothHandles = dc.attributeHandle == dc.outputHandle;
        report->boundWhilePainting = CDC::PermanentObjectFor(dc.outputHandle) == &dc;
        report->drewIcon = DrawIcon(dc.outputHandle, 0, 0, LoadIconA(nullptr, IDI_APPLICATION));
        report->endPaintsWhilePainting = Counts().endPaint - endPaints;
    } catch (CException* e) {
        report->threw = true;
        e->Discard();
    }
    report->endPaints = Counts().endPaint - endPaints;
    report->deleteDcs = Counts().deleteDc - deleteDcs;
    report->unboundAfter = CDC::PermanentObjectFor(report->dc) == nullptr;
    return 0;
}

class PaintingWindow {
public:
    PaintingWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &PaintingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LumPainting";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        RegisterClassA(&wc);
        handle = CreateWindowA("LumPainting", "paint", WS_OVERLAPPEDWINDOW, 10, 10, 200, 150,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&report));
    }
    ~PaintingWindow() {
        DestroyWindow(handle);
        UnregisterClassA("LumPainting", GetModuleHandleA(nullptr));
    }
    PaintingWindow(const PaintingWindow&) = delete;
    PaintingWindow& operator=(const PaintingWindow&) = delete;

    // Invalidates the whole window and lets the system send its WM_PAINT at
    // once. The frame is included: Wine gives a minimized window an empty
    // client area, so only an invalid frame makes it paint.
    void Paint() {
        RedrawWindow(handle, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    }

    PaintReport report;
    HWND handle;
};

void ExpectOnePaintWithoutDeleteDc(const PaintReport& r, HWND window) {
    EXPECT_FALSE(r.threw);
    EXPECT_NE(r.dc, nullptr);
    EXPECT_TRUE(r.bothHandles);
    EXPECT_TRUE(r.boundWhilePainting) << "bound to the painting object";
    EXPECT_TRUE(r.drewIcon);
    EXPECT_EQ(r.endPaintsWhilePainting, 0);
    EXPECT_EQ(r.endPaints, 1) << "EndPaint exactly once, when the object went";
    EXPECT_EQ(r.deleteDcs, 0) << "a painting DC is never deleted";
    EXPECT_TRUE(r.unboundAfter);
    EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE)) << "painted and validated";
}

} // namespace

TEST(CallCounting, StandInsAreInPlace) {
    CountedCalls counted;
    ASSERT_TRUE(counted.Armed());
    HDC dc = CreateCompatibleDC(nullptr);
    CDC object;
    ASSERT_TRUE(object.Bind(dc));
    object.SaveDC();
    EXPECT_EQ(Counts().saveDc, 1) << "calls from the framework are seen";
}

TEST(PaintDc, PaintsAMinimizedWindowAndEndsPaintingOnce) {
    CountedCalls counted;
    ASSERT_TRUE(counted.Armed());
    PaintingWindow w;
    ShowWindow(w.handle, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(w.handle));
    w.report = {};
    w.Paint();
    ASSERT_EQ(w.report.paints, 1);
    EXPECT_TRUE(w.report.iconic);
    EXPECT_EQ(Counts().beginPaint, 1);
    ExpectOnePaintWithoutDeleteDc(w.report, w.handle);
}

TEST(PaintDc, PaintsAnOrdinaryWindow) {
    CountedCalls counted;
    PaintingWindow w;
    ShowWindow(w.handle, SW_SHOWNOACTIVATE);
    w.report = {};
    w.Paint();
    ASSERT_EQ(w.report.paints, 1);
    EXPECT_FALSE(w.report.iconic);
    ExpectOnePaintWithoutDeleteDc(w.report, w.handle);
}

TEST(PaintDc, WindowWithoutADcRaisesTheResourceException) {
    CountedCalls counted;
    HWND gone = CreateWindowA("STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    DestroyWindow(gone);
    CWnd window(gone);
    bool raised = false;
    try {
        CPaintDC dc(&window);
        ADD_FAILURE() << "a DC for a destroyed window";
    } catch (CException* e) {
        raised = e->IsOfKind(LUM_RUNTIME_CLASS(CResourceException)) != FALSE;
        e->Discard();
    }
    window.windowHandle = nullptr;
    EXPECT_TRUE(raised);
    EXPECT_EQ(Counts().beginPaint, 1);
    EXPECT_EQ(Counts().endPaint, 0) << "nothing to end";
    EXPECT_EQ(Counts().deleteDc, 0);
}

TEST(DeviceContext, BindingANullHandleFails) {
    CDC dc;
    EXPECT_FALSE(dc.Bind(nullptr));
    EXPECT_EQ(dc.outputHandle, nullptr);
    EXPECT_EQ(dc.attributeHandle, nullptr);
    EXPECT_FALSE(dc.isPrinting);
    EXPECT_EQ(dc.Unbind(), nullptr);
}

TEST(DeviceContext, BoundObjectOwnsItsDc) {
    HDC h = CreateCompatibleDC(nullptr);
    CountedCalls counted;
    {
        CDC dc;
        ASSERT_TRUE(dc.Bind(h));
        EXPECT_EQ(dc.outputHandle, h);
        EXPECT_EQ(dc.attributeHandle, h);
        EXPECT_EQ(CDC::ObjectFor(h), &dc);
        EXPECT_EQ(CDC::PermanentObjectFor(h), &dc);
        EXPECT_EQ(dc.Unbind(), h);
        EXPECT_EQ(dc.attributeHandle, nullptr);
        EXPECT_EQ(CDC::PermanentObjectFor(h), nullptr);
        EXPECT_EQ(GetObjectType(h), static_cast<DWORD>(OBJ_MEMDC)) << "unbinding deletes nothing";
        ASSERT_TRUE(dc.Bind(h));
    }
    EXPECT_EQ(Counts().deleteDc, 1);
    EXPECT_EQ(GetObjectType(h), 0u) << "deleted with its object";
    EXPECT_EQ(CDC::PermanentObjectFor(h), nullptr);
}

TEST(DeviceContext, TemporaryHasBothHandlesAndLeavesTheDcAlive) {
    HDC h = CreateCompatibleDC(nullptr);
    CDC* temp = CDC::ObjectFor(h);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->GetRuntimeClassInfo(), LUM_RUNTIME_CLASS(CDC));
    EXPECT_EQ(temp->outputHandle, h);
    EXPECT_EQ(temp->attributeHandle, h);
    EXPECT_EQ(CDC::ObjectFor(h), temp);
    IdleCleanUp();
    EXPECT_EQ(GetObjectType(h), static_cast<DWORD>(OBJ_MEMDC));
    DeleteDC(h);
}

TEST(DeviceContext, SaveAndRestoreWithOneHandle) {
    MemoryDc memory;
    CountedCalls counted;
    CDC dc;
    ASSERT_TRUE(dc.Bind(memory.handle));
    const int id = dc.SaveDC();
    EXPECT_EQ(id, 1) << "the system's id for a first save";
    EXPECT_EQ(Counts().saveDc, 1);
    dc.SetMapMode(MM_TWIPS);
    EXPECT_TRUE(dc.RestoreDC(id));
    EXPECT_EQ(Counts().restoreDc, 1) << "one call, on the attribute handle";
    EXPECT_EQ(GetMapMode(memory.handle), MM_TEXT);
    dc.Unbind();
}

TEST(DeviceContext, SaveAndRestoreWithTwoHandles) {
    MemoryDc output;
    MemoryDc attribute;
    CountedCalls counted;
    PairDc dc(output.handle, attribute.handle);
    EXPECT_EQ(dc.SaveDC(), -1);
    EXPECT_EQ(Counts().saveDc, 2) << "both saved";
    EXPECT_EQ(dc.SetMapMode(MM_TWIPS), MM_TEXT);
    EXPECT_EQ(GetMapMode(output.handle), MM_TWIPS);
    EXPECT_EQ(GetMapMode(attribute.handle), MM_TWIPS);
    EXPECT_TRUE(dc.RestoreDC(-1));
    EXPECT_EQ(Counts().restoreDc, 2);
    EXPECT_EQ(GetMapMode(output.handle), MM_TEXT);
    EXPECT_EQ(GetMapMode(attribute.handle), MM_TEXT);
    EXPECT_FALSE(dc.RestoreDC(-1)) << "nothing left to restore";
}

TEST(DeviceContext, AttributeSettersReachBothHandlesAndAnswerTheAttributeHandle) {
    MemoryDc output;
    MemoryDc attribute;
    PairDc dc(output.handle, attribute.handle);
    ::SetBkColor(output.handle, RGB(1, 1, 1));
    ::SetBkColor(attribute.handle, RGB(2, 2, 2));
    EXPECT_EQ(dc.SetBkColor(RGB(3, 3, 3)), RGB(2, 2, 2));
    EXPECT_EQ(GetBkColor(output.handle), RGB(3, 3, 3));
    EXPECT_EQ(GetBkColor(attribute.handle), RGB(3, 3, 3));
    ::SetTextColor(attribute.handle, RGB(4, 4, 4));
    EXPECT_EQ(dc.SetTextColor(RGB(5, 5, 5)), RGB(4, 4, 4));
    EXPECT_EQ(GetTextColor(output.handle), RGB(5, 5, 5));

    ::SetViewportOrgEx(attribute.handle, 7, 8, nullptr);
    POINT origin = dc.SetViewportOrgEx(10, 20);
    EXPECT_EQ(origin.x, 7);
    EXPECT_EQ(origin.y, 8);
    origin = dc.OffsetViewportOrgEx(1, 2);
    EXPECT_EQ(origin.x, 10);
    EXPECT_EQ(origin.y, 20);
    for (HDC h : {output.handle, attribute.handle}) {
        POINT now;
        GetViewportOrgEx(h, &now);
        EXPECT_EQ(now.x, 11);
        EXPECT_EQ(now.y, 22);
    }

    dc.SetMapMode(MM_ANISOTROPIC);
    SIZE extent = dc.SetWindowExtEx(100, 200);
    EXPECT_EQ(extent.cx, 1);
    EXPECT_EQ(extent.cy, 1);
    extent = dc.SetViewportExtEx(50, 60);
    EXPECT_EQ(extent.cx, 1);
    extent = dc.ScaleWindowExtEx(2, 1, 3, 1);
    EXPECT_EQ(extent.cx, 100);
    EXPECT_EQ(extent.cy, 200);
    extent = dc.ScaleViewportExtEx(1, 2, 1, 3);
    EXPECT_EQ(extent.cx, 50);
    EXPECT_EQ(extent.cy, 60);
    for (HDC h : {output.handle, attribute.handle}) {
        SIZE now;
        GetWindowExtEx(h, &now);
        EXPECT_EQ(now.cx, 200);
        EXPECT_EQ(now.cy, 600);
        GetViewportExtEx(h, &now);
        EXPECT_EQ(now.cx, 25);
        EXPECT_EQ(now.cy, 20);
    }
}

TEST(DeviceContext, DrawingGoesToTheOutputHandle) {
    MemoryDc output;
    MemoryDc attribute;
    PairDc dc(output.handle, attribute.handle);
    RECT box = {};
    EXPECT_EQ(dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box.right, 64);
    EXPECT_EQ(box.bottom, 32);
    EXPECT_TRUE(dc.PtVisible(10, 10));
    EXPECT_FALSE(dc.PtVisible(100, 10));
    RECT inside = {1, 1, 5, 5};
    RECT outside = {70, 0, 80, 5};
    EXPECT_TRUE(dc.RectVisible(&inside));
    EXPECT_FALSE(dc.RectVisible(&outside));

    EXPECT_TRUE(dc.TextOut(0, 0, "Wg", 2));
    const int afterTextOut = output.DarkPixels();
    EXPECT_GT(afterTextOut, 0);
    EXPECT_TRUE(dc.ExtTextOut(20, 0, 0, nullptr, "Wg", 2, nullptr));
    const int afterExtTextOut = output.DarkPixels();
    EXPECT_GT(afterExtTextOut, afterTextOut);
    RECT text = {40, 0, 64, 32};
    EXPECT_GT(dc.DrawText("W", 1, &text, DT_LEFT | DT_TOP | DT_SINGLELINE), 0);
    EXPECT_GT(output.DarkPixels(), afterExtTextOut);
    EXPECT_EQ(attribute.DarkPixels(), 0) << "nothing drawn on the attribute handle";
}

TEST(DeviceContext, TabbedTextOutSplitsTheAnswerIntoSignedHalves) {
    SIZE split = CDC::SplitExtent(static_cast<LONG>(0xFFFF0010));
    EXPECT_EQ(split.cx, 16);
    EXPECT_EQ(split.cy, -1);
    split = CDC::SplitExtent(0x000C8001);
    EXPECT_EQ(split.cx, -32767);
    EXPECT_EQ(split.cy, 12);

    MemoryDc output;
    MemoryDc attribute;
    PairDc dc(output.handle, attribute.handle);
    const INT tabs[] = {30};
    SIZE drawn = dc.TabbedTextOut(0, 0, "a\tb", 3, 1, tabs, 0);
    LONG answer = ::TabbedTextOutA(output.handle, 0, 0, "a\tb", 3, 1, tabs, 0);
    EXPECT_EQ(drawn.cx, LOWORD(answer));
    EXPECT_EQ(drawn.cy, HIWORD(answer));
    EXPECT_GT(drawn.cx, 30) << "past the tab stop";
    TEXTMETRICA metrics;
    GetTextMetricsA(output.handle, &metrics);
    EXPECT_EQ(drawn.cy, metrics.tmHeight);
    EXPECT_GT(output.DarkPixels(), 0);
}

TEST(DeviceContext, GrayStringAndEscapeUseTheOutputHandle) {
    MemoryDc output;
    PairDc dc(output.handle, nullptr);
    EXPECT_TRUE(dc.GrayString(nullptr, nullptr, reinterpret_cast<LPARAM>("Gray"), 4, 0, 0, 0, 0));
    int query = QUERYESCSUPPORT;
    EXPECT_EQ(
        dc.Escape(QUERYESCSUPPORT, sizeof query, reinterpret_cast<const char*>(&query), nullptr),
        ::Escape(output.handle, QUERYESCSUPPORT, sizeof query,
                 reinterpret_cast<const char*>(&query), nullptr));
}

TEST(DeviceContext, SelectStockAnswersATemporaryForThePreviousFont) {
    MemoryDc memory;
    HFONT font =
        CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    ASSERT_NE(font, nullptr);
    ::SelectObject(memory.handle, font);
    CDC dc;
    ASSERT_TRUE(dc.Bind(memory.handle));
    CGdiObject* previous = dc.SelectStock(ANSI_VAR_FONT);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->objectHandle, font);
    EXPECT_EQ(previous->GetRuntimeClassInfo(), LUM_RUNTIME_CLASS(CGdiObject));
    EXPECT_EQ(GetGdiObjectTable(FALSE)->FindTemporary(font), previous) << "a temporary";
    EXPECT_EQ(CGdiObject::PermanentObjectFor(font), nullptr);
    EXPECT_EQ(GetCurrentObject(memory.handle, OBJ_FONT), GetStockObject(ANSI_VAR_FONT));
    EXPECT_EQ(dc.SelectStock(SYSTEM_FONT)->objectHandle, GetStockObject(ANSI_VAR_FONT));
    IdleCleanUp();
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT)) << "the temporary let it live";
    EXPECT_EQ(GetGdiObjectTable(FALSE)->FindTemporary(font), nullptr);
    dc.Unbind();
    DeleteObject(font);
}

TEST(DeviceContext, SelectObjectWithBothHandles) {
    MemoryDc output;
    MemoryDc attribute;
    PairDc dc(output.handle, attribute.handle);
    ::SelectObject(output.handle, GetStockObject(WHITE_PEN));
    CGdiObject pen;
    pen.objectHandle = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    GetGdiObjectTable(TRUE)->BindPermanent(pen.objectHandle, &pen);
    CGdiObject* previous = dc.SelectObject(&pen);
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(previous->objectHandle, GetStockObject(BLACK_PEN)) << "the attribute handle's";
    EXPECT_EQ(GetCurrentObject(output.handle, OBJ_PEN), pen.objectHandle);
    EXPECT_EQ(GetCurrentObject(attribute.handle, OBJ_PEN), pen.objectHandle);
    EXPECT_EQ(dc.SelectObject(previous), &pen) << "the bound object comes back";
    EXPECT_EQ(dc.SelectObject(nullptr), nullptr) << "a null object selects nothing";
    IdleCleanUp();
}

TEST(GdiObject, DeleteHandleDeletesOnce) {
    CGdiObject brush;
    EXPECT_FALSE(brush.DeleteHandle()) << "nothing to delete";
    HBRUSH h = CreateSolidBrush(RGB(9, 9, 9));
    brush.objectHandle = h;
    GetGdiObjectTable(TRUE)->BindPermanent(h, &brush);
    EXPECT_EQ(CGdiObject::ObjectFor(h), &brush);
    EXPECT_TRUE(brush.DeleteHandle());
    EXPECT_EQ(brush.objectHandle, nullptr);
    EXPECT_EQ(GetObjectType(h), 0u);
    EXPECT_EQ(CGdiObject::PermanentObjectFor(h), nullptr);
    EXPECT_FALSE(brush.DeleteHandle());
}

TEST(GdiObject, UnbindLetsTheObjectLiveAndABoundOneDiesWithItsWrapper) {
    HBRUSH kept = CreateSolidBrush(RGB(1, 1, 1));
    HBRUSH owned = CreateSolidBrush(RGB(2, 2, 2));
    {
        CGdiObject a;
        a.objectHandle = kept;
        GetGdiObjectTable(TRUE)->BindPermanent(kept, &a);
        EXPECT_EQ(a.Unbind(), kept);
        EXPECT_EQ(a.objectHandle, nullptr);
        EXPECT_EQ(CGdiObject::PermanentObjectFor(kept), nullptr);
        EXPECT_EQ(a.Unbind(), nullptr);
        CGdiObject b;
        b.objectHandle = owned;
        GetGdiObjectTable(TRUE)->BindPermanent(owned, &b);
    }
    EXPECT_EQ(GetObjectType(kept), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetObjectType(owned), 0u);
    EXPECT_EQ(CGdiObject::PermanentObjectFor(owned), nullptr);
    DeleteObject(kept);
}

TEST(GdiObject, TemporariesLeaveTheirObjectsAlive) {
    EXPECT_EQ(CGdiObject::ObjectFor(nullptr), nullptr);
    HBRUSH h = CreateSolidBrush(RGB(3, 3, 3));
    CGdiObject* temp = CGdiObject::ObjectFor(h);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->objectHandle, h);
    EXPECT_EQ(CGdiObject::ObjectFor(h), temp);
    IdleCleanUp();
    EXPECT_EQ(GetObjectType(h), static_cast<DWORD>(OBJ_BRUSH));
    DeleteObject(h);
}

TEST(Menu, SystemMenuThroughATemporary) {
    wintest::PlainWindow w("STATIC", WS_OVERLAPPEDWINDOW, nullptr);
    HMENU system = GetSystemMenu(w.handle, FALSE);
    ASSERT_NE(system, nullptr);
    CMenu* menu = CMenu::ObjectFor(system);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(CMenu::ObjectFor(GetSystemMenu(w.handle, FALSE)), menu) << "same until idle";
    EXPECT_EQ(menu->menuHandle, system);
    EXPECT_EQ(CMenu::PermanentObjectFor(system), nullptr);
    EXPECT_EQ(GetMenuTable(FALSE)->FindTemporary(system), menu);
    const int before = GetMenuItemCount(system);
    ASSERT_TRUE(AppendMenuA(menu->menuHandle, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuA(menu->menuHandle, MF_STRING, 0x10, "About..."));
    EXPECT_EQ(GetMenuItemCount(GetSystemMenu(w.handle, FALSE)), before + 2);
    IdleCleanUp();
    EXPECT_EQ(GetMenuTable(FALSE)->FindTemporary(system), nullptr);
    EXPECT_TRUE(IsMenu(system)) << "the system menu outlived its temporary";
    EXPECT_EQ(GetMenuItemCount(GetSystemMenu(w.handle, FALSE)), before + 2);
    char text[16] = {};
    GetMenuStringA(system, 0x10, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "About...");
}

TEST(Menu, BoundMenuIsDestroyedWithItsObject) {
    HMENU owned = CreatePopupMenu();
    HMENU kept = CreatePopupMenu();
    auto* object = new CMenu;
    object->menuHandle = owned;
    GetMenuTable(TRUE)->BindPermanent(owned, object);
    EXPECT_EQ(CMenu::ObjectFor(owned), object);
    delete object;
    EXPECT_FALSE(IsMenu(owned));
    EXPECT_EQ(CMenu::PermanentObjectFor(owned), nullptr);
    {
        CMenu unbound;
        unbound.menuHandle = kept;
        GetMenuTable(TRUE)->BindPermanent(kept, &unbound);
        EXPECT_EQ(unbound.Unbind(), kept);
        EXPECT_EQ(CMenu::PermanentObjectFor(kept), nullptr);
    }
    EXPECT_TRUE(IsMenu(kept)) << "unbound first, so left alone";
    CMenu empty;
    EXPECT_FALSE(empty.DestroyHandle());
    empty.menuHandle = kept;
    EXPECT_TRUE(empty.DestroyHandle()) << "destroyed without being bound";
    EXPECT_FALSE(IsMenu(kept));
}

TEST(WrapperClasses, RecordsNameTheirBases) {
    struct Row {
        const RuntimeClassInfo* record;
        const char* name;
        const RuntimeClassInfo* base;
        bool creatable;
    };
    const Row rows[] = {
        {LUM_RUNTIME_CLASS(CDC), "CDC", LUM_RUNTIME_CLASS(CObject), true},
        {LUM_RUNTIME_CLASS(CPaintDC), "CPaintDC", LUM_RUNTIME_CLASS(CDC), false},
        {LUM_RUNTIME_CLASS(CClientDC), "CClientDC", LUM_RUNTIME_CLASS(CDC), false},
        {LUM_RUNTIME_CLASS(CWindowDC), "CWindowDC", LUM_RUNTIME_CLASS(CDC), false},
        {LUM_RUNTIME_CLASS(CGdiObject), "CGdiObject", LUM_RUNTIME_CLASS(CObject), true},
        {LUM_RUNTIME_CLASS(CPen), "CPen", LUM_RUNTIME_CLASS(CGdiObject), false},
        {LUM_RUNTIME_CLASS(CBrush), "CBrush", LUM_RUNTIME_CLASS(CGdiObject), false},
        {LUM_RUNTIME_CLASS(CFont), "CFont", LUM_RUNTIME_CLASS(CGdiObject), false},
        {LUM_RUNTIME_CLASS(CBitmap), "CBitmap", LUM_RUNTIME_CLASS(CGdiObject), false},
        {LUM_RUNTIME_CLASS(CPalette), "CPalette", LUM_RUNTIME_CLASS(CGdiObject), false},
        {LUM_RUNTIME_CLASS(CRgn), "CRgn", LUM_RUNTIME_CLASS(CGdiObject), false},
        {LUM_RUNTIME_CLASS(CMenu), "CMenu", LUM_RUNTIME_CLASS(CObject), true},
    };
    for (const Row& row : rows) {
        EXPECT_STREQ(row.record->className, row.name);
        EXPECT_EQ(row.record->baseClass, row.base) << row.name;
        EXPECT_EQ(row.record->creationFunction != nullptr, row.creatable) << row.name;
    }
}

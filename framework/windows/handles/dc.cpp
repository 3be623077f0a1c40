#include "framework/windows/handles/dc.h"

#include <cstddef>
#include "framework/runtime/exceptions.h"
#include "framework/windows/handles/gdi_object.h"
#include "framework/windows/handles/handle_table.h"

LUM_IMPLEMENT_CREATABLE(CDC, CObject)
LUM_IMPLEMENT_CLASS(CPaintDC, CDC)
LUM_IMPLEMENT_CLASS(CClientDC, CDC)
LUM_IMPLEMENT_CLASS(CWindowDC, CDC)

// The device-context table writes a temporary's handle into both fields as
// one pair, output first.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(CDC, attributeHandle) == offsetof(CDC, outputHandle) + sizeof(HDC));
#pragma GCC diagnostic pop

namespace {
using Dcs = WrapperTable<CDC, &CDC::outputHandle, &ModuleThreadState::dcTable, 2>;
} // namespace

CHandleTable* GetDcTable(BOOL create) {
    return Dcs::Table(create);
}

CDC::~CDC() {
    if (outputHandle != nullptr) {
        DeleteDC(Unbind());
    }
}

CDC* CDC::ObjectFor(HDC handle) {
    return Dcs::ObjectFor(handle);
}

CDC* CDC::PermanentObjectFor(HDC handle) {
    return Dcs::PermanentObjectFor(handle);
}

BOOL CDC::Bind(HDC handle) {
    if (!Dcs::Bind(*this, handle)) {
        return FALSE;
    }
    SetAttributeHandle(handle);
    return TRUE;
}

HDC CDC::Unbind() {
    ReleaseAttributeHandle();
    return Dcs::Unbind(*this);
}

SIZE CDC::SplitExtent(LONG extent) {
    const auto bits = static_cast<DWORD>(extent);
    return SIZE{static_cast<SHORT>(LOWORD(bits)), static_cast<SHORT>(HIWORD(bits))};
}

template <class Result, class Call> Result CDC::OnBothHandles(Result none, Call call) {
    Result result = none;
    if (outputHandle != attributeHandle) {
        result = call(outputHandle);
    }
    if (attributeHandle != nullptr) {
        result = call(attributeHandle);
    }
    return result;
}

int CDC::SaveDC() {
    int savedState = attributeHandle != nullptr ? ::SaveDC(attributeHandle) : 0;
    if (outputHandle != attributeHandle && ::SaveDC(outputHandle) != 0) {
        savedState = -1;
    }
    return savedState;
}

BOOL CDC::RestoreDC(int savedState) {
    BOOL result = TRUE;
    if (outputHandle != attributeHandle) {
        result = ::RestoreDC(outputHandle, savedState);
    }
    if (attributeHandle != nullptr) {
        // Restored even when the output handle failed, so that attributes
        // never stay in a state that was meant to be undone.
        BOOL restored = ::RestoreDC(attributeHandle, savedState);
        result = result && restored;
    }
    return result;
}

CGdiObject* CDC::SelectStock(int index) {
    HGDIOBJ stock = GetStockObject(index);
    HGDIOBJ previous =
        OnBothHandles<HGDIOBJ>(nullptr, [stock](HDC dc) { return ::SelectObject(dc, stock); });
    return CGdiObject::ObjectFor(previous);
}

CGdiObject* CDC::SelectObject(CGdiObject* object) {
    HGDIOBJ handle = object != nullptr ? object->objectHandle : nullptr;
    HGDIOBJ previous =
        OnBothHandles<HGDIOBJ>(nullptr, [handle](HDC dc) { return ::SelectObject(dc, handle); });
    return CGdiObject::ObjectFor(previous);
}

COLORREF CDC::SetBkColor(COLORREF color) {
    return OnBothHandles<COLORREF>(CLR_INVALID,
                                   [color](HDC dc) { return ::SetBkColor(dc, color); });
}

COLORREF CDC::SetTextColor(COLORREF color) {
    return OnBothHandles<COLORREF>(CLR_INVALID,
                                   [color](HDC dc) { return ::SetTextColor(dc, color); });
}

int CDC::SetMapMode(int mode) {
    return OnBothHandles<int>(0, [mode](HDC dc) { return ::SetMapMode(dc, mode); });
}

POINT CDC::SetViewportOrgEx(int x, int y) {
    return OnBothHandles<POINT>({}, [x, y](HDC dc) {
        POINT previous = {};
        ::SetViewportOrgEx(dc, x, y, &previous);
        return previous;
    });
}

POINT CDC::OffsetViewportOrgEx(int dx, int dy) {
    return OnBothHandles<POINT>({}, [dx, dy](HDC dc) {
        POINT previous = {};
        ::OffsetViewportOrgEx(dc, dx, dy, &previous);
        return previous;
    });
}

SIZE CDC::SetViewportExtEx(int cx, int cy) {
    return OnBothHandles<SIZE>({}, [cx, cy](HDC dc) {
        SIZE previous = {};
        ::SetViewportExtEx(dc, cx, cy, &previous);
        return previous;
    });
}

SIZE CDC::ScaleViewportExtEx(int xNumerator, int xDenominator, int yNumerator, int yDenominator) {
    return OnBothHandles<SIZE>({}, [=](HDC dc) {
        SIZE previous = {};
        ::ScaleViewportExtEx(dc, xNumerator, xDenominator, yNumerator, yDenominator, &previous);
        return previous;
    });
}

SIZE CDC::SetWindowExtEx(int cx, int cy) {
    return OnBothHandles<SIZE>({}, [cx, cy](HDC dc) {
        SIZE previous = {};
        ::SetWindowExtEx(dc, cx, cy, &previous);
        return previous;
    });
}

SIZE CDC::ScaleWindowExtEx(int xNumerator, int xDenominator, int yNumerator, int yDenominator) {
    return OnBothHandles<SIZE>({}, [=](HDC dc) {
        SIZE previous = {};
        ::ScaleWindowExtEx(dc, xNumerator, xDenominator, yNumerator, yDenominator, &previous);
        return previous;
    });
}

int CDC::GetClipBox(RECT* rect) const {
    return ::GetClipBox(outputHandle, rect);
}

BOOL CDC::PtVisible(int x, int y) const {
    return ::PtVisible(outputHandle, x, y);
}

BOOL CDC::RectVisible(const RECT* rect) const {
    return ::RectVisible(outputHandle, rect);
}

BOOL CDC::TextOut(int x, int y, const char* text, int length) {
    return ::TextOutA(outputHandle, x, y, text, length);
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text, UINT length,
                     const INT* spacing) {
    return ::ExtTextOutA(outputHandle, x, y, options, rect, text, length, spacing);
}

SIZE CDC::TabbedTextOut(int x, int y, const char* text, int length, int tabCount,
                        const INT* tabPositions, int tabOrigin) {
    return SplitExtent(
        ::TabbedTextOutA(outputHandle, x, y, text, length, tabCount, tabPositions, tabOrigin));
}

int CDC::DrawText(const char* text, int length, RECT* rect, UINT format) {
    return ::DrawTextA(outputHandle, text, length, rect, format);
}

BOOL CDC::GrayString(CGdiObject* brush, GRAYSTRINGPROC output, LPARAM data, int length, int x,
                     int y, int width, int height) {
    auto brushHandle = static_cast<HBRUSH>(brush != nullptr ? brush->objectHandle : nullptr);
    return ::GrayStringA(outputHandle, brushHandle, output, data, length, x, y, width, height);
}

int CDC::Escape(int escape, int inputSize, const char* input, void* output) {
    return ::Escape(outputHandle, escape, inputSize, input, output);
}

CPaintDC::CPaintDC(HWND window) : paintedWindow(window) {
    if (!Bind(::BeginPaint(paintedWindow, &paintInfo))) {
        RaiseResourceException();
    }
}

CPaintDC::~CPaintDC() {
    ::EndPaint(paintedWindow, &paintInfo);
    // A painting DC goes back through EndPaint only, never DeleteDC.
    Unbind();
}

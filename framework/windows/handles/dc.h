// Device-context wrapper objects. Drawing goes to the output handle and
// attributes are read and set on the attribute handle; the two are the same
// except for objects that callers assemble by hand. A bound CDC owns its
// device context.
#pragma once

#include <windows.h>
#include "framework/runtime/object.h"

class CGdiObject;
class CWnd;

class CDC : public CObject {
    LUM_DECLARE_CREATABLE(CDC)
public:
    CDC() = default;
    ~CDC() override;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    static CDC* ObjectFor(HDC handle);
    static CDC* PermanentObjectFor(HDC handle);

    BOOL Bind(HDC handle);
    HDC Unbind();

    // The 32-bit answer of a tabbed text output: width low, height high,
    // both signed.
    static SIZE SplitExtent(LONG extent);

    // Virtual operations, in their fixed order. Attribute setters act on
    // both handles and answer what the last call answered.
    virtual void SetAttributeHandle(HDC handle) { attributeHandle = handle; }
    virtual void SetOutputHandle(HDC handle) { outputHandle = handle; }
    virtual void ReleaseAttributeHandle() { attributeHandle = nullptr; }
    virtual void ReleaseOutputHandle() { outputHandle = nullptr; }
    // -1 when two different handles were saved: restore such a pair with -1.
    virtual int SaveDC();
    virtual BOOL RestoreDC(int savedState);
    virtual CGdiObject* SelectStock(int index);
    virtual CGdiObject* SelectObject(CGdiObject* object);
    virtual COLORREF SetBkColor(COLORREF color);
    virtual COLORREF SetTextColor(COLORREF color);
    virtual int SetMapMode(int mode);
    virtual POINT SetViewportOrgEx(int x, int y);
    virtual POINT OffsetViewportOrgEx(int dx, int dy);
    virtual SIZE SetViewportExtEx(int cx, int cy);
    virtual SIZE ScaleViewportExtEx(int xNumerator, int xDenominator, int yNumerator,
                                    int yDenominator);
    virtual SIZE SetWindowExtEx(int cx, int cy);
    virtual SIZE ScaleWindowExtEx(int xNumerator, int xDenominator, int yNumerator,
                                  int yDenominator);
    // Output handle only from here on.
    virtual int GetClipBox(RECT* rect) const;
    virtual BOOL PtVisible(int x, int y) const;
    virtual BOOL RectVisible(const RECT* rect) const;
    // The system's names of these are macros for the ANSI calls, and so are
    // the names of these members.
    virtual BOOL TextOut(int x, int y, const char* text, int length);
    virtual BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, const char* text,
                            UINT length, const INT* spacing);
    virtual SIZE TabbedTextOut(int x, int y, const char* text, int length, int tabCount,
                               const INT* tabPositions, int tabOrigin);
    virtual int DrawText(const char* text, int length, RECT* rect, UINT format);
    virtual BOOL GrayString(CGdiObject* brush, GRAYSTRINGPROC output, LPARAM data, int length,
                            int x, int y, int width, int height);
    virtual int Escape(int escape, int inputSize, const char* input, void* output);

    HDC outputHandle = nullptr;
    HDC attributeHandle = nullptr;
    BOOL isPrinting = FALSE;

private:
    template <class Result, class Call> Result OnBothHandles(Result none, Call call);
};

// Paints a window between BeginPaint and EndPaint; never deletes the DC.
class CPaintDC : public CDC {
    LUM_DECLARE_CLASS(CPaintDC)
public:
    // Raises the resource exception when the window gives no DC.
    explicit CPaintDC(HWND window);
    // For a window object; defined with the window objects.
    explicit CPaintDC(CWnd* window);
    ~CPaintDC() override;

    HWND paintedWindow = nullptr;
    PAINTSTRUCT paintInfo = {};
};

// Kinds that exist only as class records.
class CClientDC : public CDC {
    LUM_DECLARE_CLASS(CClientDC)
};

class CWindowDC : public CDC {
    LUM_DECLARE_CLASS(CWindowDC)
};

// This thread's table of these wrappers; with `create` clear an absent one stays absent.
class CHandleTable;
CHandleTable* GetDcTable(BOOL create);

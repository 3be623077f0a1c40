// Module, thread and process state records: the framework's only run-time
// state. Reached through the accessors below, each created on first use.
#pragma once

#include <windows.h>
#include "framework/runtime/memory.h"
#include "framework/runtime/no_track.h"
#include "framework/runtime/slot_table.h"

class CWinApp;
class CWinThread;
class CWnd;
class CHandleTable;
struct RuntimeClassInfo;

class AFX_MODULE_THREAD_STATE : public CNoTrackObject {
public:
    AFX_MODULE_THREAD_STATE();
    ~AFX_MODULE_THREAD_STATE() override;

    CWinThread* currentThread = nullptr;
    CWnd* frameList = nullptr;
    DWORD temporaryHoldCount = 0;
    CHandleTable* windowTable = nullptr;
    CHandleTable* menuTable = nullptr;
    CHandleTable* dcTable = nullptr;
    CHandleTable* gdiObjectTable = nullptr;
    CHandleTable* imageListTable = nullptr;
    NewHandler newHandler;
};

class AFX_MODULE_STATE : public CNoTrackObject {
public:
    explicit AFX_MODULE_STATE(BOOL library);
    ~AFX_MODULE_STATE() override;

    CWinApp* currentApp = nullptr;
    HINSTANCE instanceHandle = nullptr;
    HINSTANCE resourceHandle = nullptr;
    const char* currentAppName = nullptr;
    BYTE isLibrary;
    WORD registeredClasses = 0;
    const RuntimeClassInfo* classList = nullptr;
    void* factoryList = nullptr;
    BOOL userControl = TRUE;
    char unregisterList[4096] = {};
    BOOL (*toolTipFilter)(MSG*, CWnd*) = nullptr;
    ThreadLocal<AFX_MODULE_THREAD_STATE> threadData;
};

class _AFX_THREAD_STATE : public CNoTrackObject {
public:
    _AFX_THREAD_STATE();
    ~_AFX_THREAD_STATE() override;

    void* safetyPool = nullptr;
    CWnd* windowBeingCreated = nullptr;
    HHOOK cbtHook = nullptr;
    HHOOK messageFilterHook = nullptr;
    MSG lastSentMessage = {};
    HWND trackingWindow = nullptr;
    HMENU trackingMenu = nullptr;
    HWND lockoutNotifyWindow = nullptr;
    BOOL inMessageFilter = FALSE;
    void* routingFrame = nullptr;
    CWnd* toolTip = nullptr;
    char classNameBuffer[64] = {};
    int lastHitCode = -1;
    int lastStatus = -1;
    void* lastStatusBar = nullptr;
};

class _AFX_WIN_STATE : public CNoTrackObject {
public:
    ~_AFX_WIN_STATE() override;

    HBRUSH dialogBrush = nullptr;
    COLORREF dialogTextColor = 0;
};

struct DisplayData {
    DisplayData();
    ~DisplayData();
    DisplayData(const DisplayData&) = delete;
    DisplayData& operator=(const DisplayData&) = delete;

    void RefreshMetrics();
    // After a system colour change; and, with RefreshMetrics, after a
    // display change.
    void RefreshColours();
    void RefreshScreenMetrics();

    int vScrollWidth = 0;
    int hScrollHeight = 0;
    HCURSOR waitCursor = nullptr;
    HCURSOR arrowCursor = nullptr;
    HCURSOR helpCursor = nullptr;
    HBITMAP radioDotBitmap = nullptr;
    WORD windowsVersion = 0; // major * 256 + minor
    BOOL isVersion4 = FALSE;
    BOOL markedVersion4 = FALSE;
    COLORREF buttonFaceColour = 0;
    COLORREF buttonShadowColour = 0;
    COLORREF buttonHighlightColour = 0;
    COLORREF buttonTextColour = 0;
    COLORREF windowFrameColour = 0;
    HBRUSH buttonFaceBrush = nullptr; // system brushes: never deleted
    HBRUSH windowFrameBrush = nullptr;
    int iconWidth = 0;
    int iconHeight = 0;
    int logPixelsX = 0;
    int logPixelsY = 0;
};

AFX_MODULE_STATE* GetModuleState();
AFX_MODULE_THREAD_STATE* GetModuleThreadState();
_AFX_THREAD_STATE* GetThreadState();
_AFX_WIN_STATE* GetWindowState();
DisplayData& GetDisplayData();

// Deletes the handle tables of a module thread state (the windows layer
// owns their type).
void DeleteHandleTables(AFX_MODULE_THREAD_STATE* state);

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

class ModuleThreadState : public CNoTrackObject {
public:
    ModuleThreadState();
    ~ModuleThreadState() override;

    CWinThread* currentThread = nullptr;
    CWnd* frameList = nullptr;
    DWORD temporaryHoldCount = 0;
    CHandleTable* windowTable = nullptr;
    CHandleTable* menuTable = nullptr;
    CHandleTable* dcTable = nullptr;
    CHandleTable* gdiObjectTable = nullptr;
    CHandleTable* imageListTable = nullptr;
    NewHandler newHandler;
    // Deletes the handle tables: set by the layer that owns their type when
    // it makes one, so the runtime below never calls up into it.
    void (*releaseHandleTables)(ModuleThreadState* state) = nullptr;
};

class ModuleState : public CNoTrackObject {
public:
    explicit ModuleState(BOOL library);
    ~ModuleState() override;

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
    // Set by the application object: the runtime's own reports (exception
    // boxes) reach the user through it without the runtime knowing windows.
    int (*messageBoxHandler)(const char* text, UINT type, UINT helpId) = nullptr;
    ThreadLocal<ModuleThreadState> threadData;
};

// The executable's own module record: made as a library context, switched
// to the executable's once start-up knows it runs as one.
class BaseModuleState : public ModuleState {
public:
    BaseModuleState() : ModuleState(TRUE) {}
};

constexpr int kMapLookupSlots = 512; // a power of two: the index is masked

// One slot of a thread's message-map lookup cache. The windows layer gives
// the two pointers their types (a map entry, a map).
struct MapLookupSlot {
    UINT message;
    const void* entry;
    const void* map;
};
static_assert(sizeof(MapLookupSlot) == 12, "three 32-bit fields");

constexpr int kWindowLookupSlots = 1024; // a power of two: the index is masked

// A permanent window object found by its handle (null: the handle has none).
struct WindowLookupSlot {
    HWND handle;
    CWnd* object;
};

constexpr int kForeignProcSlots = 8; // message boxes seldom nest deeper

// A foreign top-level window under the activation procedure, and the
// procedure it had before.
struct ForeignProcSlot {
    HWND window;
    WNDPROC previous;
};

class ThreadState : public CNoTrackObject {
public:
    ThreadState();
    ~ThreadState() override;

    void* safetyPool = nullptr;
    CWnd* windowBeingCreated = nullptr;
    HHOOK cbtHook = nullptr;
    HHOOK messageFilterHook = nullptr;
    MSG lastSentMessage = {};
    HWND trackingWindow = nullptr;
    HMENU trackingMenu = nullptr;
    HWND lockoutNotifyWindow = nullptr;
    BOOL inMessageFilter = FALSE;
    // Dormant from here to lastStatusBar, but for the class-name buffer:
    // frames, tool tips and status bars do not exist in this framework.
    void* routingFrame = nullptr;
    CWnd* toolTip = nullptr;
    char classNameBuffer[64] = {};
    int lastHitCode = -1;
    int lastStatus = -1;
    void* lastStatusBar = nullptr;
    // Added behind the fields above so that their offsets stay. Message
    // maps are constant, so each thread may keep its own answers: no lock.
    MapLookupSlot mapLookups[kMapLookupSlots] = {};
    // Direct-mapped by handle, emptied whenever this thread's window table
    // changes: a dialog and its controls fit many times over, and a hundred
    // live windows seldom share a slot.
    WindowLookupSlot windowLookups[kWindowLookupSlots] = {};
    // Read instead of the window property on every message; a window that
    // finds no room here is still served by its property.
    ForeignProcSlot foreignProcs[kForeignProcSlots] = {};
};

class WindowState : public CNoTrackObject {
public:
    ~WindowState() override;

    HBRUSH dialogBrush = nullptr;
    COLORREF dialogTextColor = 0;
};

struct DisplayData {
    DisplayData();
    ~DisplayData();
    DisplayData(const DisplayData&) = delete;
    DisplayData& operator=(const DisplayData&) = delete;

    void RefreshMetrics();
    // After a system color change; and, with RefreshMetrics, after a
    // display change.
    void RefreshColors();
    void RefreshScreenMetrics();
    void ReleaseColorBrushes();

    int vScrollWidth = 0;
    int hScrollHeight = 0;
    HCURSOR waitCursor = nullptr;
    HCURSOR arrowCursor = nullptr;
    HCURSOR helpCursor = nullptr;
    HBITMAP radioDotBitmap = nullptr;
    WORD windowsVersion = 0; // major * 256 + minor
    BOOL isVersion4 = FALSE;
    BOOL markedVersion4 = FALSE;
    COLORREF buttonFaceColor = 0;
    COLORREF buttonShadowColor = 0;
    COLORREF buttonHighlightColor = 0;
    COLORREF buttonTextColor = 0;
    COLORREF windowFrameColor = 0;
    // The system's brushes, never deleted; where the system has none
    // (Windows NT 3.51), solid brushes of the colours above that these
    // records own.
    HBRUSH buttonFaceBrush = nullptr;
    HBRUSH windowFrameBrush = nullptr;
    BOOL ownsColorBrushes = FALSE;
    int iconWidth = 0;
    int iconHeight = 0;
    int logPixelsX = 0;
    int logPixelsY = 0;
};

ModuleState* GetModuleState();
ModuleThreadState* GetModuleThreadState();
ThreadState* GetThreadState();
// This thread's record, or null when it has none (yet, or any more).
ThreadState* PeekThreadState();
WindowState* GetWindowState();
DisplayData& GetDisplayData();

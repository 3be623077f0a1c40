// Message crackers: one map entry per message, its form fixed by the message.
// This table is the one place that pairs a message with its form; each line
// says what the handler `fn` takes and gives, in the message's own types, as
// the platform's crackers unpack them: no handler casts a message word. A
// message without a line here is written LUM_ON_MESSAGE(msg, form, fn).
// Included by message_map.h.
#pragma once

#include <commctrl.h>

// Forms whose words the handler receives typed: the base form's code and
// unpacking, then one type for each word it hands on.
namespace LumCracked {
using Create = mapform::Cracked<LumForm::LresultRecord, const CREATESTRUCTA*>;
using NcCalcSize = mapform::Cracked<LumForm::LresultWParamRecord, BOOL, NCCALCSIZE_PARAMS*>;
using SysCommand = mapform::Cracked<LumForm::VoidCommandLParam, UINT, POINT>;
using ParentNotify = mapform::Cracked<LumForm::VoidCommandLParam, UINT, HWND>;
using EnterIdle = mapform::Cracked<LumForm::VoidWParamWnd, UINT, CWnd*>;
using InitDialog = mapform::Cracked<LumForm::LresultWParamLParam, HWND, LPARAM>;
using SetFont = mapform::Cracked<LumForm::LresultWParamLParam, HFONT, BOOL>;
using Help = mapform::Cracked<LumForm::LresultRecord, HELPINFO*>;
using DrawItem = mapform::Cracked<LumForm::VoidTrueWParamRecord, UINT, DRAWITEMSTRUCT*>;
using MeasureItem = mapform::Cracked<LumForm::VoidTrueWParamRecord, UINT, MEASUREITEMSTRUCT*>;
using DeleteItem = mapform::Cracked<LumForm::VoidTrueWParamRecord, UINT, DELETEITEMSTRUCT*>;
using CompareItem = mapform::Cracked<LumForm::LresultWParamRecord, UINT, const COMPAREITEMSTRUCT*>;
using ControlColor = mapform::Cracked<LumForm::LresultWParamLParam, HDC, HWND>;
using SettingChange = mapform::Cracked<LumForm::VoidFlagsText, UINT, const char*>;
using DevModeChange = mapform::Cracked<LumForm::VoidLParamText, const char*>;
// The drag-list message (registered): the list's notice.
using DragList = mapform::Cracked<LumForm::LresultWParamLParam, UINT, DRAGLISTINFO*>;
} // namespace LumCracked

// clang-format off
#define LUM_ON_CRACKED(msg, form, fn) LUM_ON_MESSAGE(msg, LumForm::form, fn)
#define LUM_ON_TYPED(msg, form, fn)   LUM_ON_MESSAGE(msg, LumCracked::form, fn)

// Creation and end of a window.
#define LUM_ON_WM_NCCREATE(fn)       LUM_ON_TYPED(WM_NCCREATE, Create, fn)                     // BOOL fn(const CREATESTRUCTA*)
#define LUM_ON_WM_CREATE(fn)         LUM_ON_TYPED(WM_CREATE, Create, fn)                       // int fn(const CREATESTRUCTA*); -1 refuses
#define LUM_ON_WM_DESTROY(fn)        LUM_ON_CRACKED(WM_DESTROY, Void, fn)                      // void fn()
#define LUM_ON_WM_NCDESTROY(fn)      LUM_ON_CRACKED(WM_NCDESTROY, Void, fn)                    // void fn()
#define LUM_ON_WM_NCCALCSIZE(fn)     LUM_ON_TYPED(WM_NCCALCSIZE, NcCalcSize, fn)               // LRESULT fn(BOOL validRects, NCCALCSIZE_PARAMS*)

// Painting and the cursor.
#define LUM_ON_WM_PAINT(fn)          LUM_ON_CRACKED(WM_PAINT, Void, fn)                        // void fn()
#define LUM_ON_WM_QUERYDRAGICON(fn)  LUM_ON_CRACKED(WM_QUERYDRAGICON, Lresult, fn)             // HCURSOR fn()
#define LUM_ON_WM_SETCURSOR(fn)      LUM_ON_CRACKED(WM_SETCURSOR, LresultWndHitTest, fn)       // BOOL fn(CWnd* under, int hitTest, UINT mouseMessage)
#define LUM_ON_WM_MOUSEACTIVATE(fn)  LUM_ON_CRACKED(WM_MOUSEACTIVATE, LresultTopWndHitTest, fn) // int fn(CWnd* top, int hitTest, UINT mouseMessage)

// Commands and timers.
#define LUM_ON_WM_SYSCOMMAND(fn)     LUM_ON_TYPED(WM_SYSCOMMAND, SysCommand, fn)               // void fn(UINT command, POINT cursor)
#define LUM_ON_WM_PARENTNOTIFY(fn)   LUM_ON_TYPED(WM_PARENTNOTIFY, ParentNotify, fn)           // void fn(UINT event, HWND child); child only for creation and end
#define LUM_ON_WM_TIMER(fn)          LUM_ON_CRACKED(WM_TIMER, VoidWParam, fn)                  // void fn(WPARAM timerId)
#define LUM_ON_WM_ENTERIDLE(fn)      LUM_ON_TYPED(WM_ENTERIDLE, EnterIdle, fn)                 // void fn(UINT source, CWnd* dialogOrOwner)

// Dialogs.
#define LUM_ON_WM_INITDIALOG(fn)     LUM_ON_TYPED(WM_INITDIALOG, InitDialog, fn)               // BOOL fn(HWND focusControl, LPARAM initParam)
#define LUM_ON_WM_SETFONT(fn)        LUM_ON_TYPED(WM_SETFONT, SetFont, fn)                     // LRESULT fn(HFONT font, BOOL redraw)
#define LUM_ON_WM_HELP(fn)           LUM_ON_TYPED(WM_HELP, Help, fn)                           // BOOL fn(HELPINFO*)

// Controls that ask their parent.
#define LUM_ON_WM_DRAWITEM(fn)       LUM_ON_TYPED(WM_DRAWITEM, DrawItem, fn)                   // void fn(UINT controlId, DRAWITEMSTRUCT*)
#define LUM_ON_WM_MEASUREITEM(fn)    LUM_ON_TYPED(WM_MEASUREITEM, MeasureItem, fn)             // void fn(UINT controlId, MEASUREITEMSTRUCT*)
#define LUM_ON_WM_DELETEITEM(fn)     LUM_ON_TYPED(WM_DELETEITEM, DeleteItem, fn)               // void fn(UINT controlId, DELETEITEMSTRUCT*)
#define LUM_ON_WM_COMPAREITEM(fn)    LUM_ON_TYPED(WM_COMPAREITEM, CompareItem, fn)             // int fn(UINT controlId, const COMPAREITEMSTRUCT*)
#define LUM_ON_WM_HSCROLL(fn)        LUM_ON_CRACKED(WM_HSCROLL, VoidWParamSignedWordsWnd, fn)  // void fn(int request, int position, CWnd* bar)
#define LUM_ON_WM_VSCROLL(fn)        LUM_ON_CRACKED(WM_VSCROLL, VoidWParamSignedWordsWnd, fn)  // void fn(int request, int position, CWnd* bar)
#define LUM_ON_WM_CHARTOITEM(fn)     LUM_ON_CRACKED(WM_CHARTOITEM, LresultLowWndHigh, fn)      // int fn(UINT key, CWnd* listBox, UINT caret)
#define LUM_ON_WM_VKEYTOITEM(fn)     LUM_ON_CRACKED(WM_VKEYTOITEM, LresultLowWndHigh, fn)      // int fn(UINT key, CWnd* listBox, UINT caret)
#define LUM_ON_WM_LUM_CTLCOLOR(fn)   LUM_ON_CRACKED(WM_LUM_CTLCOLOR, LresultColorDcWndType, fn) // HBRUSH fn(CDC* dc, CWnd* control, UINT type)
// The seven WM_CTLCOLOR* messages, one handler: LRESULT fn(HDC dc, HWND control);
// the current message tells which.
#define LUM_ON_WM_CTLCOLOR_RANGE(fn)                                                              \
    LUM_ON_TYPED(WM_CTLCOLORMSGBOX, ControlColor, fn)                                            \
    LUM_ON_TYPED(WM_CTLCOLOREDIT, ControlColor, fn)                                              \
    LUM_ON_TYPED(WM_CTLCOLORLISTBOX, ControlColor, fn)                                           \
    LUM_ON_TYPED(WM_CTLCOLORBTN, ControlColor, fn)                                               \
    LUM_ON_TYPED(WM_CTLCOLORDLG, ControlColor, fn)                                               \
    LUM_ON_TYPED(WM_CTLCOLORSCROLLBAR, ControlColor, fn)                                         \
    LUM_ON_TYPED(WM_CTLCOLORSTATIC, ControlColor, fn)
static_assert(WM_CTLCOLORSTATIC - WM_CTLCOLORMSGBOX == 6, "the range is seven messages");

// Changes to the system.
#define LUM_ON_WM_SYSCOLORCHANGE(fn) LUM_ON_CRACKED(WM_SYSCOLORCHANGE, Void, fn)               // void fn()
#define LUM_ON_WM_SETTINGCHANGE(fn)  LUM_ON_TYPED(WM_SETTINGCHANGE, SettingChange, fn)         // void fn(UINT flags, const char* section)
#define LUM_ON_WM_DEVMODECHANGE(fn)  LUM_ON_TYPED(WM_DEVMODECHANGE, DevModeChange, fn)         // void fn(const char* deviceName)
#define LUM_ON_WM_DISPLAYCHANGE(fn)  LUM_ON_CRACKED(WM_DISPLAYCHANGE, LresultWParamLParam, fn) // LRESULT fn(WPARAM bitsPerPixel, LPARAM size)
// clang-format on

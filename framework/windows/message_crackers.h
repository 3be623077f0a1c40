// Message crackers: one map entry per message, its form fixed by the message.
// This table is the one place that pairs a message with its form; each line
// says what the handler `fn` takes and gives. A message without a line here
// is written LUM_ON_MESSAGE(msg, form, fn). Included by message_map.h.
#pragma once

// clang-format off
#define LUM_ON_CRACKED(msg, form, fn) LUM_ON_MESSAGE(msg, LumForm::form, fn)

// Creation and end of a window.
#define LUM_ON_WM_NCCREATE(fn)       LUM_ON_CRACKED(WM_NCCREATE, LresultRecord, fn)            // BOOL fn(LPARAM createStruct)
#define LUM_ON_WM_CREATE(fn)         LUM_ON_CRACKED(WM_CREATE, LresultRecord, fn)              // int fn(LPARAM createStruct); -1 refuses
#define LUM_ON_WM_DESTROY(fn)        LUM_ON_CRACKED(WM_DESTROY, Void, fn)                      // void fn()
#define LUM_ON_WM_NCDESTROY(fn)      LUM_ON_CRACKED(WM_NCDESTROY, Void, fn)                    // void fn()
#define LUM_ON_WM_NCCALCSIZE(fn)     LUM_ON_CRACKED(WM_NCCALCSIZE, LresultWParamRecord, fn)    // LRESULT fn(WPARAM validRects, LPARAM params)

// Painting and the cursor.
#define LUM_ON_WM_PAINT(fn)          LUM_ON_CRACKED(WM_PAINT, Void, fn)                        // void fn()
#define LUM_ON_WM_QUERYDRAGICON(fn)  LUM_ON_CRACKED(WM_QUERYDRAGICON, Lresult, fn)             // HCURSOR fn()
#define LUM_ON_WM_SETCURSOR(fn)      LUM_ON_CRACKED(WM_SETCURSOR, LresultWndHitTest, fn)       // BOOL fn(CWnd* under, int hitTest, UINT mouseMessage)
#define LUM_ON_WM_MOUSEACTIVATE(fn)  LUM_ON_CRACKED(WM_MOUSEACTIVATE, LresultTopWndHitTest, fn) // int fn(CWnd* top, int hitTest, UINT mouseMessage)

// Commands and timers.
#define LUM_ON_WM_SYSCOMMAND(fn)     LUM_ON_CRACKED(WM_SYSCOMMAND, VoidCommandLParam, fn)      // void fn(WPARAM command, LPARAM cursor)
#define LUM_ON_WM_PARENTNOTIFY(fn)   LUM_ON_CRACKED(WM_PARENTNOTIFY, VoidCommandLParam, fn)    // void fn(WPARAM event, LPARAM childOrCursor)
#define LUM_ON_WM_TIMER(fn)          LUM_ON_CRACKED(WM_TIMER, VoidWParam, fn)                  // void fn(WPARAM timerId)
#define LUM_ON_WM_ENTERIDLE(fn)      LUM_ON_CRACKED(WM_ENTERIDLE, VoidWParamWnd, fn)           // void fn(WPARAM source, CWnd* dialogOrOwner)

// Dialogs.
#define LUM_ON_WM_INITDIALOG(fn)     LUM_ON_CRACKED(WM_INITDIALOG, LresultWParamLParam, fn)    // BOOL fn(WPARAM focusControl, LPARAM initParam)
#define LUM_ON_WM_SETFONT(fn)        LUM_ON_CRACKED(WM_SETFONT, LresultWParamLParam, fn)       // LRESULT fn(WPARAM font, LPARAM redraw)
#define LUM_ON_WM_HELP(fn)           LUM_ON_CRACKED(WM_HELP, LresultRecord, fn)                // BOOL fn(LPARAM helpInfo)

// Controls that ask their parent.
#define LUM_ON_WM_DRAWITEM(fn)       LUM_ON_CRACKED(WM_DRAWITEM, VoidTrueWParamRecord, fn)     // void fn(WPARAM controlId, LPARAM drawItemStruct)
#define LUM_ON_WM_MEASUREITEM(fn)    LUM_ON_CRACKED(WM_MEASUREITEM, VoidTrueWParamRecord, fn)  // void fn(WPARAM controlId, LPARAM measureItemStruct)
#define LUM_ON_WM_DELETEITEM(fn)     LUM_ON_CRACKED(WM_DELETEITEM, VoidTrueWParamRecord, fn)   // void fn(WPARAM controlId, LPARAM deleteItemStruct)
#define LUM_ON_WM_COMPAREITEM(fn)    LUM_ON_CRACKED(WM_COMPAREITEM, LresultWParamRecord, fn)   // int fn(WPARAM controlId, LPARAM compareItemStruct)
#define LUM_ON_WM_HSCROLL(fn)        LUM_ON_CRACKED(WM_HSCROLL, VoidWParamSignedWordsWnd, fn)  // void fn(int request, int position, CWnd* bar)
#define LUM_ON_WM_VSCROLL(fn)        LUM_ON_CRACKED(WM_VSCROLL, VoidWParamSignedWordsWnd, fn)  // void fn(int request, int position, CWnd* bar)
#define LUM_ON_WM_CHARTOITEM(fn)     LUM_ON_CRACKED(WM_CHARTOITEM, LresultLowWndHigh, fn)      // int fn(UINT key, CWnd* listBox, UINT caret)
#define LUM_ON_WM_VKEYTOITEM(fn)     LUM_ON_CRACKED(WM_VKEYTOITEM, LresultLowWndHigh, fn)      // int fn(UINT key, CWnd* listBox, UINT caret)
#define LUM_ON_WM_LUM_CTLCOLOR(fn)   LUM_ON_CRACKED(WM_LUM_CTLCOLOR, LresultColorDcWndType, fn) // HBRUSH fn(CDC* dc, CWnd* control, UINT type)
// The seven WM_CTLCOLOR* messages, one handler: LRESULT fn(WPARAM dc, LPARAM control);
// the current message tells which.
#define LUM_ON_WM_CTLCOLOR_RANGE(fn)                                                              \
    LUM_ON_CRACKED(WM_CTLCOLORMSGBOX, LresultWParamLParam, fn)                                   \
    LUM_ON_CRACKED(WM_CTLCOLOREDIT, LresultWParamLParam, fn)                                     \
    LUM_ON_CRACKED(WM_CTLCOLORLISTBOX, LresultWParamLParam, fn)                                  \
    LUM_ON_CRACKED(WM_CTLCOLORBTN, LresultWParamLParam, fn)                                      \
    LUM_ON_CRACKED(WM_CTLCOLORDLG, LresultWParamLParam, fn)                                      \
    LUM_ON_CRACKED(WM_CTLCOLORSCROLLBAR, LresultWParamLParam, fn)                                \
    LUM_ON_CRACKED(WM_CTLCOLORSTATIC, LresultWParamLParam, fn)
static_assert(WM_CTLCOLORSTATIC - WM_CTLCOLORMSGBOX == 6, "the range is seven messages");

// Changes to the system.
#define LUM_ON_WM_SYSCOLORCHANGE(fn) LUM_ON_CRACKED(WM_SYSCOLORCHANGE, Void, fn)               // void fn()
#define LUM_ON_WM_SETTINGCHANGE(fn)  LUM_ON_CRACKED(WM_SETTINGCHANGE, VoidFlagsText, fn)       // void fn(WPARAM flags, LPARAM section)
#define LUM_ON_WM_DEVMODECHANGE(fn)  LUM_ON_CRACKED(WM_DEVMODECHANGE, VoidLParamText, fn)      // void fn(LPARAM deviceName)
#define LUM_ON_WM_DISPLAYCHANGE(fn)  LUM_ON_CRACKED(WM_DISPLAYCHANGE, LresultWParamLParam, fn) // LRESULT fn(WPARAM bitsPerPixel, LPARAM size)
// clang-format on

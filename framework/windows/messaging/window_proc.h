// The common window procedure of framework windows, the delivery step every
// message takes to its object, and the creation hook that binds a new window
// to its object before its first message.
#pragma once

#include <windows.h>
#include "framework/runtime/framework_ids.h"

class CWnd;

LRESULT CALLBACK CommonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
WNDPROC GetCommonWindowProc();
LRESULT DeliverToObject(CWnd* object, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void ArmCreationHook(CWnd* object);
BOOL DisarmCreationHook();
// Makes one window bound to `object` from its first message: the hook is
// armed just for this call of `create` and disarmed after it. Every
// framework creation goes through here, so nothing else a handler creates
// in between can be taken for the object's window.
HWND CreateBoundWindow(CWnd* object, HWND (*create)(const void* request), const void* request);
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ActivationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Default processing of the message being handled.
LRESULT DefaultForCurrentMessage();
const MSG* CurrentMessage();

BOOL ChangeStyleBits(HWND window, int index, DWORD remove, DWORD add, UINT positioning);

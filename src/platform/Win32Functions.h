#pragma once

// The Win32 functions the editor uses, for platforms without Win32. Every function runs on the
// user-interface thread [ui], except PostMessageA [any]. A null or stale window handle is
// harmless everywhere: the call does nothing and answers 0 or FALSE.

#include "platform/Win32Types.h"

// Dialogs built from the templates of the embedded resource script.
HWND CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                        LPARAM initParam);
INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc,
                        LPARAM initParam);
BOOL EndDialog(HWND dialog, INT_PTR result);
HWND GetDlgItem(HWND dialog, int controlId);
int GetDlgCtrlID(HWND control);

// Messages. SendMessageA calls the window procedure at once; PostMessageA queues the message for
// the next pump and never blocks or allocates [any]; it answers FALSE when the queue is full.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Window data and state.
LONG_PTR GetWindowLongPtrA(HWND window, int index);
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
BOOL ShowWindow(HWND window, int command);
BOOL UpdateWindow(HWND window);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL IsWindowVisible(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);
HWND GetParent(HWND window);
BOOL GetClientRect(HWND window, LPRECT rect);
int GetWindowTextA(HWND window, LPSTR buffer, int size);
HWND SetFocus(HWND window);
HWND GetFocus();

// Painting: valid only while handling WM_PAINT; the device context draws into the window.
HDC BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// Common controls. The trackbar and status-window classes are always available;
// InitCommonControlsEx only answers TRUE.
HWND CreateStatusWindowA(LONG style, LPCSTR text, HWND parent, UINT id);
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);

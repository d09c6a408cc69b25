// wintool's commands, one function each; each prints its answer as JSON lines and
// returns the exit status (0 done, 1 not found or timed out, 2 bad usage).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "WindowQuery.h"

namespace wintool {

int Usage();

// Windows (WindowCommands.cpp).
int List(bool all, bool children);
int Wait(HWND h);
int Children(HWND h);
int Click(HWND top, const std::wstring& text);
int Close(HWND h);
int Show(HWND h, const std::wstring& how);
int Watch(const Selector& sel, double timeout, int interval);
int Timeline(const std::vector<std::wstring>& titles, double timeout);

// Processes (ProcessCommands.cpp).
int Procs();
int WaitProcs(const std::vector<std::wstring>& names, double timeout);
int Kill(const std::wstring& name);

// A window's text control: the card view, a rich-text view (RichViewCommands.cpp).
int Type(HWND top, const std::wstring& cls, const std::wstring& text);
int Length(HWND top, const std::wstring& cls);
int CopyView(HWND top, const std::wstring& cls, long from = 0, long to = -1);
// Where characters 0 to `count` stand in the view, pixels: a picture's width is the step
// to the next one in its row.
int Positions(HWND top, const std::wstring& cls, long count);
// Acts as a user in the view for `seconds`: clicks, deletes, types, pastes and drags.
int Meddle(HWND top, const std::wstring& cls, double seconds);
// Pages down as a user does until line `line` is the first visible one, then tells the
// view's length and first visible line every 100 ms until the length stops growing.
int PageDown(HWND top, const std::wstring& cls, long line, double seconds);

// What a view shows on the screen (PaintCommands.cpp): when its first picture is drawn
// (waits for the window first), and how long a jump to its end takes to be painted.
int FirstPaint(const Selector& sel, const std::wstring& cls, double timeout);
int JumpEnd(HWND top, const std::wstring& cls);

// A drag out of the program (DragCommands.cpp): where character `cp` of the view stands
// on the screen, and a window of another program titled `title` at x, y that takes one
// drop and reports the picture that arrives.
int CardPoint(HWND top, const std::wstring& cls, long cp);
int DropTarget(const std::wstring& title, int x, int y, double timeout);

// ClipboardCommand.cpp: the clipboard now; and every change to it, each read whole as a
// clipboard history does, until a window titled `until` shows (and a moment more).
int Clipboard();
int Listen(const std::wstring& until, double timeout);
int Dir(const std::wstring& pattern);  // DirCommand.cpp

}  // namespace wintool

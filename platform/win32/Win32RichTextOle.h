// What a rich-text view needs of OLE for its pictures: the callback the control asks
// for storage and for the data of a copy, and dragging a picture out. Internal to
// platform/win32.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>

#include "platform/win32/Win32Handles.h"

namespace td::win32 {

ComPtr<IRichEditOle> RichEditOle(HWND view);
bool IsReadOnly(HWND view);
// Characters in the view; an embedded picture counts as one.
LONG TextLength(HWND view);
// A new storage in memory, for one embedded object.
HRESULT NewMemoryStorage(IStorage** out);

// The view's IRichEditOleCallback. A copy of exactly one picture gives CF_DIB and
// CF_ENHMETAFILE; a copy of any other range gives rich text with one JPEG picture per
// picture. Both are made only when a program asks for them: the control's own rich
// text writer is far too slow for many pictures under Wine.
ComPtr<IRichEditOleCallback> MakeViewCallback(HWND view);

// Pressing the left button on a picture selects it; dragging it then hands it to the
// program it is dropped on (Wine's RichEdit starts no drag of its own). A copy (Ctrl+C,
// Ctrl+Insert, WM_COPY) puts what the view's callback offers on the clipboard, waiting
// a moment for a clipboard that another program holds.
void TakeOverCopyAndDrag(HWND view);

}  // namespace td::win32

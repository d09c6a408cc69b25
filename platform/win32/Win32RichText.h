// The view's part of OLE that tests reach. Internal to platform/win32.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>

#include "platform/win32/Win32Handles.h"

namespace td::win32 {

// The view's IRichEditOleCallback. A copy of exactly one picture gives CF_DIB and
// CF_ENHMETAFILE; a copy of any other range gives rich text with one JPEG picture per
// picture, and plain text.
ComPtr<IRichEditOleCallback> MakeViewCallback(HWND view);

}  // namespace td::win32

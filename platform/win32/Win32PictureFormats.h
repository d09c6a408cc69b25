// The forms a picture takes on its way to other programs: a packed 24-bit DIB (what
// the clipboard and the view keep), an enhanced metafile and a JPEG (made from the DIB
// only when a program asks). Internal to platform/win32.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/Win32Handles.h"

namespace td::win32 {

// A packed bottom-up 24-bit DIB of top-down rows of 32-bit BGRX pixels; empty when
// there is no memory for it.
GlobalMemory MakePackedDib(const void* pixels, int width, int height);

// The width and height of a packed DIB, pixels; zeros when it is none.
SIZE DibSize(HGLOBAL packedDib);

// An enhanced metafile that draws the packed DIB at its pixel size on the screen.
EnhMetafile MakeMetafile(HGLOBAL packedDib);

// The packed DIB as a JPEG file (quality 0.9); empty when it cannot be made.
std::string EncodeJpeg(HGLOBAL packedDib);

// The screen's logical resolution, dots per inch.
SIZE ScreenDpi();

}  // namespace td::win32

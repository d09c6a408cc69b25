// A card as it leaves the program, on the clipboard, in a copy or a drag: its picture at
// full size, made only when a program asks for it, from its file read again. A card
// whose file changed or went away since it was found gives nothing. Internal to
// platform/win32.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <memory>
#include <vector>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Picture.h"

namespace td::win32 {

// A picture's size at 100 %, in the 0.01 mm of an extent: 96 pixels to the inch.
SIZEL PictureExtent(const PictureFile& picture);

// The card's picture as other programs take it, at full size: CF_DIB, CF_ENHMETAFILE and,
// for JPEG files, "JFIF".
ComPtr<IDataObject> MakeCardData(std::shared_ptr<const PictureFile> picture);

// A copy of one card: CF_DIB and CF_ENHMETAFILE at full size, from its data. Empty when
// memory is short.
ComPtr<IDataObject> MakePictureCopy(ComPtr<IDataObject> card);

// One card of a range copied out of the view: its data and its extent.
struct CopiedCard {
  ComPtr<IDataObject> picture;
  SIZEL extent{};
};

// A copy of a range of cards: rich text with one JPEG picture per card sized as the view
// shows it at 100 %, and plain text (cards have no letters). Both are made only when a
// program asks for them. Empty when memory is short.
ComPtr<IDataObject> MakeRangeCopy(std::vector<CopiedCard> cards);

// The format under which a card's JPEG file bytes come, as other programs name it.
CLIPFORMAT JpegFileFormat();

}  // namespace td::win32

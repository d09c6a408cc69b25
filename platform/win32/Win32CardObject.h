// A card and every form it takes out of the program. As an embedded object of a
// rich-text view it holds the picture's file bytes and its size, and decodes only to
// draw what is on screen (through the shared picture cache) or to hand the picture to
// another program, at full size: its data is the one way a card leaves the program, on
// the clipboard, in a copy or a drag. Internal to platform/win32.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <memory>
#include <vector>

#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Picture.h"

namespace td::win32 {

// A picture's size at 100 %, in the 0.01 mm of an object's extent: 96 pixels to the inch.
SIZEL PictureExtent(const EncodedPicture& picture);

// The object for a card in `view`, drawn at the view's resolution (a card keeps its size
// at 100 %: 480 pixels there are 720 at 144 DPI). It offers IOleObject, IViewObject2 (how
// Windows' rich-text view draws it) and IDataObject: CF_BITMAP as the view draws it (how
// Wine's view draws it), and CF_DIB, CF_ENHMETAFILE and, for JPEG files, "JFIF" at full
// size. A picture that fails to decode draws as a plain dark box of its size.
ComPtr<IOleObject> MakeCardObject(std::shared_ptr<const EncodedPicture> picture, HWND view);

// The card's picture as other programs take it, at full size: the data of the card's
// object, whatever the view.
ComPtr<IDataObject> MakeCardData(std::shared_ptr<const EncodedPicture> picture);

// One character of a range copied out of a view: a card's data with its extent, or a
// letter.
struct CopiedPiece {
  ComPtr<IDataObject> picture;
  SIZEL extent{};
  wchar_t letter = 0;
};

// A copy of one card: CF_DIB and CF_ENHMETAFILE at full size, from its data. Empty when
// memory is short.
ComPtr<IDataObject> MakePictureCopy(ComPtr<IDataObject> card);

// A copy of a range: rich text, each picture one JPEG sized as the view shows it at
// 100 %, and plain text. Both are made only when a program asks for them: the control's
// own rich-text writer is far too slow for many pictures under Wine. Empty when memory
// is short.
ComPtr<IDataObject> MakeRangeCopy(std::vector<CopiedPiece> pieces);

// The format under which a card's JPEG file bytes come, as other programs name it.
CLIPFORMAT JpegFileFormat();

}  // namespace td::win32

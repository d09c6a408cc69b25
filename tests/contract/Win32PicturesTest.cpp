// The Windows machine's own picture code, where the platform interface does not reach:
// the DIBs it reads, which may come from another program, a card's data as other
// programs take it, cards whose files are damaged or changed, and the cache of decoded
// pictures. Built into the contract suite under Wine only.
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ContractTest.h"
#include "Win32Helpers.h"
#include "platform/win32/Win32CardData.h"
#include "platform/win32/Win32ComObjects.h"
#include "platform/win32/Win32PictureCache.h"
#include "platform/win32/Win32PictureFormats.h"

namespace td::contract {
namespace {

using win32::GlobalMemory;

// A sound packed DIB of 4 x 3 pixels, 24 bits.
std::string SoundDib() {
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 4, 3, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::string dib(reinterpret_cast<const char*>(&header), sizeof header);
  dib.append(12 * 3, '\x40');  // three rows of 12 bytes
  return dib;
}

BITMAPINFOHEADER& HeaderOf(std::string& dib) {
  return *reinterpret_cast<BITMAPINFOHEADER*>(dib.data());
}

GlobalMemory InGlobalMemory(const std::string& bytes) {
  GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  const win32::LockedGlobal lock(memory.Get());
  std::memcpy(lock.Bytes(), bytes.data(), bytes.size());
  return memory;
}

TEST_F(Contract, Win32DibsAreCheckedAgainstTheBlockThatHoldsThem) {
  const std::string sound = SoundDib();
  const auto layout = win32::ReadDib(sound.data(), sound.size());
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->width, 4);
  EXPECT_EQ(layout->height, 3);
  EXPECT_TRUE(static_cast<bool>(win32::MakeMetafile(InGlobalMemory(sound).Get())));

  const std::vector<std::pair<const char*, std::function<void(std::string&)>>> faults = {
      {"more rows than the block holds", [](std::string& d) { HeaderOf(d).biHeight = 30000; }},
      {"rows running up, too many", [](std::string& d) { HeaderOf(d).biHeight = -400; }},
      {"a width of nothing", [](std::string& d) { HeaderOf(d).biWidth = 0; }},
      {"a negative width", [](std::string& d) { HeaderOf(d).biWidth = -4; }},
      {"an unknown bit count", [](std::string& d) { HeaderOf(d).biBitCount = 7; }},
      {"compressed rows", [](std::string& d) { HeaderOf(d).biCompression = BI_RLE8; }},
      {"a colour table past the block", [](std::string& d) { HeaderOf(d).biClrUsed = 200; }},
      {"a colour table too large", [](std::string& d) { HeaderOf(d).biClrUsed = 70000; }},
      {"a header larger than the block", [](std::string& d) { HeaderOf(d).biSize = 4000; }},
      {"a header smaller than any", [](std::string& d) { HeaderOf(d).biSize = 12; }},
      {"a block cut short", [](std::string& d) { d.resize(d.size() - 1); }},
      {"a block shorter than a header", [](std::string& d) { d.resize(20); }},
  };
  for (const auto& [what, spoil] : faults) {
    std::string dib = SoundDib();
    spoil(dib);
    EXPECT_FALSE(win32::ReadDib(dib.data(), dib.size())) << what;
    const GlobalMemory block = InGlobalMemory(dib);
    EXPECT_FALSE(static_cast<bool>(win32::MakeMetafile(block.Get()))) << what;
    EXPECT_TRUE(win32::EncodeJpeg(block.Get()).empty()) << what;
  }
}

// An object handed to COM answers for IUnknown, refuses what it is not, and counts the
// references it is given.
void ExpectComIdentity(IUnknown& object, const char* what) {
  IUnknown* same = nullptr;
  EXPECT_EQ(object.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&same)), S_OK) << what;
  IUnknown* stream = nullptr;
  EXPECT_EQ(object.QueryInterface(IID_IStream, reinterpret_cast<void**>(&stream)), E_NOINTERFACE)
      << what;
  EXPECT_EQ(stream, nullptr) << what;
  const ULONG more = object.AddRef();
  EXPECT_EQ(object.Release(), more - 1) << what;
  if (same) same->Release();
}

// An object that counts the references it is given, and lives on the stack.
class Counted : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  ULONG references = 1;  // the test's own
};

TEST_F(Contract, Win32AComPointerHoldsAReferenceOfItsOwn) {
  Counted object;
  {
    const win32::ComPtr<IUnknown> taken(&object);
    EXPECT_EQ(object.references, 2u) << "a raw pointer is taken with a reference of its own";
    win32::ComPtr<IUnknown> assigned;
    assigned = &object;
    const win32::ComPtr<IUnknown> copy = taken;
    EXPECT_EQ(object.references, 4u) << "an assignment and a copy take one each";
    IUnknown* handed = nullptr;
    copy.CopyTo(&handed);
    EXPECT_EQ(object.references, 5u) << "one handed out";
    handed->Release();
    object.AddRef();
    win32::ComPtr<IUnknown> attached;
    attached.Attach(&object);
    EXPECT_EQ(object.references, 5u) << "a reference handed over is taken over";
    assigned = std::move(attached);
    EXPECT_EQ(object.references, 4u) << "the reference assigned over is released";
  }
  EXPECT_EQ(object.references, 1u) << "each pointer releases its own";
}

constexpr COLORREF kRed = RGB(220, 20, 20);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A white canvas of a memory device context.
class Canvas {
 public:
  Canvas(int width, int height)
      : screen_(GetDC(nullptr)),
        dc_(CreateCompatibleDC(screen_.Get())),
        bitmap_(CreateCompatibleBitmap(screen_.Get(), width, height)),
        old_(SelectObject(dc_, bitmap_.Get())) {
    const RECT all{0, 0, width, height};
    FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC Dc() const { return dc_; }

 private:
  win32::ScreenDc screen_;
  HDC dc_;
  win32::Bitmap bitmap_;
  HGDIOBJ old_;
};

class Pictures : public Contract {
 protected:
  // A red card of that size in a file of its own, as the program finds it.
  std::shared_ptr<const win32::PictureFile> RedCard(const std::string& name, int width,
                                                    int height) {
    files.WriteBytes(dir + name, SolidJpeg(width, height, kRed));
    return win32::ReadPictureFile(dir + name);
  }
};

// Other programs take a card as they ask for it: a DIB, an enhanced metafile, the JPEG
// file; each format listed once, nothing set or advised.
TEST_F(Pictures, Win32ACardGivesOtherProgramsTheFormatsTheyAskFor) {
  const auto data = win32::MakeCardData(RedCard("card.jpg", 16, 8));

  FORMATETC metafile{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
  STGMEDIUM medium{};
  ASSERT_EQ(data->GetData(&metafile, &medium), S_OK);
  ENHMETAHEADER header{};
  GetEnhMetaFileHeader(medium.hEnhMetaFile, sizeof header, &header);
  EXPECT_EQ(header.rclFrame.right - header.rclFrame.left, MulDiv(16, 2540, 96))
      << "framed at its size at 100 %";
  const Canvas canvas(30, 20);
  const RECT place{2, 2, 18, 10};
  PlayEnhMetaFile(canvas.Dc(), medium.hEnhMetaFile, &place);
  EXPECT_TRUE(Near(GetPixel(canvas.Dc(), 10, 6), kRed)) << "and draws the picture";
  ReleaseStgMedium(&medium);
  FORMATETC jpeg{win32::JpegFileFormat(), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  ASSERT_EQ(data->GetData(&jpeg, &medium), S_OK);
  EXPECT_EQ(GlobalSize(medium.hGlobal), files.FileSize(dir + "card.jpg")) << "the file itself";
  ReleaseStgMedium(&medium);

  FORMATETC wrongMedium{CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_FILE};
  FORMATETC unknown{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  FORMATETC icon{CF_DIB, nullptr, DVASPECT_ICON, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->QueryGetData(&wrongMedium), DV_E_TYMED);
  EXPECT_EQ(data->QueryGetData(&unknown), DV_E_FORMATETC);
  EXPECT_EQ(data->QueryGetData(&icon), DV_E_DVASPECT);
  FORMATETC canonical{};
  EXPECT_EQ(data->GetCanonicalFormatEtc(&unknown, &canonical), E_NOTIMPL);
  EXPECT_TRUE(FAILED(data->GetDataHere(&unknown, &medium)));
  EXPECT_TRUE(FAILED(data->SetData(&unknown, &medium, FALSE)));
  DWORD connection = 0;
  IEnumSTATDATA* advised = nullptr;
  EXPECT_EQ(data->DAdvise(&unknown, 0, nullptr, &connection), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(data->DUnadvise(connection), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(data->EnumDAdvise(&advised), OLE_E_ADVISENOTSUPPORTED);

  win32::ComPtr<IEnumFORMATETC> formats;
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, formats.Put()), E_NOTIMPL) << "nothing is set";
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, formats.Put()), S_OK);
  FORMATETC got[3]{};
  ULONG fetched = 0;
  EXPECT_EQ(formats->Next(3, got, &fetched), S_OK);
  EXPECT_EQ(std::vector<CLIPFORMAT>({got[0].cfFormat, got[1].cfFormat, got[2].cfFormat}),
            std::vector<CLIPFORMAT>({CF_DIB, CF_ENHMETAFILE, win32::JpegFileFormat()}));
  EXPECT_EQ(formats->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  formats->Reset();
  EXPECT_EQ(formats->Skip(1), S_OK);
  win32::ComPtr<IEnumFORMATETC> copy;
  ASSERT_EQ(formats->Clone(copy.Put()), S_OK);
  EXPECT_EQ(copy->Next(1, got, nullptr), S_OK);
  EXPECT_EQ(got[0].cfFormat, CF_ENHMETAFILE) << "a clone goes on where it was";
  EXPECT_EQ(formats->Skip(5), S_FALSE);
  ExpectComIdentity(*formats.Get(), "the format list");
  ExpectComIdentity(*data.Get(), "the card's data");
}

// A card is found by its file's size and last write time: a file damaged past its
// header, changed since it was found, or gone, is no longer the card. It decodes to
// nothing (the view draws a plain box), and other programs are handed nothing of it.
TEST_F(Pictures, Win32ACardWhoseFileIsDamagedChangedOrGoneGivesNothing) {
  const std::string sound = SolidJpeg(40, 30, kRed);
  files.WriteBytes(dir + "damaged.jpg", sound.substr(0, sound.find("\xFF\xDA") + 14));
  const auto damaged = win32::ReadPictureFile(dir + "damaged.jpg");
  EXPECT_EQ(damaged->width, 40) << "its size at 100 %, from the header";
  win32::PictureCache cache(1 << 20);
  EXPECT_FALSE(cache.Get(damaged, 40, 30)) << "damaged";

  const auto changed = RedCard("changed.jpg", 16, 8);
  ASSERT_TRUE(cache.Get(changed, 16, 8)) << "precondition: the card as it was found";
  files.WriteBytes(dir + "changed.jpg", SolidJpeg(16, 9, kWhite));
  const auto gone = RedCard("gone.jpg", 16, 8);
  files.RemoveFile(dir + "gone.jpg", IfMissing::kFail);
  for (const auto& [what, card] : {std::pair{"damaged", damaged}, std::pair{"changed", changed},
                                   std::pair{"gone", gone}}) {
    EXPECT_FALSE(cache.Get(card, card->width, card->height)) << what << ": never shown";
    EXPECT_EQ(static_cast<bool>(win32::ReadPictureBytes(*card)), card == damaged) << what;
    FORMATETC dib = win32::DibFormat();
    STGMEDIUM medium{};
    EXPECT_TRUE(FAILED(win32::MakeCardData(card)->GetData(&dib, &medium))) << what;
  }
}

// A picture that is no JPEG (a BMP under a card's name) loads, and is offered as pixels;
// pixels of another size than the header's fill the box it gave.
TEST_F(Pictures, Win32APictureOfAnotherFormatOrSizeIsCopiedAsPixels) {
  const std::string dib = SoundDib();
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfSize = static_cast<DWORD>(sizeof file + dib.size());
  file.bfOffBits = sizeof file + sizeof(BITMAPINFOHEADER);
  files.WriteBytes(dir + "card.jpg",
                   std::string(reinterpret_cast<const char*>(&file), sizeof file) + dib);
  const auto picture = win32::ReadPictureFile(dir + "card.jpg");
  EXPECT_EQ(picture->width, 4);
  EXPECT_EQ(picture->height, 3);
  EXPECT_FALSE(picture->jpeg);
  const win32::GlobalMemory pixels = win32::FullSizeDib(*picture);
  const std::string jpeg = win32::EncodeJpeg(pixels.Get());
  EXPECT_EQ(jpeg.rfind("\xFF\xD8\xFF", 0), 0u) << "encoded as a JPEG for rich text";
  const auto scaled = win32::DecodePicture(SolidJpeg(16, 8, kRed), 32, 12);
  ASSERT_TRUE(scaled);
  EXPECT_EQ(scaled->width, 32);
  EXPECT_EQ(scaled->height, 12);
}

// The cache keeps decoded pictures within its budget: the one used longest ago goes
// first, and what a caller holds stays valid.
TEST_F(Pictures, Win32TheCacheOfDecodedPicturesEvictsTheOldest) {
  const auto a = RedCard("a.jpg", 16, 8), b = RedCard("b.jpg", 16, 8);
  win32::PictureCache cache(16 * 8 * 4);  // room for one
  const auto first = cache.Get(a, 16, 8);
  ASSERT_TRUE(first);
  EXPECT_EQ(cache.Get(a, 16, 8), first) << "kept";
  ASSERT_TRUE(cache.Get(b, 16, 8));
  const auto again = cache.Get(a, 16, 8);
  EXPECT_NE(again, first) << "evicted, so decoded anew";
  EXPECT_EQ(*static_cast<const DWORD*>(first->bits), *static_cast<const DWORD*>(again->bits))
      << "the evicted pixels are still there for whoever holds them";
}

}  // namespace
}  // namespace td::contract

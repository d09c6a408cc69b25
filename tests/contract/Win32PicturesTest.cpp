// The Windows machine's own picture code, where the platform interface does not reach:
// the DIBs it reads, which may come from another program, the card object as Windows'
// rich-text control and other programs call it, cards whose pictures fail to decode when
// the view draws them, and the cache of decoded pictures. Built into the contract suite
// under Wine only.
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ContractTest.h"
#include "Win32Helpers.h"
#include "platform/win32/Win32CardObject.h"
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

// A container's advise sink, told nothing: a card never changes.
class Sink : public IAdviseSink {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void STDMETHODCALLTYPE OnDataChange(FORMATETC*, STGMEDIUM*) override {}
  void STDMETHODCALLTYPE OnViewChange(DWORD, LONG) override {}
  void STDMETHODCALLTYPE OnRename(IMoniker*) override {}
  void STDMETHODCALLTYPE OnSave() override {}
  void STDMETHODCALLTYPE OnClose() override {}
};

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

// A card whose header was sound but whose data is not: it draws as a plain box of its
// size, and hands other programs nothing.
TEST_F(Contract, Win32ACardThatFailsToDecodeDrawsAPlainBox) {
  auto damaged = std::make_shared<win32::EncodedPicture>();
  damaged->bytes = "\xFF\xD8\xFF\xE0 not the rest of a picture";
  damaged->width = 40;
  damaged->height = 30;
  const auto card = win32::MakeCardObject(damaged, nullptr);
  win32::ComPtr<IViewObject2> view;
  win32::ComPtr<IDataObject> data;
  ASSERT_TRUE(SUCCEEDED(card->QueryInterface(IID_IViewObject2, win32::PutVoid(view))));
  ASSERT_TRUE(SUCCEEDED(card->QueryInterface(IID_IDataObject, win32::PutVoid(data))));

  SIZEL extent{};
  EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
  EXPECT_EQ(extent.cx, MulDiv(40, 2540, 96)) << "its size at 100 %, from the header";

  const win32::ScreenDc screen(GetDC(nullptr));
  HDC dc = CreateCompatibleDC(screen.Get());
  const win32::Bitmap canvas(CreateCompatibleBitmap(screen.Get(), 60, 50));
  HGDIOBJ old = SelectObject(dc, canvas.Get());
  const RECT all{0, 0, 60, 50};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const RECTL bounds{5, 5, 45, 35};
  EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr,
                       nullptr, 0),
            S_OK);
  const COLORREF inside = GetPixel(dc, 20, 20);
  EXPECT_NE(inside, RGB(255, 255, 255)) << "the box is drawn";
  EXPECT_EQ(GetRValue(inside), GetBValue(inside)) << "in a plain grey";
  EXPECT_EQ(GetPixel(dc, 50, 40), RGB(255, 255, 255)) << "and only within its bounds";
  SelectObject(dc, old);
  DeleteDC(dc);

  FORMATETC bitmap{CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
  STGMEDIUM medium{};
  ASSERT_EQ(data->GetData(&bitmap, &medium), S_OK) << "what Wine's view draws with";
  ASSERT_TRUE(medium.pUnkForRelease);
  ExpectComIdentity(*medium.pUnkForRelease, "what keeps the bitmap");
  BITMAP shape{};
  GetObjectW(medium.hBitmap, sizeof shape, &shape);
  EXPECT_GT(shape.bmWidth, 0);
  ReleaseStgMedium(&medium);

  FORMATETC dib{CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_TRUE(FAILED(data->GetData(&dib, &medium))) << "nothing to copy out";
}

constexpr COLORREF kRed = RGB(220, 20, 20);
constexpr COLORREF kWhite = RGB(255, 255, 255);

std::shared_ptr<win32::EncodedPicture> RedCard(int width, int height) {
  auto card = std::make_shared<win32::EncodedPicture>();
  card->bytes = SolidJpeg(width, height, kRed);
  card->width = width;
  card->height = height;
  card->jpeg = true;
  return card;
}

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

// Windows' rich-text view draws a card through IViewObject2::Draw, into the bounds it
// laid out at its resolution: 16 x 8 pixels at 100 % are 24 x 12 at 150 %.
TEST_F(Contract, Win32ACardDrawsItsPictureWithinItsBoundsAtAnyResolution) {
  const auto card = win32::MakeCardObject(RedCard(16, 8), nullptr);
  win32::ComPtr<IViewObject2> view;
  ASSERT_EQ(card->QueryInterface(IID_IViewObject2, win32::PutVoid(view)), S_OK);
  for (const int dpi : {96, 144}) {
    const int width = MulDiv(16, dpi, 96), height = MulDiv(8, dpi, 96);
    const Canvas canvas(40, 30);
    const RECTL bounds{5, 5, 5 + width, 5 + height};
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), &bounds,
                         nullptr, nullptr, 0),
              S_OK);
    HDC dc = canvas.Dc();
    EXPECT_TRUE(Near(GetPixel(dc, 5, 5), kRed)) << dpi << ": its first pixel";
    EXPECT_TRUE(Near(GetPixel(dc, 4 + width, 4 + height), kRed)) << dpi << ": its last";
    EXPECT_EQ(GetPixel(dc, 5 + width, 5), kWhite) << dpi << ": nothing right of it";
    EXPECT_EQ(GetPixel(dc, 5, 5 + height), kWhite) << dpi << ": nothing below it";
    EXPECT_EQ(GetPixel(dc, 4, 4), kWhite) << dpi << ": nothing before it";
  }
  const Canvas canvas(10, 10);
  const RECTL none{3, 3, 3, 3};
  EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.Dc(), &none,
                       nullptr, nullptr, 0),
            S_OK);
  EXPECT_EQ(GetPixel(canvas.Dc(), 3, 3), kWhite) << "empty bounds: nothing drawn";
  EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, canvas.Dc(), &none, nullptr,
                       nullptr, 0),
            DV_E_DVASPECT);
}

// What a container asks of an embedded object beyond drawing it. A card is a static
// picture: it has no verbs, no moniker, no storage of its own (no IPersist), a fixed size.
TEST_F(Contract, Win32ACardAnswersAContainerAsAStaticPicture) {
  const auto card = win32::MakeCardObject(RedCard(16, 8), nullptr);
  IOleObject& ole = *card.Get();
  win32::ComPtr<IUnknown> other;
  EXPECT_EQ(ole.QueryInterface(IID_IPersistStorage, win32::PutVoid(other)), E_NOINTERFACE);
  EXPECT_EQ(ole.QueryInterface(IID_IPersist, win32::PutVoid(other)), E_NOINTERFACE);
  EXPECT_EQ(ole.QueryInterface(IID_IUnknown, win32::PutVoid(other)), S_OK);
  // Whichever interface is asked for, one object answers, known by its IOleObject.
  for (const IID* iid : {&IID_IOleObject, &IID_IViewObject, &IID_IViewObject2, &IID_IDataObject}) {
    win32::ComPtr<IUnknown> asked;
    win32::ComPtr<IUnknown> identity;
    ASSERT_EQ(ole.QueryInterface(*iid, win32::PutVoid(asked)), S_OK);
    ASSERT_EQ(asked->QueryInterface(IID_IUnknown, win32::PutVoid(identity)), S_OK);
    EXPECT_EQ(identity.Get(), other.Get());
  }

  win32::ComPtr<IOleClientSite> site;
  EXPECT_EQ(ole.GetClientSite(site.Put()), S_OK);
  EXPECT_FALSE(site) << "no site before the container gives one";
  EXPECT_EQ(ole.SetHostNames(L"Tumbledeck", L"card"), S_OK);
  EXPECT_EQ(ole.DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, nullptr, nullptr), S_OK)
      << "showing it opens nothing";
  IEnumOLEVERB* verbs = nullptr;
  EXPECT_EQ(ole.EnumVerbs(&verbs), OLEOBJ_E_NOVERBS);
  EXPECT_EQ(ole.Update(), S_OK);
  EXPECT_EQ(ole.IsUpToDate(), S_OK);
  SIZEL size{100, 100};
  EXPECT_TRUE(FAILED(ole.SetExtent(DVASPECT_CONTENT, &size))) << "its size is fixed";
  EXPECT_EQ(ole.GetExtent(DVASPECT_CONTENT, &size), S_OK);
  EXPECT_EQ(size.cx, MulDiv(16, 2540, 96)) << "its size at 100 %";
  EXPECT_EQ(ole.GetExtent(DVASPECT_ICON, &size), DV_E_DVASPECT);
  DWORD status = 0, connection = 0;
  EXPECT_EQ(ole.GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_TRUE(status & OLEMISC_STATIC);
  EXPECT_EQ(ole.Advise(nullptr, &connection), S_OK);
  EXPECT_NE(connection, 0u) << "a connection the container can end";
  EXPECT_EQ(ole.Unadvise(connection), S_OK);
  const std::vector<std::pair<const char*, HRESULT>> refused = {
      {"SetMoniker", ole.SetMoniker(OLEWHICHMK_OBJREL, nullptr)},
      {"GetMoniker", ole.GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_OBJREL, nullptr)},
      {"InitFromData", ole.InitFromData(nullptr, TRUE, 0)},
      {"GetClipboardData", ole.GetClipboardData(0, nullptr)},
      {"GetUserType", ole.GetUserType(USERCLASSTYPE_FULL, nullptr)},
      {"EnumAdvise", ole.EnumAdvise(nullptr)},
      {"SetColorScheme", ole.SetColorScheme(nullptr)},
  };
  for (const auto& [what, hr] : refused) EXPECT_TRUE(FAILED(hr)) << what;
  EXPECT_EQ(ole.Close(OLECLOSE_NOSAVE), S_OK);

  win32::ComPtr<IViewObject2> view;
  ASSERT_EQ(ole.QueryInterface(IID_IViewObject2, win32::PutVoid(view)), S_OK);
  LOGPALETTE* palette = nullptr;
  EXPECT_EQ(view->GetColorSet(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &palette), S_FALSE)
      << "any colours";
  DWORD freeze = 0;
  EXPECT_TRUE(FAILED(view->Freeze(DVASPECT_CONTENT, -1, nullptr, &freeze)));
  EXPECT_TRUE(FAILED(view->Unfreeze(freeze)));
  DWORD aspects = 0;
  Sink given;
  IAdviseSink* sink = nullptr;
  EXPECT_EQ(view->SetAdvise(DVASPECT_CONTENT, 0, &given), S_OK);
  EXPECT_EQ(view->GetAdvise(&aspects, nullptr, &sink), S_OK);
  EXPECT_EQ(sink, &given) << "the container's sink is kept";
  EXPECT_EQ(aspects, static_cast<DWORD>(DVASPECT_CONTENT));
}

// Other programs take a card as they ask for it: a DIB, an enhanced metafile, the JPEG
// file; each format listed once, nothing set or advised.
TEST_F(Contract, Win32ACardGivesOtherProgramsTheFormatsTheyAskFor) {
  const auto card = win32::MakeCardObject(RedCard(16, 8), nullptr);
  win32::ComPtr<IDataObject> data;
  ASSERT_EQ(card->QueryInterface(IID_IDataObject, win32::PutVoid(data)), S_OK);

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
  FORMATETC got[4]{};
  ULONG fetched = 0;
  EXPECT_EQ(formats->Next(4, got, &fetched), S_OK);
  EXPECT_EQ(std::vector<CLIPFORMAT>({got[0].cfFormat, got[1].cfFormat, got[2].cfFormat,
                                     got[3].cfFormat}),
            std::vector<CLIPFORMAT>({CF_BITMAP, CF_DIB, CF_ENHMETAFILE,
                                     win32::JpegFileFormat()}));
  EXPECT_EQ(formats->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  formats->Reset();
  EXPECT_EQ(formats->Skip(2), S_OK);
  win32::ComPtr<IEnumFORMATETC> copy;
  ASSERT_EQ(formats->Clone(copy.Put()), S_OK);
  EXPECT_EQ(copy->Next(1, got, nullptr), S_OK);
  EXPECT_EQ(got[0].cfFormat, CF_ENHMETAFILE) << "a clone goes on where it was";
  EXPECT_EQ(formats->Skip(5), S_FALSE);
  ExpectComIdentity(*formats.Get(), "the format list");
}

// A picture that is no JPEG (a BMP under a card's name) loads, and is offered as pixels.
TEST_F(Contract, Win32APictureOfAnotherFormatLoadsAndIsCopiedAsPixels) {
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
}

// The cache keeps decoded pictures within its budget: the one used longest ago goes
// first, and what a caller holds stays valid.
TEST_F(Contract, Win32TheCacheOfDecodedPicturesEvictsTheOldest) {
  const auto a = RedCard(16, 8), b = RedCard(16, 8);
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

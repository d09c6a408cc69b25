// The Windows machine's own picture code, where the platform interface does not reach:
// the DIBs it reads, which may come from another program, and cards whose pictures fail
// to decode when the view draws them. Built into the contract suite under Wine only.
#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "ContractTest.h"
#include "platform/win32/Win32CardObject.h"
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
  BITMAP shape{};
  GetObjectW(medium.hBitmap, sizeof shape, &shape);
  EXPECT_GT(shape.bmWidth, 0);
  ReleaseStgMedium(&medium);

  FORMATETC dib{CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_TRUE(FAILED(data->GetData(&dib, &medium))) << "nothing to copy out";
}

}  // namespace
}  // namespace td::contract

// Pictures loaded through the Windows Imaging Component, and the system clipboard.
#include <windows.h>
#include <wincodec.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* operator->() const { return p_; }
  T* get() const { return p_; }
  T** put() { return &p_; }

 private:
  T* p_ = nullptr;
};

// A decoded picture: a top-down 32-bit DIB section of its pixels.
class Win32Picture : public Picture {
 public:
  Win32Picture(HBITMAP bitmap, void* bits, int width, int height)
      : bitmap_(bitmap), bits_(bits), width_(width), height_(height) {}
  ~Win32Picture() override { DeleteObject(bitmap_); }
  Win32Picture(const Win32Picture&) = delete;
  Win32Picture& operator=(const Win32Picture&) = delete;

  const void* Bits() const { return bits_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  size_t Stride() const { return static_cast<size_t>(width_) * 4; }
  std::vector<unsigned char> BottomUpRows() const {
    const size_t stride = Stride();
    std::vector<unsigned char> rows(stride * static_cast<size_t>(height_));
    const auto* top = static_cast<const unsigned char*>(bits_);
    for (int y = 0; y < height_; ++y) {
      std::memcpy(rows.data() + static_cast<size_t>(y) * stride,
                  top + static_cast<size_t>(height_ - 1 - y) * stride, stride);
    }
    return rows;
  }
  BITMAPINFOHEADER BottomUpHeader() const {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width_;
    header.biHeight = height_;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    return header;
  }

 private:
  HBITMAP bitmap_;
  void* bits_;
  int width_;
  int height_;
};

// An enhanced metafile that draws the picture at its size on the screen. RichEdit
// embeds a pasted metafile as a picture object on every system it runs on.
HENHMETAFILE MakeMetafile(const Win32Picture& picture) {
  HDC screen = GetDC(nullptr);
  if (!screen) return nullptr;
  const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
  const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  // The frame, in 0.01 mm, sizes the object; the drawing covers the frame in the
  // reference device's own units, whatever that device claims its millimetres are.
  const int frameWidth = MulDiv(picture.Width(), 2540, dpiX > 0 ? dpiX : 96);
  const int frameHeight = MulDiv(picture.Height(), 2540, dpiY > 0 ? dpiY : 96);
  const int drawWidth = MulDiv(frameWidth, GetDeviceCaps(screen, HORZRES),
                               GetDeviceCaps(screen, HORZSIZE) * 100);
  const int drawHeight = MulDiv(frameHeight, GetDeviceCaps(screen, VERTRES),
                                GetDeviceCaps(screen, VERTSIZE) * 100);
  const RECT frame{0, 0, frameWidth, frameHeight};
  HDC recorder = CreateEnhMetaFileW(screen, nullptr, &frame, nullptr);
  ReleaseDC(nullptr, screen);
  if (!recorder) return nullptr;
  // Recorded bottom-up: not every metafile player copes with a top-down DIB.
  const std::vector<unsigned char> rows = picture.BottomUpRows();
  BITMAPINFO info{};
  info.bmiHeader = picture.BottomUpHeader();
  SetStretchBltMode(recorder, COLORONCOLOR);
  StretchDIBits(recorder, 0, 0, drawWidth, drawHeight, 0, 0, picture.Width(), picture.Height(),
                rows.data(), &info, DIB_RGB_COLORS, SRCCOPY);
  return CloseEnhMetaFile(recorder);
}

// A packed bottom-up DIB, the form other programs expect of CF_DIB.
HGLOBAL MakePackedDib(const Win32Picture& picture) {
  const BITMAPINFOHEADER header = picture.BottomUpHeader();
  const size_t stride = picture.Stride();
  const size_t size = sizeof header + stride * static_cast<size_t>(picture.Height());
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  auto* out = static_cast<unsigned char*>(GlobalLock(memory));
  if (!out) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(out, &header, sizeof header);
  const std::vector<unsigned char> rows = picture.BottomUpRows();
  std::memcpy(out + sizeof header, rows.data(), rows.size());
  GlobalUnlock(memory);
  return memory;
}

// The picture as rich text: one \pict group holding the packed DIB. Wine's RichEdit
// embeds a pasted metafile but cannot draw it, while a bitmap read from RTF it draws;
// Windows' RichEdit takes either.
HGLOBAL MakeRichText(const Win32Picture& picture) {
  HDC screen = GetDC(nullptr);
  const int dpiX = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  const int dpiY = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  const BITMAPINFOHEADER header = picture.BottomUpHeader();
  std::string dib(reinterpret_cast<const char*>(&header), sizeof header);
  const std::vector<unsigned char> rows = picture.BottomUpRows();
  dib.append(reinterpret_cast<const char*>(rows.data()), rows.size());
  // Wine's reader starts the pixels one colour-table entry late (a one-pixel shift
  // there): four spare bytes keep it inside the data.
  dib.append(4, '\0');

  std::string rtf = "{\\rtf1\\ansi{\\pict\\dibitmap0\\picw" + std::to_string(picture.Width()) +
                    "\\pich" + std::to_string(picture.Height()) + "\\picwgoal" +
                    std::to_string(MulDiv(picture.Width(), 1440, dpiX > 0 ? dpiX : 96)) +
                    "\\pichgoal" +
                    std::to_string(MulDiv(picture.Height(), 1440, dpiY > 0 ? dpiY : 96)) + " ";
  static constexpr char kHex[] = "0123456789abcdef";
  rtf.reserve(rtf.size() + dib.size() * 2 + 4);
  for (const char c : dib) {
    const auto byte = static_cast<unsigned char>(c);
    rtf += kHex[byte >> 4];
    rtf += kHex[byte & 0x0F];
  }
  rtf += "}}";

  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, rtf.size() + 1);
  if (!memory) return nullptr;
  void* out = GlobalLock(memory);
  if (!out) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(out, rtf.c_str(), rtf.size() + 1);
  GlobalUnlock(memory);
  return memory;
}

HWND ClipboardOwner() {
  static HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
  return owner;
}

// Another program may hold the clipboard for a moment: try a few times.
bool OpenClipboardPatiently() {
  for (int attempt = 0; attempt < 10; ++attempt) {
    if (OpenClipboard(ClipboardOwner())) return true;
    Sleep(20);
  }
  return false;
}

}  // namespace

std::unique_ptr<Picture> LoadPictureFile(const std::string& path) {
  const std::wstring file = Widen(path);
  const DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_PATH_NOT_FOUND) throw RunError(err::kFileNotFound);
    throw ErrorFromWin32(error, err::kFileNotFound);
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw RunError(err::kPathFileAccess);

  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.put())))) {
    throw InternalError();
  }
  ComPtr<IWICBitmapDecoder> decoder;
  HRESULT hr = factory->CreateDecoderFromFilename(file.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.put());
  if (hr == HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION)) throw RunError(err::kPermissionDenied);
  if (hr == E_ACCESSDENIED) throw RunError(err::kPathFileAccess);
  if (FAILED(hr)) throw InvalidPictureError();
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.put()))) throw InvalidPictureError();
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.put())) ||
      FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGR,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    throw InvalidPictureError();
  }
  UINT width = 0, height = 0;
  if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 ||
      width > 0x7FFF || height > 0x7FFF) {
    throw InvalidPictureError();
  }

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) throw OutOfMemoryError();
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                   static_cast<BYTE*>(bits)))) {
    DeleteObject(bitmap);
    throw InvalidPictureError();
  }
  return std::make_unique<Win32Picture>(bitmap, bits, static_cast<int>(width),
                                        static_cast<int>(height));
}

void ClearSystemClipboard() {
  if (!OpenClipboardPatiently()) throw CannotOpenClipboardError();
  EmptyClipboard();
  CloseClipboard();
}

void PutPictureOnClipboard(const Picture& picture) {
  const auto* own = dynamic_cast<const Win32Picture*>(&picture);
  if (!own) throw InvalidClipboardFormatError();
  static const UINT richTextFormat = RegisterClipboardFormatW(L"Rich Text Format");
  HENHMETAFILE metafile = MakeMetafile(*own);
  HGLOBAL dib = MakePackedDib(*own);
  HGLOBAL rtf = richTextFormat ? MakeRichText(*own) : nullptr;
  const auto release = [&] {
    if (metafile) DeleteEnhMetaFile(metafile);
    if (dib) GlobalFree(dib);
    if (rtf) GlobalFree(rtf);
  };
  if (!metafile || !dib || !rtf) {
    release();
    throw OutOfMemoryError();
  }
  if (!OpenClipboardPatiently()) {
    release();
    throw CannotOpenClipboardError();
  }
  // Once SetClipboardData accepts a handle the system owns it.
  bool accepted = true;
  if (SetClipboardData(CF_ENHMETAFILE, metafile)) {
    metafile = nullptr;
  } else {
    accepted = false;
  }
  if (SetClipboardData(CF_DIB, dib)) {
    dib = nullptr;
  } else {
    accepted = false;
  }
  if (SetClipboardData(richTextFormat, rtf)) {
    rtf = nullptr;
  } else {
    accepted = false;
  }
  CloseClipboard();
  release();
  if (!accepted) throw InvalidClipboardFormatError();
}

}  // namespace td::win32

// Pictures loaded from files through the Windows Imaging Component.
#include <windows.h>
#include <wincodec.h>

#include <cstring>
#include <utility>

#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Picture.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {

Win32Picture::Win32Picture(Bitmap bitmap, const void* bits, int width, int height)
    : bitmap_(std::move(bitmap)), bits_(bits), width_(width), height_(height) {}

std::vector<unsigned char> Win32Picture::BottomUpRows() const {
  const size_t stride = Stride();
  std::vector<unsigned char> rows(stride * static_cast<size_t>(height_));
  const auto* top = static_cast<const unsigned char*>(bits_);
  for (int y = 0; y < height_; ++y) {
    std::memcpy(rows.data() + static_cast<size_t>(y) * stride,
                top + static_cast<size_t>(height_ - 1 - y) * stride, stride);
  }
  return rows;
}

BITMAPINFOHEADER Win32Picture::BottomUpHeader() const {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width_;
  header.biHeight = height_;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  return header;
}

std::unique_ptr<Picture> LoadPictureFile(const std::string& path) {
  const std::wstring file = Widen(path);
  const DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError(Subject::kEntry);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw ErrorFromWin32(ERROR_ACCESS_DENIED);

  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Put())))) {
    throw InternalError();
  }
  ComPtr<IWICBitmapDecoder> decoder;
  HRESULT hr = factory->CreateDecoderFromFilename(file.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, decoder.Put());
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) throw ErrorFromWin32(HRESULT_CODE(hr));
  if (FAILED(hr)) throw InvalidPictureError();
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.Put()))) throw InvalidPictureError();
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(converter.Put())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR,
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
  Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) throw OutOfMemoryError();
  const UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                   static_cast<BYTE*>(bits)))) {
    throw InvalidPictureError();
  }
  return std::make_unique<Win32Picture>(std::move(bitmap), bits, static_cast<int>(width),
                                        static_cast<int>(height));
}

}  // namespace td::win32

// Pictures loaded from files through the Windows Imaging Component.
#include <windows.h>
#include <wincodec.h>

#include <utility>

#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Picture.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {

Win32Picture::Win32Picture(Bitmap bitmap, const void* bits, int width, int height)
    : bitmap_(std::move(bitmap)), bits_(bits), width_(width), height_(height) {}

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
  // A file that cannot be opened says why; one that is no picture is an invalid one.
  if (HRESULT_FACILITY(hr) == FACILITY_WIN32) throw ErrorFromHresult(hr, InvalidPictureError());
  if (FAILED(hr)) throw InvalidPictureError();
  ComPtr<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.Put()))) throw InvalidPictureError();
  UINT claimedWidth = 0, claimedHeight = 0;
  if (FAILED(frame->GetSize(&claimedWidth, &claimedHeight)) ||
      static_cast<double>(claimedWidth) * claimedHeight > kMaxPicturePixels) {
    throw InvalidPictureError();
  }
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

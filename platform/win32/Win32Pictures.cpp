// Pictures through the Windows Imaging Component: the header when a file is loaded, the
// pixels only when a picture is drawn or copied out.
#include <windows.h>
#include <wincodec.h>

#include <utility>

#include "platform/JpegHeader.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32Picture.h"
#include "platform/win32/Win32PictureFormats.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32Ui.h"

namespace td::win32 {
namespace {

// A card is a few hundred kB; a file far beyond any picture's is no card.
constexpr std::size_t kLargestPictureFile = 256u << 20;

ComPtr<IWICImagingFactory> ImagingFactory() {
  ComPtr<IWICImagingFactory> factory;
  CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                   IID_IWICImagingFactory, PutVoid(factory));
  return factory;
}

// The first frame of a picture held in memory; null when the bytes are no picture WIC
// knows. The stream reads the bytes in place: they must outlive the frame.
ComPtr<IWICBitmapFrameDecode> FirstFrame(IWICImagingFactory& factory, const std::string& bytes) {
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  auto* data = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
  if (FAILED(factory.CreateStream(stream.Put())) ||
      FAILED(stream->InitializeFromMemory(data, static_cast<DWORD>(bytes.size()))) ||
      FAILED(factory.CreateDecoderFromStream(stream.Get(), nullptr,
                                             WICDecodeMetadataCacheOnDemand, decoder.Put())) ||
      FAILED(decoder->GetFrame(0, frame.Put()))) {
    return {};
  }
  return frame;
}

bool IsJpeg(const std::string& bytes) { return bytes.rfind("\xFF\xD8\xFF", 0) == 0; }

// The size in a picture's header. A JPEG file's is read directly; for other formats WIC
// reads it (Wine's decoders then decode the whole picture, but cards are JPEG files).
std::optional<PictureSize> HeaderSize(const std::string& bytes) {
  if (IsJpeg(bytes)) return JpegFrameSize(bytes);
  const ComPtr<IWICImagingFactory> factory = ImagingFactory();
  if (!factory) throw InternalError();
  const ComPtr<IWICBitmapFrameDecode> frame = FirstFrame(*factory.Get(), bytes);
  UINT width = 0, height = 0;
  if (!frame || FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0) {
    return std::nullopt;
  }
  return PictureSize{width, height};
}

}  // namespace

std::shared_ptr<const EncodedPicture> ReadPictureFile(const std::string& path) {
  const std::wstring file = Widen(path);
  const DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError(Subject::kEntry);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw ErrorFromWin32(ERROR_ACCESS_DENIED);
  auto picture = std::make_shared<EncodedPicture>();
  picture->bytes = ReadFileHead(path, kLargestPictureFile + 1);
  if (picture->bytes.size() > kLargestPictureFile) throw InvalidPictureError();

  const std::optional<PictureSize> size = HeaderSize(picture->bytes);
  if (!size || size->width > 0x7FFF || size->height > 0x7FFF ||
      static_cast<double>(size->width) * size->height > kMaxPicturePixels) {
    throw InvalidPictureError();
  }
  picture->width = static_cast<int>(size->width);
  picture->height = static_cast<int>(size->height);
  picture->jpeg = IsJpeg(picture->bytes);
  return picture;
}

std::optional<DecodedPicture> DecodePicture(const EncodedPicture& picture, int width,
                                            int height) {
  if (width <= 0 || height <= 0 || static_cast<double>(width) * height > kMaxPicturePixels) {
    return std::nullopt;
  }
  const ComPtr<IWICImagingFactory> factory = ImagingFactory();
  if (!factory) return std::nullopt;
  const ComPtr<IWICBitmapFrameDecode> frame = FirstFrame(*factory.Get(), picture.bytes);
  ComPtr<IWICBitmapSource> source;
  if (!frame || FAILED(frame->QueryInterface(IID_IWICBitmapSource, PutVoid(source)))) {
    return std::nullopt;
  }
  ComPtr<IWICBitmapScaler> scaler;
  if (width != picture.width || height != picture.height) {
    // Fant: a smooth average of the pixels each one covers, in either direction.
    if (FAILED(factory->CreateBitmapScaler(scaler.Put())) ||
        FAILED(scaler->Initialize(source.Get(), static_cast<UINT>(width),
                                  static_cast<UINT>(height), WICBitmapInterpolationModeFant))) {
      return std::nullopt;
    }
    source.Reset();
    scaler->QueryInterface(IID_IWICBitmapSource, PutVoid(source));
  }
  ComPtr<IWICFormatConverter> converter;
  if (!source || FAILED(factory->CreateFormatConverter(converter.Put())) ||
      FAILED(converter->Initialize(source.Get(), GUID_WICPixelFormat32bppBGR,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return std::nullopt;
  }
  auto decoded = NewPixels(width, height);
  if (!decoded) return std::nullopt;
  const UINT stride = static_cast<UINT>(width) * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * static_cast<UINT>(height),
                                   static_cast<BYTE*>(const_cast<void*>(decoded->bits))))) {
    return std::nullopt;
  }
  return decoded;
}

BITMAPINFO BgrxInfo(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

std::optional<DecodedPicture> NewPixels(int width, int height) {
  const BITMAPINFO info = BgrxInfo(width, height);
  DecodedPicture pixels;
  void* bits = nullptr;
  pixels.bitmap.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!pixels.bitmap || !bits) return std::nullopt;
  pixels.bits = bits;
  pixels.width = width;
  pixels.height = height;
  return pixels;
}

GlobalMemory FullSizeDib(const EncodedPicture& picture) {
  const auto decoded = DecodePicture(picture);
  return decoded ? MakePackedDib(decoded->bits, decoded->width, decoded->height)
                 : GlobalMemory();
}

std::unique_ptr<Picture> LoadPictureFile(const std::string& path) {
  return std::make_unique<Win32Picture>(ReadPictureFile(path));
}

}  // namespace td::win32

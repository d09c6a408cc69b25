// Pictures through the Windows Imaging Component: the header when a file is loaded, the
// pixels only when a picture is drawn or copied out, from the file read again.
#include <windows.h>
#include <wincodec.h>

#include <algorithm>
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

// What tells a file from another: its size and last write time.
struct Identity {
  uint64_t size = 0;
  uint64_t written = 0;
};

uint64_t Joined(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

std::optional<Identity> IdentityOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return std::nullopt;
  return Identity{Joined(info.nFileSizeHigh, info.nFileSizeLow),
                  Joined(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
}

// A file opened for reading with every kind of sharing allowed: another program may be
// writing it.
KernelHandle OpenPicture(const std::wstring& path) {
  return KernelHandle(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Appends the file's next bytes until it holds `upTo` or the file ends; false when a
// read fails.
bool ReadOn(HANDLE file, std::string& bytes, std::size_t upTo) {
  char buffer[64 * 1024];
  while (bytes.size() < upTo) {
    const DWORD wanted = static_cast<DWORD>(std::min(sizeof buffer, upTo - bytes.size()));
    DWORD got = 0;
    if (!ReadFile(file, buffer, wanted, &got, nullptr)) return false;
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  return true;
}

// A JPEG file's frame header lies behind its first segments, most often within a few
// kilobytes; a file with a large preview carries it further in.
constexpr std::size_t kHeaderHead = 16u << 10;

}  // namespace

std::wstring PictureFile::FolderName() const {
  const size_t end = path.find_last_of(L'\\');
  if (end == std::wstring::npos || end == 0) return L"";
  const size_t start = path.find_last_of(L'\\', end - 1);
  return path.substr(start == std::wstring::npos ? 0 : start + 1, end - (start + 1));
}

std::shared_ptr<const PictureFile> ReadPictureFile(const std::string& path) {
  auto picture = std::make_shared<PictureFile>();
  picture->path = Widen(path);
  const DWORD attributes = GetFileAttributesW(picture->path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError(Subject::kEntry);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) throw ErrorFromWin32(ERROR_ACCESS_DENIED);
  const KernelHandle file = OpenPicture(picture->path);
  if (!file) ThrowLastError(Subject::kPath);
  const std::optional<Identity> identity = IdentityOf(file.Get());
  if (!identity) ThrowLastError(Subject::kPath);
  if (identity->size > kLargestPictureFile) throw InvalidPictureError();
  picture->size = identity->size;
  picture->written = identity->written;

  // As much of the file as its header needs: twice as much each time a JPEG file's lies
  // further in; the whole of another format, whose header WIC reads.
  std::string bytes;
  std::optional<PictureSize> size;
  for (std::size_t upTo = kHeaderHead;; upTo *= 2) {
    if (!ReadOn(file.Get(), bytes, std::min(upTo, kLargestPictureFile + 1))) {
      ThrowLastError(Subject::kPath);
    }
    if (bytes.size() > kLargestPictureFile) throw InvalidPictureError();
    const bool whole = bytes.size() < upTo;
    picture->jpeg = IsJpeg(bytes);
    if (picture->jpeg) size = JpegFrameSize(bytes);
    if (!picture->jpeg && whole) size = HeaderSize(bytes);
    if (size || whole) break;
  }
  if (!size || size->width > 0x7FFF || size->height > 0x7FFF ||
      static_cast<double>(size->width) * size->height > kMaxPicturePixels) {
    throw InvalidPictureError();
  }
  picture->width = static_cast<int>(size->width);
  picture->height = static_cast<int>(size->height);
  return picture;
}

std::optional<std::string> ReadPictureBytes(const PictureFile& picture) {
  const KernelHandle file = OpenPicture(picture.path);
  if (!file) return std::nullopt;
  const std::optional<Identity> identity = IdentityOf(file.Get());
  if (!identity || identity->size != picture.size || identity->written != picture.written) {
    return std::nullopt;
  }
  std::string bytes;
  if (!ReadOn(file.Get(), bytes, static_cast<std::size_t>(picture.size))) return std::nullopt;
  return bytes;
}

bool IsUnchanged(const PictureFile& picture) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(picture.path.c_str(), GetFileExInfoStandard, &data)) return false;
  return Joined(data.nFileSizeHigh, data.nFileSizeLow) == picture.size &&
         Joined(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime) ==
             picture.written;
}

std::optional<DecodedPicture> DecodePicture(const std::string& bytes, int width, int height) {
  if (width <= 0 || height <= 0 || static_cast<double>(width) * height > kMaxPicturePixels) {
    return std::nullopt;
  }
  const ComPtr<IWICImagingFactory> factory = ImagingFactory();
  if (!factory) return std::nullopt;
  const ComPtr<IWICBitmapFrameDecode> frame = FirstFrame(*factory.Get(), bytes);
  ComPtr<IWICBitmapSource> source;
  UINT ownWidth = 0, ownHeight = 0;
  if (!frame || FAILED(frame->QueryInterface(IID_IWICBitmapSource, PutVoid(source))) ||
      FAILED(frame->GetSize(&ownWidth, &ownHeight))) {
    return std::nullopt;
  }
  // Into the box asked for, whatever the pixels' own size: a header may claim another.
  ComPtr<IWICBitmapScaler> scaler;
  if (static_cast<int>(ownWidth) != width || static_cast<int>(ownHeight) != height) {
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

GlobalMemory FullSizeDib(const PictureFile& file) {
  const std::optional<std::string> bytes = ReadPictureBytes(file);
  const auto decoded = bytes ? DecodePicture(*bytes, file.width, file.height) : std::nullopt;
  return decoded ? MakePackedDib(decoded->bits, decoded->width, decoded->height)
                 : GlobalMemory();
}

std::unique_ptr<Picture> LoadPictureFile(const std::string& path) {
  return std::make_unique<Win32Picture>(ReadPictureFile(path));
}

}  // namespace td::win32

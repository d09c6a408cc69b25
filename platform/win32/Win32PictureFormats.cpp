#include "platform/win32/Win32PictureFormats.h"

#include <wincodec.h>

#include <cstring>
#include <vector>

namespace td::win32 {
namespace {

size_t Stride(int width, int bitsPerPixel) {
  return ((static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel) + 31) / 32) * 4;
}

const unsigned char* DibPixels(const BITMAPINFOHEADER* header) {
  size_t offset = header->biSize + static_cast<size_t>(header->biClrUsed) * 4;
  if (header->biCompression == BI_BITFIELDS && header->biSize == sizeof(BITMAPINFOHEADER)) {
    offset += 12;
  }
  return reinterpret_cast<const unsigned char*>(header) + offset;
}

// Top-down rows of a 24- or 32-bit packed DIB, as WIC wants them.
std::vector<unsigned char> TopDownRows(const BITMAPINFOHEADER* header) {
  const int height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  const size_t stride = Stride(header->biWidth, header->biBitCount);
  const unsigned char* pixels = DibPixels(header);
  std::vector<unsigned char> rows(stride * static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) {
    const int from = header->biHeight < 0 ? y : height - 1 - y;
    std::memcpy(rows.data() + stride * static_cast<size_t>(y),
                pixels + stride * static_cast<size_t>(from), stride);
  }
  return rows;
}

}  // namespace

SIZE ScreenDpi() {
  const ScreenDc screen(GetDC(nullptr));
  SIZE dpi{96, 96};
  if (screen) {
    dpi.cx = GetDeviceCaps(screen.Get(), LOGPIXELSX);
    dpi.cy = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  }
  if (dpi.cx <= 0) dpi.cx = 96;
  if (dpi.cy <= 0) dpi.cy = 96;
  return dpi;
}

GlobalMemory MakePackedDib(const void* pixels, int width, int height) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up
  header.biPlanes = 1;
  header.biBitCount = 24;  // a quarter less memory than 32 bits, for every card kept
  header.biCompression = BI_RGB;
  const size_t stride = Stride(width, 24);
  header.biSizeImage = static_cast<DWORD>(stride * static_cast<size_t>(height));
  GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, sizeof header + header.biSizeImage));
  if (!memory) return {};
  const LockedGlobal lock(memory.Get());
  auto* out = static_cast<unsigned char*>(lock.Bytes());
  if (!out) return {};
  std::memcpy(out, &header, sizeof header);
  const auto* source = static_cast<const unsigned char*>(pixels);
  for (int y = 0; y < height; ++y) {
    const unsigned char* from = source + static_cast<size_t>(height - 1 - y) * width * 4;
    unsigned char* to = out + sizeof header + static_cast<size_t>(y) * stride;
    for (int x = 0; x < width; ++x) std::memcpy(to + 3 * x, from + 4 * x, 3);
    std::memset(to + 3 * static_cast<size_t>(width), 0, stride - 3 * static_cast<size_t>(width));
  }
  return memory;
}

SIZE DibSize(HGLOBAL packedDib) {
  const LockedGlobal lock(packedDib);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(lock.Bytes());
  if (!header || header->biWidth <= 0 || header->biHeight == 0) return {0, 0};
  return {header->biWidth, header->biHeight < 0 ? -header->biHeight : header->biHeight};
}

EnhMetafile MakeMetafile(HGLOBAL packedDib) {
  const LockedGlobal lock(packedDib);
  const auto* info = static_cast<const BITMAPINFO*>(lock.Bytes());
  const SIZE size = DibSize(packedDib);
  if (!info || size.cx == 0) return {};
  const ScreenDc reference(GetDC(nullptr));
  const SIZE dpi = ScreenDpi();
  // The frame, in 0.01 mm, sizes the picture; the drawing covers the frame in the
  // reference device's own units, whatever that device claims its millimetres are.
  const int frameWidth = MulDiv(size.cx, 2540, dpi.cx);
  const int frameHeight = MulDiv(size.cy, 2540, dpi.cy);
  int drawWidth = size.cx, drawHeight = size.cy;
  const int millimetresX = GetDeviceCaps(reference.Get(), HORZSIZE);
  const int millimetresY = GetDeviceCaps(reference.Get(), VERTSIZE);
  if (millimetresX > 0 && millimetresY > 0) {
    drawWidth = MulDiv(frameWidth, GetDeviceCaps(reference.Get(), HORZRES), millimetresX * 100);
    drawHeight = MulDiv(frameHeight, GetDeviceCaps(reference.Get(), VERTRES), millimetresY * 100);
  }
  const RECT frame{0, 0, frameWidth, frameHeight};
  HDC recorder = CreateEnhMetaFileW(reference.Get(), nullptr, &frame, nullptr);
  if (!recorder) return {};
  SetStretchBltMode(recorder, COLORONCOLOR);
  StretchDIBits(recorder, 0, 0, drawWidth, drawHeight, 0, 0, size.cx, size.cy,
                DibPixels(&info->bmiHeader), info, DIB_RGB_COLORS, SRCCOPY);
  return EnhMetafile(CloseEnhMetaFile(recorder));
}

std::string EncodeJpeg(HGLOBAL packedDib) {
  const LockedGlobal lock(packedDib);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(lock.Bytes());
  const SIZE size = DibSize(packedDib);
  if (!header || size.cx == 0 || (header->biBitCount != 24 && header->biBitCount != 32)) return {};
  std::vector<unsigned char> rows = TopDownRows(header);
  const UINT stride = static_cast<UINT>(Stride(size.cx, header->biBitCount));
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICBitmap> bitmap;
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, PutVoid(factory))) ||
      FAILED(factory->CreateBitmapFromMemory(
          static_cast<UINT>(size.cx), static_cast<UINT>(size.cy),
          header->biBitCount == 24 ? GUID_WICPixelFormat24bppBGR : GUID_WICPixelFormat32bppBGR,
          stride, static_cast<UINT>(rows.size()), rows.data(), bitmap.Put())) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put())) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, encoder.Put())) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.Put(), options.Put()))) {
    return {};
  }
  if (options) {
    PROPBAG2 quality{};
    quality.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = 0.9f;
    options->Write(1, &quality, &value);
  }
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  HGLOBAL memory = nullptr;  // the stream's own
  STATSTG stat{};
  if (FAILED(frame->Initialize(options.Get())) ||
      FAILED(frame->SetSize(static_cast<UINT>(size.cx), static_cast<UINT>(size.cy))) ||
      FAILED(frame->SetPixelFormat(&format)) || FAILED(frame->WriteSource(bitmap.Get(), nullptr)) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit()) ||
      FAILED(GetHGlobalFromStream(stream.Get(), &memory)) ||
      FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
    return {};
  }
  const LockedGlobal bytes(memory);
  if (!bytes.Bytes()) return {};
  return std::string(static_cast<const char*>(bytes.Bytes()),
                     static_cast<size_t>(stat.cbSize.QuadPart));
}

}  // namespace td::win32

#include "platform/win32/Win32PictureFormats.h"

#include <wincodec.h>

#include <cstring>
#include <vector>

#include "platform/PackedDib.h"

namespace td::win32 {
namespace {

// Top-down rows of a sound 24- or 32-bit DIB, as WIC wants them.
std::vector<unsigned char> TopDownRows(const DibLayout& dib) {
  std::vector<unsigned char> rows(dib.stride * static_cast<size_t>(dib.height));
  for (int y = 0; y < dib.height; ++y) {
    const int from = dib.topDown ? y : dib.height - 1 - y;
    std::memcpy(rows.data() + dib.stride * static_cast<size_t>(y),
                dib.pixels + dib.stride * static_cast<size_t>(from), dib.stride);
  }
  return rows;
}

}  // namespace

std::optional<DibLayout> ReadDib(const void* bytes, size_t size) {
  if (!bytes) return std::nullopt;
  const auto shape = ReadPackedDib({static_cast<const char*>(bytes), size});
  if (!shape) return std::nullopt;
  DibLayout dib;
  dib.info = static_cast<const BITMAPINFO*>(bytes);
  dib.pixels = static_cast<const unsigned char*>(bytes) + shape->pixelOffset;
  dib.width = shape->width;
  dib.height = shape->height;
  dib.topDown = shape->topDown;
  dib.stride = shape->stride;
  return dib;
}

LockedDib::LockedDib(HGLOBAL packedDib) : lock_(packedDib) {
  if (lock_.Bytes()) layout_ = ReadDib(lock_.Bytes(), GlobalSize(packedDib));
}

GlobalMemory MakePackedDib(const void* pixels, int width, int height) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up
  header.biPlanes = 1;
  header.biBitCount = 24;  // a quarter less memory than 32 bits
  header.biCompression = BI_RGB;
  const size_t stride = DibStride(width, 24);
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

EnhMetafile MakeMetafile(HGLOBAL packedDib) {
  const LockedDib locked(packedDib);
  if (!locked.Layout()) return {};
  const DibLayout& dib = *locked.Layout();
  const ScreenDc reference(GetDC(nullptr));
  // The frame, in 0.01 mm, sizes the picture; the drawing covers the frame in the
  // reference device's own units, whatever that device claims its millimetres are.
  const SIZEL frameSize = ExtentOf(dib.width, dib.height);
  const int frameWidth = frameSize.cx, frameHeight = frameSize.cy;
  int drawWidth = dib.width, drawHeight = dib.height;
  const int millimetresX = GetDeviceCaps(reference.Get(), HORZSIZE);
  const int millimetresY = GetDeviceCaps(reference.Get(), VERTSIZE);
  if (millimetresX > 0 && millimetresY > 0) {
    drawWidth = MulDiv(frameWidth, GetDeviceCaps(reference.Get(), HORZRES), millimetresX * 100);
    drawHeight = MulDiv(frameHeight, GetDeviceCaps(reference.Get(), VERTRES), millimetresY * 100);
  }
  const RECT frame{0, 0, frameWidth, frameHeight};
  HDC recorder = CreateEnhMetaFileW(reference.Get(), nullptr, &frame, nullptr);
  if (!recorder) return {};
  SetStretchBltMode(recorder, HALFTONE);
  StretchDIBits(recorder, 0, 0, drawWidth, drawHeight, 0, 0, dib.width, dib.height, dib.pixels,
                dib.info, DIB_RGB_COLORS, SRCCOPY);
  return EnhMetafile(CloseEnhMetaFile(recorder));
}

std::string EncodeJpeg(HGLOBAL packedDib) {
  const LockedDib locked(packedDib);
  if (!locked.Layout()) return {};
  const DibLayout& dib = *locked.Layout();
  const WORD bits = dib.info->bmiHeader.biBitCount;
  if ((bits != 24 && bits != 32) || dib.info->bmiHeader.biCompression != BI_RGB) return {};
  std::vector<unsigned char> rows = TopDownRows(dib);
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICBitmap> bitmap;
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, PutVoid(factory))) ||
      FAILED(factory->CreateBitmapFromMemory(
          static_cast<UINT>(dib.width), static_cast<UINT>(dib.height),
          bits == 24 ? GUID_WICPixelFormat24bppBGR : GUID_WICPixelFormat32bppBGR,
          static_cast<UINT>(dib.stride), static_cast<UINT>(rows.size()), rows.data(),
          bitmap.Put())) ||
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
      FAILED(frame->SetSize(static_cast<UINT>(dib.width), static_cast<UINT>(dib.height))) ||
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

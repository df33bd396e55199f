#include "foundation/CTImage.h"
#include "foundation/CTByteArray.h"
#include <objbase.h>
#include <ole2.h>
#include <gdiplus.h>
#include <stdlib.h>
#include <string.h>

using namespace Gdiplus;

namespace {

// GDI+ is started once for the process on first use and left running until exit: shutting it
// down from a static destructor could run after other users of it.
bool EnsureGdiplus()
{
    static const bool started = [] {
        GdiplusStartupInput input;
        input.GdiplusVersion = 1;
        input.DebugEventCallback = nullptr;
        input.SuppressBackgroundThread = FALSE;
        input.SuppressExternalCodecs = FALSE;
        ULONG_PTR token = 0;
        return GdiplusStartup(&token, &input, nullptr) == Ok;
    }();
    return started;
}

unsigned BigEndian32(const BYTE* p) { return (unsigned)p[0] << 24 | (unsigned)p[1] << 16 | (unsigned)p[2] << 8 | p[3]; }
unsigned BigEndian16(const BYTE* p) { return (unsigned)p[0] << 8 | p[1]; }
unsigned LittleEndian16(const BYTE* p) { return (unsigned)p[1] << 8 | p[0]; }
unsigned LittleEndian32(const BYTE* p) { return (unsigned)p[3] << 24 | (unsigned)p[2] << 16 | (unsigned)p[1] << 8 | p[0]; }

bool IsAcceptedSize(unsigned long long width, unsigned long long height)
{
    return width > 0 && height > 0 && width <= CTImage::kMaxSide && height <= CTImage::kMaxSide
        && width * height <= CTImage::kMaxPixels;
}

} // namespace

bool CTImage::ReadDeclaredSize(const BYTE* data, size_t size, unsigned* width, unsigned* height)
{
    static const BYTE png[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    if (size >= 24 && memcmp(data, png, 8) == 0 && memcmp(data + 12, "IHDR", 4) == 0) {
        *width = BigEndian32(data + 16);
        *height = BigEndian32(data + 20);
        return true;
    }
    if (size >= 10 && (memcmp(data, "GIF87a", 6) == 0 || memcmp(data, "GIF89a", 6) == 0)) {
        *width = LittleEndian16(data + 6);
        *height = LittleEndian16(data + 8);
        return true;
    }
    if (size >= 26 && data[0] == 'B' && data[1] == 'M') {
        unsigned headerSize = LittleEndian32(data + 14);
        if (headerSize == 12) {
            *width = LittleEndian16(data + 18);
            *height = LittleEndian16(data + 20);
        } else {
            int w = (int)LittleEndian32(data + 18), h = (int)LittleEndian32(data + 22);
            *width = w < 0 ? 0u - (unsigned)w : (unsigned)w;
            *height = h < 0 ? 0u - (unsigned)h : (unsigned)h;
        }
        return true;
    }
    if (size >= 4 && data[0] == 0xFF && data[1] == 0xD8) {
        // Walk the marker segments up to the frame header.
        size_t pos = 2;
        while (pos + 4 <= size) {
            if (data[pos] != 0xFF)
                return false;
            BYTE marker = data[pos + 1];
            if (marker == 0xFF) {   // fill byte
                ++pos;
                continue;
            }
            if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
                pos += 2;
                continue;
            }
            if (marker == 0xD9 || marker == 0xDA)
                return false;
            unsigned length = BigEndian16(data + pos + 2);
            bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
            if (frame) {
                if (pos + 9 > size)
                    return false;
                *height = BigEndian16(data + pos + 5);
                *width = BigEndian16(data + pos + 7);
                return true;
            }
            if (length < 2)
                return false;
            pos += 2 + length;
        }
    }
    return false;
}

CTImage::~CTImage()
{
    Destroy();
}

bool CTImage::Create(int width, int height, int bpp, bool hasAlphaChannel)
{
    Destroy();
    if (width <= 0 || height == 0 || (bpp != 24 && bpp != 32))
        return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bpp);
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        if (bitmap)
            DeleteObject(bitmap);
        return false;
    }
    const int rows = height < 0 ? -height : height;
    const int stride = ((width * bpp + 31) / 32) * 4;
    m_bitmap = bitmap;
    m_width = width;
    m_height = rows;
    m_bpp = bpp;
    m_hasAlpha = hasAlphaChannel && bpp == 32;
    if (height > 0) {
        // Bottom-up: the top row is the last one in memory.
        m_pitch = -stride;
        m_bits = static_cast<BYTE*>(bits) + static_cast<size_t>(stride) * (rows - 1);
    } else {
        m_pitch = stride;
        m_bits = bits;
    }
    return true;
}

void CTImage::Destroy()
{
    if (m_dc) {
        SelectObject(m_dc, m_oldBitmap);
        DeleteDC(m_dc);
        m_dc = nullptr;
        m_oldBitmap = nullptr;
        m_dcRefs = 0;
    }
    if (m_bitmap)
        DeleteObject(m_bitmap);
    m_bitmap = nullptr;
    m_bits = nullptr;
    m_width = m_height = m_bpp = m_pitch = 0;
    m_hasAlpha = false;
}

void* CTImage::GetPixelAddress(int x, int y) const
{
    return static_cast<BYTE*>(m_bits) + static_cast<ptrdiff_t>(y) * m_pitch + static_cast<ptrdiff_t>(x) * (m_bpp / 8);
}

HDC CTImage::GetDC() const
{
    if (!m_bitmap)
        return nullptr;
    if (!m_dc) {
        m_dc = CreateCompatibleDC(nullptr);
        if (!m_dc)
            return nullptr;
        m_oldBitmap = SelectObject(m_dc, m_bitmap);
    }
    ++m_dcRefs;
    return m_dc;
}

void CTImage::ReleaseDC() const
{
    if (!m_dc || --m_dcRefs > 0)
        return;
    SelectObject(m_dc, m_oldBitmap);
    DeleteDC(m_dc);
    m_dc = nullptr;
    m_oldBitmap = nullptr;
    m_dcRefs = 0;
}

bool CTImage::Draw(HDC dc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc, int hSrc) const
{
    HDC source = GetDC();
    if (!source)
        return false;
    BOOL ok;
    if (m_hasAlpha) {
        BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
        ok = AlphaBlend(dc, xDest, yDest, wDest, hDest, source, xSrc, ySrc, wSrc, hSrc, blend);
    } else {
        int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
        ok = ::StretchBlt(dc, xDest, yDest, wDest, hDest, source, xSrc, ySrc, wSrc, hSrc, SRCCOPY);
        SetStretchBltMode(dc, oldMode);
    }
    ReleaseDC();
    return ok != FALSE;
}

bool CTImage::Draw(HDC dc, const RECT& dest) const
{
    return Draw(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, 0, 0, m_width, m_height);
}

bool CTImage::Draw(HDC dc, int x, int y) const
{
    return Draw(dc, x, y, m_width, m_height, 0, 0, m_width, m_height);
}

bool CTImage::StretchBlt(HDC dc, const RECT& dest, DWORD rop) const
{
    HDC source = GetDC();
    if (!source)
        return false;
    int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    BOOL ok = ::StretchBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
                           source, 0, 0, m_width, m_height, rop);
    SetStretchBltMode(dc, oldMode);
    ReleaseDC();
    return ok != FALSE;
}

HRESULT CTImage::CreateFromGdiplusBitmap(GpBitmap* bitmap)
{
    Destroy();
    UINT width = 0, height = 0, flags = 0;
    PixelFormat format = 0;
    if (!bitmap || DllExports::GdipGetImageWidth(bitmap, &width) != Ok
        || DllExports::GdipGetImageHeight(bitmap, &height) != Ok
        || DllExports::GdipGetImagePixelFormat(bitmap, &format) != Ok)
        return E_FAIL;
    DllExports::GdipGetImageFlags(bitmap, &flags);
    if (!IsAcceptedSize(width, height))
        return E_FAIL;

    // Transparency (also through a palette) keeps an alpha channel; everything else is 24-bit.
    const bool alpha = IsAlphaPixelFormat(format) || (flags & ImageFlagsHasAlpha);
    const PixelFormat target = alpha ? PixelFormat32bppARGB : PixelFormat24bppRGB;
    // Top-down, so GDI+ writes rows with a positive stride.
    if (!Create(static_cast<int>(width), -static_cast<int>(height), alpha ? 32 : 24, alpha))
        return E_OUTOFMEMORY;

    BitmapData data{};
    data.Width = width;
    data.Height = height;
    data.Stride = m_pitch;
    data.PixelFormat = target;
    data.Scan0 = m_bits;
    GpRect rect = { 0, 0, static_cast<INT>(width), static_cast<INT>(height) };
    GpStatus status = DllExports::GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead | ImageLockModeUserInputBuf, target, &data);
    if (status == Ok)
        status = DllExports::GdipBitmapUnlockBits(bitmap, &data);
    if (status != Ok) {
        Destroy();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CTImage::LoadFromMemory(const CTByteArray& bytes)
{
    return LoadFromMemory(bytes.GetData(), bytes.GetSize());
}

HRESULT CTImage::LoadFromMemory(const void* data, size_t size)
{
    Destroy();
    if (!data || size == 0 || size > 0x7FFFFFFF)
        return E_FAIL;
    // A header that declares a huge image fails here, before the decoder allocates for it.
    unsigned declaredWidth = 0, declaredHeight = 0;
    if (ReadDeclaredSize(static_cast<const BYTE*>(data), size, &declaredWidth, &declaredHeight)
        && !IsAcceptedSize(declaredWidth, declaredHeight))
        return E_FAIL;

    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || !stream)
        return E_FAIL;
    HRESULT hr = E_FAIL;
    ULONG written = 0;
    LARGE_INTEGER start{};
    if (SUCCEEDED(stream->Write(data, static_cast<ULONG>(size), &written)) && written == size
        && SUCCEEDED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) && EnsureGdiplus()) {
        GpBitmap* bitmap = nullptr;
        if (DllExports::GdipCreateBitmapFromStream(stream, &bitmap) == Ok && bitmap) {
            hr = CreateFromGdiplusBitmap(bitmap);
            DllExports::GdipDisposeImage(bitmap);
        }
    }
    if (SUCCEEDED(hr) && m_bpp > 24)
        PremultiplyAlpha();
    if (FAILED(hr)) {
        Destroy();
        hr = E_FAIL;
    }
    stream->Release();
    return hr;
}

void CTImage::PremultiplyAlpha()
{
    if (!m_bits || m_bpp != 32)
        return;
    for (int y = 0; y < m_height; ++y) {
        BYTE* pixel = static_cast<BYTE*>(GetPixelAddress(0, y));
        for (int x = 0; x < m_width; ++x, pixel += 4) {
            const unsigned a = pixel[3];
            if (a == 255)
                continue;
            pixel[0] = static_cast<BYTE>((pixel[0] * a + 127) / 255);
            pixel[1] = static_cast<BYTE>((pixel[1] * a + 127) / 255);
            pixel[2] = static_cast<BYTE>((pixel[2] * a + 127) / 255);
        }
    }
}

#pragma once
#include <windows.h>
#include <stddef.h>

class CTByteArray;
namespace Gdiplus { class GpBitmap; }

// The system's image: a DIB section with its size, bits and a device context on demand,
// decoded from image file bytes with GDI+. 32-bit images carry premultiplied alpha, ready
// for AlphaBlend with AC_SRC_ALPHA.
class CTImage {
public:
    CTImage() = default;
    virtual ~CTImage();
    CTImage(const CTImage&) = delete;
    CTImage& operator=(const CTImage&) = delete;

    // A new DIB section of 24 or 32 bits per pixel (zero-filled). A positive height gives a
    // bottom-up image (negative pitch), a negative one a top-down image.
    bool Create(int width, int height, int bpp, bool hasAlphaChannel = false);
    void Destroy();

    bool IsNull() const { return m_bitmap == nullptr; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    int GetBPP() const { return m_bpp; }
    // Bytes from one row to the row below it; negative for bottom-up images.
    int GetPitch() const { return m_pitch; }
    // The top row.
    void* GetBits() const { return m_bits; }
    void* GetPixelAddress(int x, int y) const;
    bool HasAlphaChannel() const { return m_hasAlpha; }
    operator HBITMAP() const { return m_bitmap; }

    // A memory DC with the image selected; calls nest and each needs its ReleaseDC.
    HDC GetDC() const;
    void ReleaseDC() const;

    // Draws with per-pixel alpha when the image has an alpha channel, else copies (stretching).
    bool Draw(HDC dc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc, int hSrc) const;
    bool Draw(HDC dc, const RECT& dest) const;
    bool Draw(HDC dc, int x, int y) const;
    bool StretchBlt(HDC dc, const RECT& dest, DWORD rop = SRCCOPY) const;

    // Copies a GDI+ bitmap into a new DIB section: 32 bits with alpha when the source has
    // transparency, 24 bits otherwise.
    HRESULT CreateFromGdiplusBitmap(Gdiplus::GpBitmap* bitmap);

    // Decodes PNG, JPEG, GIF, BMP, ICO ... from memory; S_OK or E_FAIL (the image is then empty).
    HRESULT LoadFromMemory(const CTByteArray& bytes);
    HRESULT LoadFromMemory(const void* data, size_t size);

    // c = (c * a + 127) / 255 for the colour channels of every pixel whose alpha is not 255.
    void PremultiplyAlpha();

    // Largest image accepted from encoded bytes; larger declared sizes fail before decoding.
    static const unsigned kMaxSide = 0x7FFF;
    static const unsigned long long kMaxPixels = 0x4000000;
    // The size an encoded PNG, JPEG, GIF or BMP header declares; false for other or short data.
    static bool ReadDeclaredSize(const BYTE* data, size_t size, unsigned* width, unsigned* height);

private:
    HBITMAP m_bitmap = nullptr;
    void* m_bits = nullptr;   // top row
    int m_width = 0;
    int m_height = 0;
    int m_bpp = 0;
    int m_pitch = 0;
    bool m_hasAlpha = false;
    mutable HDC m_dc = nullptr;
    mutable HGDIOBJ m_oldBitmap = nullptr;
    mutable int m_dcRefs = 0;
};

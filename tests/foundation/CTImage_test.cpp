// Images from memory: PNG with alpha, 24-bit images, JPEG, bad bytes, premultiplication and drawing.
// The encoded fixtures are made at run time with GDI+.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <gdiplus.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>
#include <zlib.h>
#include "foundation/CTImage.h"

using namespace Gdiplus;

namespace {

const CLSID kPngEncoder = { 0x557CF406, 0x1A04, 0x11D3, { 0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E } };
const CLSID kJpegEncoder = { 0x557CF401, 0x1A04, 0x11D3, { 0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E } };

class GdiplusSession {
public:
    GdiplusSession()
    {
        GdiplusStartupInput input;
        GdiplusStartup(&m_token, &input, nullptr);
    }
    ~GdiplusSession() { GdiplusShutdown(m_token); }
private:
    ULONG_PTR m_token = 0;
};

struct Pixel {
    int x, y;
    ARGB argb;
};

// Encodes a small bitmap of the given format with the given pixels set.
std::vector<BYTE> Encode(int width, int height, PixelFormat format, const CLSID& encoder, const std::vector<Pixel>& pixels, ARGB fill = 0)
{
    GdiplusSession session;
    std::vector<BYTE> bytes;
    GpBitmap* bitmap = nullptr;
    if (DllExports::GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &bitmap) != Ok)
        return bytes;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            DllExports::GdipBitmapSetPixel(bitmap, x, y, fill);
    for (const Pixel& p : pixels)
        DllExports::GdipBitmapSetPixel(bitmap, p.x, p.y, p.argb);
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (DllExports::GdipSaveImageToStream(bitmap, stream, &encoder, nullptr) == Ok) {
        STATSTG stat{};
        stream->Stat(&stat, STATFLAG_NONAME);
        bytes.resize(static_cast<size_t>(stat.cbSize.QuadPart));
        LARGE_INTEGER start{};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        ULONG read = 0;
        stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
        bytes.resize(read);
    }
    stream->Release();
    DllExports::GdipDisposeImage(bitmap);
    return bytes;
}

const BYTE* PixelAt(const CTImage& image, int x, int y)
{
    return static_cast<const BYTE*>(image.GetPixelAddress(x, y));
}

} // namespace

TEST(CTImage, PngWithAlphaIsDecodedTo32BitsWithPremultipliedColours)
{
    const std::vector<BYTE> png = Encode(2, 2, PixelFormat32bppARGB, kPngEncoder, {
        { 0, 0, 0x803264C8 },   // alpha 128, red 50, green 100, blue 200
        { 1, 0, 0xFF0A141E },   // opaque
        { 0, 1, 0x00FFFFFF },   // fully transparent
        { 1, 1, 0x01FFFFFF },
    });
    ASSERT_FALSE(png.empty());

    CTImage image;
    ASSERT_EQ(S_OK, image.LoadFromMemory(png.data(), png.size()));
    EXPECT_EQ(2, image.GetWidth());
    EXPECT_EQ(2, image.GetHeight());
    EXPECT_EQ(32, image.GetBPP());
    EXPECT_TRUE(image.HasAlphaChannel());
    // Blue, green, red, alpha in memory; (200 x 128 + 127) / 255 = 100.
    const BYTE* p = PixelAt(image, 0, 0);
    EXPECT_EQ((std::vector<int>{ 100, 50, 25, 128 }), (std::vector<int>{ p[0], p[1], p[2], p[3] }));
    p = PixelAt(image, 1, 0);
    EXPECT_EQ((std::vector<int>{ 30, 20, 10, 255 }), (std::vector<int>{ p[0], p[1], p[2], p[3] }));
    p = PixelAt(image, 0, 1);
    EXPECT_EQ((std::vector<int>{ 0, 0, 0, 0 }), (std::vector<int>{ p[0], p[1], p[2], p[3] }));
    p = PixelAt(image, 1, 1);
    EXPECT_EQ((std::vector<int>{ 1, 1, 1, 1 }), (std::vector<int>{ p[0], p[1], p[2], p[3] }));
}

TEST(CTImage, OpaqueImageIsLoadedAs24BitsWithUnchangedPixels)
{
    const std::vector<BYTE> png = Encode(3, 2, PixelFormat24bppRGB, kPngEncoder, {
        { 0, 0, 0xFF3264C8 }, { 2, 1, 0xFF010203 }, { 1, 1, 0xFF808080 },
    }, 0xFFFFFFFF);
    ASSERT_FALSE(png.empty());

    CTImage image;
    ASSERT_EQ(S_OK, image.LoadFromMemory(png.data(), png.size()));
    EXPECT_EQ(3, image.GetWidth());
    EXPECT_EQ(2, image.GetHeight());
    EXPECT_EQ(24, image.GetBPP());
    EXPECT_FALSE(image.HasAlphaChannel());
    const BYTE* p = PixelAt(image, 0, 0);
    EXPECT_EQ((std::vector<int>{ 200, 100, 50 }), (std::vector<int>{ p[0], p[1], p[2] }));
    p = PixelAt(image, 2, 1);
    EXPECT_EQ((std::vector<int>{ 3, 2, 1 }), (std::vector<int>{ p[0], p[1], p[2] }));
    p = PixelAt(image, 1, 0);
    EXPECT_EQ((std::vector<int>{ 255, 255, 255 }), (std::vector<int>{ p[0], p[1], p[2] }));
}

TEST(CTImage, JpegIsDecodedTo24Bits)
{
    const std::vector<BYTE> jpeg = Encode(16, 8, PixelFormat24bppRGB, kJpegEncoder, {}, 0xFFC82828);
    ASSERT_FALSE(jpeg.empty());

    CTImage image;
    ASSERT_EQ(S_OK, image.LoadFromMemory(jpeg.data(), jpeg.size()));
    EXPECT_EQ(16, image.GetWidth());
    EXPECT_EQ(8, image.GetHeight());
    EXPECT_EQ(24, image.GetBPP());
    const BYTE* p = PixelAt(image, 7, 4);
    // Lossy: close to red 200, green 40, blue 40.
    EXPECT_NEAR(40, p[0], 16);
    EXPECT_NEAR(40, p[1], 16);
    EXPECT_NEAR(200, p[2], 16);
}

TEST(CTImage, BadBytesFailCleanlyAndLeaveTheImageEmpty)
{
    const std::vector<BYTE> png = Encode(8, 8, PixelFormat32bppARGB, kPngEncoder, { { 1, 1, 0x80FF0000 } }, 0x40102030);
    ASSERT_GT(png.size(), 60u);

    // A PNG header declaring 100000 x 100000 pixels, and a GIF declaring 65535 x 65535.
    std::vector<BYTE> huge(png);
    const BYTE side[4] = { 0x00, 0x01, 0x86, 0xA0 };
    std::copy(side, side + 4, huge.begin() + 16);
    std::copy(side, side + 4, huge.begin() + 20);
    // With its checksum mended, so that only the size is wrong.
    const uLong crc = crc32(0, huge.data() + 12, 17);
    const BYTE crcBytes[4] = { BYTE(crc >> 24), BYTE(crc >> 16), BYTE(crc >> 8), BYTE(crc) };
    std::copy(crcBytes, crcBytes + 4, huge.begin() + 29);
    std::vector<BYTE> gif = { 'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0 };
    gif.resize(64, 0);

    std::vector<BYTE> garbage(300);
    srand(7);
    for (BYTE& b : garbage)
        b = static_cast<BYTE>(rand());
    const std::vector<BYTE> truncated(png.begin(), png.begin() + png.size() / 2);
    const std::vector<BYTE> headerOnly(png.begin(), png.begin() + 33);
    const std::vector<BYTE> text = { 'h', 'e', 'l', 'l', 'o' };

    struct Case {
        const char* name;
        const std::vector<BYTE>* bytes;
    } cases[] = {
        { "garbage", &garbage }, { "truncated PNG", &truncated }, { "PNG header only", &headerOnly },
        { "huge PNG", &huge }, { "huge GIF", &gif }, { "text", &text },
    };
    for (const Case& c : cases) {
        CTImage image;
        ASSERT_EQ(S_OK, image.LoadFromMemory(png.data(), png.size()));
        EXPECT_EQ(E_FAIL, image.LoadFromMemory(c.bytes->data(), c.bytes->size())) << c.name;
        EXPECT_TRUE(image.IsNull()) << c.name;
        EXPECT_EQ(0, image.GetWidth()) << c.name;
    }
    CTImage image;
    EXPECT_EQ(E_FAIL, image.LoadFromMemory(nullptr, 0));
    EXPECT_EQ(E_FAIL, image.LoadFromMemory(png.data(), 0));
    EXPECT_TRUE(image.IsNull());
}

TEST(CTImage, ReadsTheSizeThatHeadersDeclare)
{
    const std::vector<BYTE> png = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                    0, 0, 1, 0, 0, 0, 0, 64 };
    std::vector<BYTE> bmp(30, 0);
    bmp[0] = 'B'; bmp[1] = 'M'; bmp[14] = 40; bmp[18] = 20; bmp[22] = 0xF6; bmp[23] = 0xFF; bmp[24] = 0xFF; bmp[25] = 0xFF;
    const std::vector<BYTE> gif = { 'G', 'I', 'F', '8', '7', 'a', 0x10, 0x00, 0x20, 0x00 };
    // SOI, an APP0 segment, then a baseline frame header of 48 rows by 320 columns.
    const std::vector<BYTE> jpeg = { 0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x4A, 0x46, 0xFF, 0xC0, 0x00, 0x11, 0x08,
                                     0x00, 0x30, 0x01, 0x40, 0x03 };
    struct Case {
        const char* name;
        std::vector<BYTE> bytes;
        bool known;
        unsigned width, height;
    } cases[] = {
        { "png", png, true, 256, 64 },
        { "bmp top-down", bmp, true, 20, 10 },
        { "gif", gif, true, 16, 32 },
        { "jpeg", jpeg, true, 320, 48 },
        { "short png", std::vector<BYTE>(png.begin(), png.begin() + 20), false, 0, 0 },
        { "jpeg cut in its frame header", std::vector<BYTE>(jpeg.begin(), jpeg.begin() + 14), false, 0, 0 },
        { "unknown", { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }, false, 0, 0 },
    };
    for (const Case& c : cases) {
        unsigned width = 0, height = 0;
        EXPECT_EQ(c.known, CTImage::ReadDeclaredSize(c.bytes.data(), c.bytes.size(), &width, &height)) << c.name;
        if (c.known) {
            EXPECT_EQ(c.width, width) << c.name;
            EXPECT_EQ(c.height, height) << c.name;
        }
    }
}

TEST(CTImage, PremultipliesBottomUpAndTopDownImagesAlike)
{
    for (int height : { 2, -2 }) {
        CTImage image;
        ASSERT_TRUE(image.Create(2, height, 32, true));
        EXPECT_EQ(height > 0 ? -8 : 8, image.GetPitch());
        BYTE* p = static_cast<BYTE*>(image.GetPixelAddress(1, 1));
        p[0] = 200; p[1] = 100; p[2] = 50; p[3] = 128;
        BYTE* q = static_cast<BYTE*>(image.GetPixelAddress(0, 0));
        q[0] = 200; q[1] = 100; q[2] = 50; q[3] = 255;
        image.PremultiplyAlpha();
        EXPECT_EQ((std::vector<int>{ 100, 50, 25, 128 }), (std::vector<int>{ p[0], p[1], p[2], p[3] })) << height;
        EXPECT_EQ((std::vector<int>{ 200, 100, 50, 255 }), (std::vector<int>{ q[0], q[1], q[2], q[3] })) << height;
        // Row 1 of a bottom-up image is the first row in memory.
        BITMAP info{};
        GetObjectW(static_cast<HBITMAP>(image), sizeof(info), &info);
        const BYTE* memory = static_cast<const BYTE*>(info.bmBits);
        EXPECT_EQ(height > 0 ? memory + 4 : memory + 12, p) << height;
    }
}

TEST(CTImage, DrawBlendsPerPixelAlphaAndCopiesOpaqueImages)
{
    // A white 32-bit target.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = -1;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(nullptr, target);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    memset(bits, 0xFF, 16);

    CTImage blended;
    ASSERT_TRUE(blended.Create(1, 1, 32, true));
    BYTE* p = static_cast<BYTE*>(blended.GetBits());
    p[0] = 200; p[1] = 100; p[2] = 50; p[3] = 128;
    blended.PremultiplyAlpha();
    EXPECT_TRUE(blended.Draw(dc, 0, 0));

    CTImage opaque;
    ASSERT_TRUE(opaque.Create(1, 1, 24));
    p = static_cast<BYTE*>(opaque.GetBits());
    p[0] = 1; p[1] = 2; p[2] = 3;
    RECT dest = { 2, 0, 4, 1 };
    EXPECT_TRUE(opaque.Draw(dc, dest));
    GdiFlush();

    const BYTE* out = static_cast<const BYTE*>(bits);
    // Source over white: premultiplied colour + 255 x (255 - 128) / 255.
    EXPECT_NEAR(100 + 127, out[0], 2);
    EXPECT_NEAR(50 + 127, out[1], 2);
    EXPECT_NEAR(25 + 127, out[2], 2);
    EXPECT_EQ((std::vector<int>{ 255, 255, 255 }), (std::vector<int>{ out[4], out[5], out[6] }));
    EXPECT_EQ((std::vector<int>{ 1, 2, 3, 1, 2, 3 }), (std::vector<int>{ out[8], out[9], out[10], out[12], out[13], out[14] }));

    // The image's own DC nests and the bitmap survives it.
    HDC first = opaque.GetDC();
    EXPECT_EQ(first, opaque.GetDC());
    opaque.ReleaseDC();
    opaque.ReleaseDC();
    EXPECT_FALSE(opaque.IsNull());

    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(target);
}

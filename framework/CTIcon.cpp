#include "framework/CTIcon.h"

#include <commctrl.h>

#include <vector>

#include "framework/CTColour.h"
#include "framework/CTApp.h"

namespace {

BITMAPINFO Info32(int cx, int cy)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = -cy; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// An icon's colour and mask as top-down 32-bit pixels; a mask pixel of 0 is opaque.
struct IconPixels {
    ICONINFO ii = {};
    int cx = 0;
    int cy = 0;
    int depth = 0;
    std::vector<DWORD> colour;
    std::vector<DWORD> mask;

    ~IconPixels()
    {
        if (ii.hbmColor)
            DeleteObject(ii.hbmColor);
        if (ii.hbmMask)
            DeleteObject(ii.hbmMask);
    }

    bool Read(HICON icon)
    {
        if (!icon || !GetIconInfo(icon, &ii) || !ii.hbmColor || !ii.hbmMask)
            return false;
        BITMAP bm = {};
        if (!GetObjectW(ii.hbmColor, sizeof(bm), &bm))
            return false;
        cx = bm.bmWidth;
        cy = bm.bmHeight;
        depth = bm.bmBitsPixel * bm.bmPlanes;
        colour.assign(size_t(cx) * cy, 0);
        mask.assign(size_t(cx) * cy, 0);
        BITMAPINFO info = Info32(cx, cy);
        HDC dc = GetDC(nullptr);
        bool ok = GetDIBits(dc, ii.hbmColor, 0, cy, colour.data(), &info, DIB_RGB_COLORS) == cy;
        info = Info32(cx, cy);
        ok = ok && GetDIBits(dc, ii.hbmMask, 0, cy, mask.data(), &info, DIB_RGB_COLORS) == cy;
        ReleaseDC(nullptr, dc);
        return ok;
    }

    bool Opaque(size_t i) const { return (mask[i] & 0xFFFFFF) == 0; }

    bool HasAlpha() const
    {
        if (depth != 32)
            return false;
        for (DWORD p : colour)
            if (p & 0xFF000000)
                return true;
        return false;
    }

    // Pixels with an alpha that says what the mask says, for icons that carry none of their own.
    void NormaliseAlpha()
    {
        if (HasAlpha())
            return;
        for (size_t i = 0; i < colour.size(); ++i)
            colour[i] = (colour[i] & 0xFFFFFF) | (Opaque(i) ? 0xFF000000 : 0);
    }

    // Writes the changed colour pixels back into the icon's own colour bitmap.
    bool WriteColour()
    {
        BITMAPINFO info = Info32(cx, cy);
        HDC dc = GetDC(nullptr);
        bool ok = SetDIBits(dc, ii.hbmColor, 0, cy, colour.data(), &info, DIB_RGB_COLORS) == cy;
        ReleaseDC(nullptr, dc);
        return ok;
    }
};

// A 32-bit DIB section holding the pixels.
HBITMAP ColourBitmap(int cx, int cy, const std::vector<DWORD>& pixels)
{
    BITMAPINFO info = Info32(cx, cy);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap)
        memcpy(bits, pixels.data(), pixels.size() * sizeof(DWORD));
    return bitmap;
}

// A monochrome mask: transparent[i] sets the bit (white).
HBITMAP MaskBitmap(int cx, int cy, const std::vector<bool>& transparent)
{
    int stride = ((cx + 15) / 16) * 2; // CreateBitmap rows are WORD-aligned
    std::vector<BYTE> bits(size_t(stride) * cy, 0);
    for (int y = 0; y < cy; ++y)
        for (int x = 0; x < cx; ++x)
            if (transparent[size_t(y) * cx + x])
                bits[size_t(y) * stride + x / 8] |= BYTE(0x80 >> (x % 8));
    return CreateBitmap(cx, cy, 1, 1, bits.data());
}

HICON MakeIcon(const ICONINFO& like, HBITMAP colour, HBITMAP mask)
{
    ICONINFO ii = like;
    ii.hbmColor = colour;
    ii.hbmMask = mask;
    HICON icon = (colour && mask) ? CreateIconIndirect(&ii) : nullptr;
    if (colour)
        DeleteObject(colour);
    if (mask)
        DeleteObject(mask);
    return icon;
}

BYTE Cap(int v)
{
    return static_cast<BYTE>(v > 255 ? 255 : v);
}

} // namespace

CTIcon::CTIcon(HICON owned) : icon(owned)
{
    ReadSize();
}

CTIcon::CTIcon(UINT id, int size)
{
    LoadFromExe(id, size);
}

CTIcon::CTIcon(const CTIcon& other)
{
    if (other.icon) {
        icon = CopyIcon(other.icon);
        width = other.width;
        height = other.height;
    }
}

CTIcon& CTIcon::Assign(const CTIcon& other)
{
    if (this == &other)
        return *this;
    Free();
    if (other.icon) {
        icon = CopyIcon(other.icon);
        width = other.width;
        height = other.height;
    }
    return *this;
}

void CTIcon::Free()
{
    if (icon)
        DestroyIcon(icon);
    icon = nullptr;
    width = height = 0;
}

void CTIcon::Detach()
{
    icon = nullptr;
    width = height = 0;
}

bool CTIcon::Attach(HICON owned, int size)
{
    Free();
    icon = owned;
    if (size) {
        width = height = size;
    } else {
        ReadSize();
    }
    return true;
}

bool CTIcon::SetCopy(HICON source)
{
    if (!source)
        return false;
    Free();
    icon = CopyIcon(source);
    ReadSize();
    return icon != nullptr;
}

void CTIcon::ReadSize()
{
    width = height = 0;
    ICONINFO ii = {};
    if (!icon || !GetIconInfo(icon, &ii))
        return;
    BITMAP bm = {};
    if (ii.hbmColor && GetObjectW(ii.hbmColor, sizeof(bm), &bm)) {
        width = bm.bmWidth;
        height = bm.bmHeight;
    } else if (ii.hbmMask && GetObjectW(ii.hbmMask, sizeof(bm), &bm)) {
        width = bm.bmWidth;
        height = bm.bmHeight / 2; // a monochrome icon stacks its AND and XOR masks
    }
    if (ii.hbmColor)
        DeleteObject(ii.hbmColor);
    if (ii.hbmMask)
        DeleteObject(ii.hbmMask);
}

namespace {
// The system's scale-down loader, found in comctl32 for this one call.
HICON LoadScaledDown(HMODULE module, UINT id, int cx, int cy)
{
    using Fn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);
    HICON icon = nullptr;
    if (HMODULE comctl = LoadLibraryW(L"Comctl32.dll")) {
        auto fn =
            reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(comctl, "LoadIconWithScaleDown")));
        if (fn && FAILED(fn(module, MAKEINTRESOURCEW(id), cx, cy, &icon)))
            icon = nullptr;
        FreeLibrary(comctl);
    }
    return icon;
}
} // namespace

bool CTIcon::Load(UINT id, int cx, int cy)
{
    Free();
    HMODULE module = CTApp::Instance()->FindResourceModule(RT_GROUP_ICON, MAKEINTRESOURCEW(id));
    icon = LoadScaledDown(module, id, cx, cy);
    if (!icon)
        icon =
            static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, LR_DEFAULTSIZE));
    ReadSize();
    return true;
}

bool CTIcon::LoadFromExe(UINT id, int size)
{
    Free();
    HMODULE module = GetModuleHandleW(nullptr);
    icon = LoadScaledDown(module, id, size, size);
    if (!icon)
        icon =
            static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED));
    if (!icon)
        return false;
    width = height = size;
    return true;
}

bool CTIcon::LoadSmall(HMODULE module, LPCWSTR name)
{
    Free();
    icon = static_cast<HICON>(LoadImageW(module ? module : GetModuleHandleW(nullptr), name, IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                         LR_DEFAULTCOLOR));
    ReadSize();
    return icon != nullptr;
}

bool CTIcon::LoadStandardIcon(int kind)
{
    UINT id = 0;
    LPCWSTR fallback = nullptr;
    switch (kind) {
    case 23:
        id = 102;
        break;
    case 97:
        id = 106;
        break;
    case 99:
        id = 101;
        fallback = IDI_WARNING;
        break;
    case 100:
        id = 104;
        fallback = IDI_INFORMATION;
        break;
    case 101:
        id = 103;
        fallback = IDI_ERROR;
        break;
    default:
        return false;
    }
    Free();
    HMODULE library =
        LoadLibraryExW(L"user32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE | DONT_RESOLVE_DLL_REFERENCES);
    HMODULE module = library ? library : GetModuleHandleW(nullptr);
    icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    if (library)
        FreeLibrary(library);
    if (icon) {
        ReadSize();
    } else if (fallback) {
        icon = static_cast<HICON>(LoadImageW(nullptr, fallback, IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_SHARED));
        if (icon) {
            width = GetSystemMetrics(SM_CXICON);
            height = GetSystemMetrics(SM_CYICON);
        }
    }
    return icon != nullptr;
}

bool CTIcon::CenterInSize(int cx, int cy)
{
    IconPixels old;
    if (!old.Read(icon) || cx <= 0 || cy <= 0)
        return false;
    old.NormaliseAlpha();
    std::vector<DWORD> colour(size_t(cx) * cy, 0);
    std::vector<bool> transparent(size_t(cx) * cy, true);
    int ox = (cx - old.cx) / 2, oy = (cy - old.cy) / 2;
    for (int y = 0; y < old.cy; ++y)
        for (int x = 0; x < old.cx; ++x) {
            int tx = x + ox, ty = y + oy;
            if (tx < 0 || ty < 0 || tx >= cx || ty >= cy)
                continue;
            size_t from = size_t(y) * old.cx + x, to = size_t(ty) * cx + tx;
            colour[to] = old.colour[from];
            transparent[to] = !old.Opaque(from);
        }
    HICON made = MakeIcon(old.ii, ColourBitmap(cx, cy, colour), MaskBitmap(cx, cy, transparent));
    if (!made)
        return false;
    Free();
    icon = made;
    width = cx;
    height = cy;
    return true;
}

bool CTIcon::Overlay(const CTIcon& other)
{
    IconPixels base, top;
    if (!base.Read(icon) || !top.Read(other.icon))
        return false;
    base.NormaliseAlpha();
    top.NormaliseAlpha();
    std::vector<bool> transparent(base.colour.size());
    for (size_t i = 0; i < transparent.size(); ++i)
        transparent[i] = !base.Opaque(i);
    for (int y = 0; y < top.cy && y < base.cy; ++y)
        for (int x = 0; x < top.cx && x < base.cx; ++x) {
            size_t t = size_t(y) * top.cx + x, b = size_t(y) * base.cx + x;
            if (!top.Opaque(t))
                continue;
            DWORD src = top.colour[t], dst = base.colour[b];
            int a = src >> 24, da = dst >> 24;
            int outA = a + da * (255 - a) / 255;
            DWORD out = DWORD(outA) << 24;
            for (int shift = 0; shift <= 16; shift += 8) {
                int sc = (src >> shift) & 0xFF, dc = (dst >> shift) & 0xFF;
                int v = outA ? (sc * a + dc * da * (255 - a) / 255) / outA : 0;
                out |= DWORD(Cap(v)) << shift;
            }
            base.colour[b] = out;
            transparent[b] = false;
        }
    HICON made = MakeIcon(base.ii, ColourBitmap(base.cx, base.cy, base.colour),
                          MaskBitmap(base.cx, base.cy, transparent));
    if (!made)
        return false;
    Free();
    icon = made;
    ReadSize();
    return true;
}

namespace {
template <typename Change> bool ApplyToOpaque(CTIcon& holder, Change change)
{
    IconPixels px;
    if (!px.Read(holder.icon))
        return false;
    for (size_t i = 0; i < px.colour.size(); ++i)
        if (px.Opaque(i))
            px.colour[i] = (px.colour[i] & 0xFF000000) | (change(px.colour[i]) & 0xFFFFFF);
    if (!px.WriteColour())
        return false;
    HICON made = CreateIconIndirect(&px.ii);
    if (!made)
        return false;
    holder.Attach(made);
    return true;
}

DWORD Pixel(int r, int g, int b)
{
    return (DWORD(r) << 16) | (DWORD(g) << 8) | DWORD(b);
}
} // namespace

bool CTIcon::Tint(COLORREF colour)
{
    BYTE rgb[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)}, hue, lightness, saturation;
    RgbToHls(rgb, &hue, &lightness, &saturation);
    return ApplyToOpaque(*this, [&](DWORD p) {
        int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        int mx = r > g ? (r > b ? r : b) : (g > b ? g : b);
        int mn = r < g ? (r < b ? r : b) : (g < b ? g : b);
        COLORREF out = 0;
        HlsToRgb(&out, hue, (mn + mx + 1) / 2, saturation);
        return Pixel(GetRValue(out), GetGValue(out), GetBValue(out));
    });
}

bool CTIcon::Lighten()
{
    return ApplyToOpaque(*this, [](DWORD p) {
        return Pixel(Cap(((p >> 16) & 0xFF) + 70), Cap(((p >> 8) & 0xFF) + 70), Cap((p & 0xFF) + 50));
    });
}

bool CTIcon::Colorize(COLORREF colour)
{
    return ApplyToOpaque(
        *this, [&](DWORD) { return Pixel(GetRValue(colour), GetGValue(colour), GetBValue(colour)); });
}

#pragma once
#include <windows.h>

// Owns one HICON with its pixel size; loads icons at any size and derives new icons from it.
// Every effect changes only opaque pixels (mask bit 0) and keeps each pixel's alpha.
struct CTIcon {
    int width = 0;
    int height = 0;
    HICON icon = nullptr;

    CTIcon() = default;
    explicit CTIcon(HICON owned);
    CTIcon(UINT id, int size);
    CTIcon(const CTIcon& other);
    CTIcon& operator=(const CTIcon& other) { return Assign(other); }
    ~CTIcon() { Free(); }

    CTIcon& Assign(const CTIcon& other);
    void Free();
    void Detach();
    bool Attach(HICON owned, int size = 0);
    bool SetCopy(HICON source);
    HICON GetHandle() const { return icon; }
    bool IsValid() const { return icon != nullptr; }

    bool Load(UINT id, int cx, int cy);
    bool LoadFromExe(UINT id, int size);
    bool LoadSmall(HMODULE module, LPCWSTR name);
    bool LoadStandardIcon(int kind);

    bool CenterInSize(int cx, int cy);
    bool Overlay(const CTIcon& other);
    bool Tint(COLORREF colour);
    bool Lighten();
    bool Colorize(COLORREF colour);

private:
    void ReadSize();
};

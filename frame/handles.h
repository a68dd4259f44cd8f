// Small owners for what Win32 and the C runtime hand out, so that every
// handle, font, DC and allocation is released on every path. None of them can
// be copied.
#ifndef ORTK232_FRAME_HANDLES_H
#define ORTK232_FRAME_HANDLES_H

#include <windows.h>

#include <cstdio>
#include <cstdlib>

// Common shape: owns a value, releases it with Release unless it is Invalid.
template <class T, class Traits> class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle &) = delete;
    UniqueHandle &operator=(const UniqueHandle &) = delete;

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }
    void reset(T value = Traits::Invalid()) {
        if (value_ != Traits::Invalid())
            Traits::Release(value_);
        value_ = value;
    }
    T release() {
        T value = value_;
        value_ = Traits::Invalid();
        return value;
    }

  private:
    T value_ = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Release(HANDLE h) { CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Release(HANDLE h) { FindClose(h); }
};
template <class Object> struct GdiObjectTraits {
    static Object Invalid() { return nullptr; }
    static void Release(Object o) { DeleteObject(o); }
};
struct MemoryDCTraits {
    static HDC Invalid() { return nullptr; }
    static void Release(HDC dc) { DeleteDC(dc); }
};
struct RegKeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Release(HKEY key) { RegCloseKey(key); }
};
struct FileTraits {
    static FILE *Invalid() { return nullptr; }
    static void Release(FILE *file) { std::fclose(file); }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Release(HICON icon) { DestroyIcon(icon); }
};

using ScopedHandle = UniqueHandle<HANDLE, KernelHandleTraits>;   // CreateFile
using ScopedFindHandle = UniqueHandle<HANDLE, FindHandleTraits>; // FindFirstFile
using ScopedFont = UniqueHandle<HFONT, GdiObjectTraits<HFONT>>;  // CreateFont
using ScopedBitmap = UniqueHandle<HBITMAP, GdiObjectTraits<HBITMAP>>;
using ScopedMemoryDC = UniqueHandle<HDC, MemoryDCTraits>; // CreateCompatibleDC
using ScopedRegKey = UniqueHandle<HKEY, RegKeyTraits>;    // RegOpenKeyEx
using ScopedFile = UniqueHandle<FILE *, FileTraits>;      // fopen
using ScopedIcon = UniqueHandle<HICON, IconTraits>;       // LoadImage(IMAGE_ICON)

// A block from malloc, released with free.
template <class T> class ScopedMalloc {
  public:
    explicit ScopedMalloc(T *block) : block_(block) {}
    ~ScopedMalloc() { std::free(block_); }
    ScopedMalloc(const ScopedMalloc &) = delete;
    ScopedMalloc &operator=(const ScopedMalloc &) = delete;
    T *get() const { return block_; }
    explicit operator bool() const { return block_ != nullptr; }

  private:
    T *block_;
};

// A window's device context from GetDC, given back with ReleaseDC.
class ScopedGetDC {
  public:
    explicit ScopedGetDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~ScopedGetDC() {
        if (dc_ != nullptr)
            ReleaseDC(window_, dc_);
    }
    ScopedGetDC(const ScopedGetDC &) = delete;
    ScopedGetDC &operator=(const ScopedGetDC &) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC and selects the previous one back.
class ScopedSelectObject {
  public:
    ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~ScopedSelectObject() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    ScopedSelectObject(const ScopedSelectObject &) = delete;
    ScopedSelectObject &operator=(const ScopedSelectObject &) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// Sets a DC's text and background colours and restores both.
class ScopedTextColors {
  public:
    ScopedTextColors(HDC dc, COLORREF text, COLORREF background)
        : dc_(dc), text_(SetTextColor(dc, text)), background_(SetBkColor(dc, background)) {}
    ~ScopedTextColors() {
        SetTextColor(dc_, text_);
        SetBkColor(dc_, background_);
    }
    ScopedTextColors(const ScopedTextColors &) = delete;
    ScopedTextColors &operator=(const ScopedTextColors &) = delete;

  private:
    HDC dc_;
    COLORREF text_;
    COLORREF background_;
};

#endif

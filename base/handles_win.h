// Owning types for the system's handles: each closes its handle when it goes, so no path
// out of a function (an early return, a thrown allocation failure) leaves one open, and
// no destructor is written by hand for it.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <utility>

namespace korvel {

// `Traits` gives the handle type, its empty value and how it is closed.
template <typename Traits>
class Owned {
 public:
  using Handle = typename Traits::Handle;

  Owned() = default;
  explicit Owned(Handle h) : h_(h) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : h_(other.Release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle Get() const { return h_; }
  // The handle is lent to calls that take it; ownership stays here.
  operator Handle() const { return h_; }
  explicit operator bool() const { return Traits::Valid(h_); }

  // Closes the handle held and keeps `h` instead.
  void Reset(Handle h = Traits::Empty()) {
    Handle old = std::exchange(h_, h);
    if (Traits::Valid(old)) Traits::Close(old);
  }
  Handle Release() { return std::exchange(h_, Traits::Empty()); }
  // For calls that hand a new handle out through a pointer: the one held is closed first.
  Handle* Put() {
    Reset();
    return &h_;
  }

 private:
  Handle h_ = Traits::Empty();
};

namespace handle_traits {

// Handles that say "none" with null.
template <typename T>
struct NullIsEmpty {
  using Handle = T;
  static Handle Empty() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
};

// Kernel handles: CreateFile says "none" with INVALID_HANDLE_VALUE, the rest with null.
struct Kernel : NullIsEmpty<HANDLE> {
  static bool Valid(Handle h) { return h && h != INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { CloseHandle(h); }
};
struct Key : NullIsEmpty<HKEY> {
  static void Close(Handle h) { RegCloseKey(h); }
};
template <typename T>
struct Gdi : NullIsEmpty<T> {
  static void Close(T h) { DeleteObject(h); }
};
struct MenuHandle : NullIsEmpty<HMENU> {
  static void Close(Handle h) { DestroyMenu(h); }
};
struct Accelerators : NullIsEmpty<HACCEL> {
  static void Close(Handle h) { DestroyAcceleratorTable(h); }
};
struct IconHandle : NullIsEmpty<HICON> {
  static void Close(Handle h) { DestroyIcon(h); }
};
struct Images : NullIsEmpty<HIMAGELIST> {
  static void Close(Handle h) { ImageList_Destroy(h); }
};
struct MemoryDc : NullIsEmpty<HDC> {
  static void Close(Handle h) { DeleteDC(h); }
};

}  // namespace handle_traits

using UniqueHandle = Owned<handle_traits::Kernel>;
using RegKey = Owned<handle_traits::Key>;
using Font = Owned<handle_traits::Gdi<HFONT>>;
using Brush = Owned<handle_traits::Gdi<HBRUSH>>;
using Bitmap = Owned<handle_traits::Gdi<HBITMAP>>;
using Menu = Owned<handle_traits::MenuHandle>;
using AcceleratorTable = Owned<handle_traits::Accelerators>;
using Icon = Owned<handle_traits::IconHandle>;
using ImageList = Owned<handle_traits::Images>;
// A device context made with CreateCompatibleDC.
using MemoryDc = Owned<handle_traits::MemoryDc>;

// The device context of a window (or of the screen, for nullptr), given back on leaving.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context for a while: the one it replaced goes back in
// on leaving, so the object can be deleted after.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() {
    if (old_) SelectObject(dc_, old_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// BeginPaint and EndPaint around a window's painting.
class PaintScope {
 public:
  explicit PaintScope(HWND window) : window_(window), dc_(BeginPaint(window, &ps_)) {}
  ~PaintScope() { EndPaint(window_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

}  // namespace korvel

// The main window's image lists, drawn at 16, 24 or 32 pixels a side to suit the
// window's DPI.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace korvel {

// The image size for `dpi`: 16 up to 143 DPI, 24 up to 191, 32 from 192 (200 %) on.
int ImageSizeFor(UINT dpi);

struct ImageLists {
  ImageLists() = default;
  ImageLists(const ImageLists&) = delete;
  ImageLists& operator=(const ImageLists&) = delete;
  ImageLists(ImageLists&& other) noexcept;
  ImageLists& operator=(ImageLists&& other) noexcept;
  ~ImageLists() { Free(); }

  HIMAGELIST ImageListToolBar = nullptr;      // 21 command images
  HIMAGELIST ImageListToolBarGrey = nullptr;  // the same, for disabled commands
  HIMAGELIST ImageListAdr = nullptr;          // 4 node kinds
  HIMAGELIST ImageListLog = nullptr;          // failure, success
  HIMAGELIST ImageListIcon = nullptr;         // the tray icon
  int size = 16;

  // Loads every list at the size for `dpi`.
  void Load(UINT dpi);
  void Free();
};

}  // namespace korvel

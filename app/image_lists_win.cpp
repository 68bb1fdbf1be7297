// The image lists from the strips in the resources, in the size the DPI asks for, and a
// grey copy of the toolbar's for its disabled buttons.
#include "app/image_lists_win.h"

#include <utility>

#include "base/dpi_win.h"
#include "base/handles_win.h"
#include "res/resource.h"

namespace korvel {

namespace {

// Each strip comes at 16 pixels under its own id, at 24 under id + 10, at 32 under id + 20.
int StripId(int id16, int size) { return size == 16 ? id16 : size == 24 ? id16 + 10 : id16 + 20; }

HIMAGELIST LoadStrip(int id16, int count, int size) {
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0);
  const Bitmap bmp(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                                   MAKEINTRESOURCEW(StripId(id16, size)),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (bmp) ImageList_Add(list, bmp, nullptr);
  return list;
}

HIMAGELIST GreyCopy(HIMAGELIST source, int size) {
  int count = ImageList_GetImageCount(source);
  HIMAGELIST grey = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0);
  for (int i = 0; i < count; ++i) {
    IMAGEINFO info{};
    ImageList_GetImageInfo(source, i, &info);
    DIBSECTION ds{};
    if (!GetObjectW(info.hbmImage, sizeof ds, &ds) || ds.dsBm.bmBitsPixel != 32) break;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const Bitmap copy(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    auto* out = static_cast<BYTE*>(bits);
    auto* in = static_cast<const BYTE*>(ds.dsBm.bmBits);
    const int stride = ds.dsBm.bmWidthBytes;
    const bool bottomUp = ds.dsBmih.biHeight > 0;
    for (int y = 0; y < size; ++y) {
      int srcRow = info.rcImage.top + y;
      if (bottomUp) srcRow = ds.dsBm.bmHeight - 1 - srcRow;
      const BYTE* s = in + srcRow * stride + info.rcImage.left * 4;
      BYTE* d = out + y * size * 4;
      for (int x = 0; x < size; ++x, s += 4, d += 4) {
        BYTE lum = static_cast<BYTE>((s[2] * 30 + s[1] * 59 + s[0] * 11) / 100);
        BYTE light = static_cast<BYTE>(lum + (255 - lum) / 2);
        d[0] = d[1] = d[2] = s[3] ? light : 0;
        d[3] = s[3];
      }
    }
    ImageList_Add(grey, copy, nullptr);
  }
  return grey;
}

}  // namespace

int ImageSizeFor(UINT dpi) {
  int wanted = Scale(16, dpi);
  return wanted >= 32 ? 32 : wanted >= 24 ? 24 : 16;
}

ImageLists::ImageLists(ImageLists&& other) noexcept { *this = std::move(other); }

ImageLists& ImageLists::operator=(ImageLists&& other) noexcept {
  if (this == &other) return *this;
  Free();
  for (auto [to, from] : {std::pair{&ImageListToolBar, &other.ImageListToolBar},
                          {&ImageListToolBarGrey, &other.ImageListToolBarGrey},
                          {&ImageListAdr, &other.ImageListAdr},
                          {&ImageListLog, &other.ImageListLog},
                          {&ImageListIcon, &other.ImageListIcon}})
    *to = std::exchange(*from, nullptr);
  size = other.size;
  return *this;
}

void ImageLists::Load(UINT dpi) {
  Free();
  size = ImageSizeFor(dpi);
  ImageListToolBar = LoadStrip(IDB_TOOLBAR, 21, size);
  ImageListToolBarGrey = GreyCopy(ImageListToolBar, size);
  ImageListAdr = LoadStrip(IDB_NODES, 4, size);
  ImageListLog = LoadStrip(IDB_LOG, 2, size);
  ImageListIcon = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 1, 0);
  const Icon icon(static_cast<HICON>(LoadImageW(
      GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_KORVEL), IMAGE_ICON, size, size, 0)));
  ImageList_AddIcon(ImageListIcon, icon);
}

void ImageLists::Free() {
  for (HIMAGELIST* l :
       {&ImageListToolBar, &ImageListToolBarGrey, &ImageListAdr, &ImageListLog, &ImageListIcon}) {
    if (*l) ImageList_Destroy(*l);
    *l = nullptr;
  }
}

}  // namespace korvel

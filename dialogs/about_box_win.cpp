// The about box: its controls stand where the layout table puts them, at 96 DPI scaled
// to the box's DPI, over a background drawn for that DPI (or the nearest larger one).
// The labels are transparent: the box paints the picture and the labels their texts.
#include "dialogs/about_box_win.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>

#include "base/controls_win.h"
#include "base/dpi_win.h"
#include "base/handles_win.h"
#include "base/string_table.h"
#include "base/text_win.h"
#include "base/version_win.h"
#include "res/resource.h"

namespace korvel {

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 255;
constexpr int kBannerWidth = 88;
constexpr int kBannerHeight = 31;

// Every control's place at 96 DPI. Single-line labels widen to their text.
constexpr Dialog::Place kPlaces[] = {
    {IDC_ABOUT_LABEL1, 151, 26, 85, 25},   {IDC_ABOUT_IMAGE2, 277, 192, 88, 31},
    {IDC_ABOUT_LABEL3, 96, 194, 165, 26},  {IDC_ABOUT_LHOME, 274, 72, 89, 13},
    {IDC_ABOUT_LMAIL, 255, 117, 108, 13},  {IDC_ABOUT_IMAGE3, 5, 4, 65, 15},
    {IDC_ABOUT_LFORUM, 244, 162, 120, 13}, {IDC_ABOUT_LABEL4, 96, 72, 160, 13},
    {IDC_ABOUT_LABEL5, 96, 91, 169, 41},   {IDC_ABOUT_LABEL6, 96, 136, 161, 41},
    {IDC_ABOUT_LABEL7, 201, 206, 73, 13},  {IDC_ABOUT_IMAGE4, 360, 6, 15, 14},
    {IDC_ABOUT_LABEL2, 212, 238, 164, 13},
};

constexpr int kLinks[] = {IDC_ABOUT_LHOME, IDC_ABOUT_LMAIL, IDC_ABOUT_LFORUM, IDC_ABOUT_LABEL7};
constexpr int kHandCursor[] = {IDC_ABOUT_IMAGE2, IDC_ABOUT_LHOME,  IDC_ABOUT_LMAIL,
                               IDC_ABOUT_IMAGE3, IDC_ABOUT_LFORUM, IDC_ABOUT_LABEL7,
                               IDC_ABOUT_IMAGE4};
// Single-line labels, as wide as their text.
constexpr int kOneLine[] = {IDC_ABOUT_LABEL1, IDC_ABOUT_LABEL4, IDC_ABOUT_LABEL2};
// Each link carries on the sentence of a label, on its last line: those of the right-hand
// column keep their right edge, the hosting link its left one.
struct LinkAfter {
  int link, label;
  bool keepsRight;
};
constexpr LinkAfter kLinksAfter[] = {
    {IDC_ABOUT_LHOME, IDC_ABOUT_LABEL4, true},
    {IDC_ABOUT_LMAIL, IDC_ABOUT_LABEL5, true},
    {IDC_ABOUT_LFORUM, IDC_ABOUT_LABEL6, true},
    {IDC_ABOUT_LABEL7, IDC_ABOUT_LABEL3, false},
};

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)), L'\0');
  GetWindowTextW(control, text.data(), static_cast<int>(text.size() + 1));
  return text;
}

// A control's text measured in its own font.
class Measure {
 public:
  explicit Measure(HWND control) : dc_(control), font_(dc_.Get(), FontOf(control)) {
    TEXTMETRICW tm{};
    GetTextMetricsW(dc_.Get(), &tm);
    lineHeight = tm.tmHeight;
    // A glyph may reach past its advance (an italic or a bitmap font's last column).
    slack = std::max<int>(tm.tmOverhang, (tm.tmHeight + 7) / 8);
  }
  int Width(std::wstring_view text) const {
    SIZE size{};
    GetTextExtentPoint32W(dc_.Get(), text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  // The lines `text` takes in `width`, wrapped as a label wraps it.
  int Lines(std::wstring_view text, int width) const {
    RECT r{0, 0, width, 0};
    DrawTextW(dc_.Get(), text.data(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    return lineHeight > 0 ? std::max(1, static_cast<int>((r.bottom + lineHeight - 1) / lineHeight))
                          : 1;
  }

  int lineHeight = 0;
  int slack = 0;

 private:
  WindowDc dc_;
  Selection font_;
};

// How a label's text runs in `width`: its lines, and the width of the last one. The last
// line begins with the first word that brings the text to its full number of lines. Words
// end at blanks only: where the label also breaks after a hyphen, the last line found is
// longer than the one shown, never shorter.
struct Run {
  int lines = 1;
  int lastLineWidth = 0;
};

Run RunOf(const Measure& m, std::wstring_view text, int width) {
  Run run;
  run.lines = m.Lines(text, width);
  size_t start = 0;
  for (size_t at = 0; at < text.size();) {
    size_t end = std::min(text.find(L' ', at), text.size());
    if (m.Lines(text.substr(0, end), width) == run.lines) {
      start = at;
      break;
    }
    at = end + 1;
  }
  std::wstring_view last = text.substr(start);
  last = last.substr(0, last.find_last_not_of(L' ') + 1);
  run.lastLineWidth = m.Width(last);
  return run;
}

RECT RectIn(HWND parent, HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void MoveTo(HWND control, const RECT& r) {
  SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT MakeFont(int height96, UINT dpi, int weight, bool underline, const wchar_t* face) {
  return CreateFontW(-Scale(height96, dpi), 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE,
                     RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, face);
}

using Microsoft::WRL::ComPtr;

HBITMAP DecodePng(const void* bytes, DWORD size) {
  ComPtr<IWICImagingFactory> factory;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> pixels;
  UINT width = 0, height = 0;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory,
                              reinterpret_cast<void**>(factory.GetAddressOf()))) ||
      FAILED(factory->CreateStream(stream.GetAddressOf())) ||
      FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(bytes)), size)) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.GetAddressOf())) ||
      FAILED(decoder->GetFrame(0, frame.GetAddressOf())) ||
      FAILED(factory->CreateFormatConverter(pixels.GetAddressOf())) ||
      FAILED(pixels->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone,
                                nullptr, 0.0, WICBitmapPaletteTypeCustom)) ||
      FAILED(pixels->GetSize(&width, &height)))
    return nullptr;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC gives the rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib) return nullptr;
  const UINT stride = width * 4;
  if (FAILED(pixels->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits))))
    return nullptr;
  return dib.Release();
}

// The picture drawn for 96 or 192 DPI, whichever is nearer, brought to width x height:
// from the larger drawing above 100 %, so that 150 % is a reduction and stays sharp.
HBITMAP PictureFor(UINT dpi, int id96, int width, int height) {
  Bitmap source(LoadPngPicture(dpi <= 96 ? id96 : id96 + 1));
  if (!source) return nullptr;
  BITMAP bm{};
  GetObjectW(source, sizeof bm, &bm);
  if (bm.bmWidth == width && bm.bmHeight == height) return source.Release();

  const WindowDc screen(nullptr);
  Bitmap sized(CreateCompatibleBitmap(screen.Get(), width, height));
  const MemoryDc from(CreateCompatibleDC(screen.Get())), to(CreateCompatibleDC(screen.Get()));
  {
    const Selection fromPicture(from, source), toPicture(to, sized);
    SetStretchBltMode(to, HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    StretchBlt(to, 0, 0, width, height, from, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  }
  return sized.Release();
}

}  // namespace

HBITMAP LoadPngPicture(int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"PNG");
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return nullptr;
  // WIC is reached through COM, which the thread may not have started.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  HBITMAP picture = DecodePng(bytes, SizeofResource(module, found));
  if (SUCCEEDED(com)) CoUninitialize();
  return picture;
}

// The brush before the picture it was made from.
void TAboutBox::FreeDrawing() {
  for (Font* font : {&titleFont_, &linkFont_, &creditFont_}) font->Reset();
  backgroundBrush_.Reset();
  background_.Reset();
  banner_.Reset();
}

// On a screen of another scale the box is laid out again; its fonts and pictures follow.
void TAboutBox::OnDpiChanged() {
  FreeDrawing();
  MakeFonts();
  MakePictures();
  FitTexts();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void TAboutBox::ShowModal(HWND owner) {
  owner_ = owner;
  RunModal(owner, IDD_ABOUT_BOX);
}

bool TAboutBox::OnInit() {
  SetWindowTextW(hwnd_, L"О программе...");
  Layout(kWidth, kHeight, kPlaces);
  MakeFonts();
  MakePictures();
  FormCreate();
  FitTexts();
  CenterOn(owner_);
  KeepOnScreen();
  return true;
}

// Centred on a main window near the screen's edge, the box would hang off the screen
// (at 200 % it is 760 pixels wide): it is moved just far enough to be seen whole.
void TAboutBox::KeepOnScreen() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  RECT r;
  GetWindowRect(hwnd_, &r);
  const int x = std::max(work.left, std::min(r.left, work.right - (r.right - r.left)));
  const int y = std::max(work.top, std::min(r.top, work.bottom - (r.bottom - r.top)));
  if (x != r.left || y != r.top)
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The version is read from the program's file each time the box opens.
void TAboutBox::FormCreate() { SetWindowText1251(Item(IDC_ABOUT_LABEL1), GetVersionText(true)); }

void TAboutBox::MakeFonts() {
  titleFont_.Reset(MakeFont(23, Dpi(), FW_BOLD, false, L"Times New Roman"));
  linkFont_.Reset(MakeFont(11, Dpi(), FW_NORMAL, true, L"MS Sans Serif"));
  creditFont_.Reset(MakeFont(11, Dpi(), FW_NORMAL, false, L"Tahoma"));
  SetFont(Item(IDC_ABOUT_LABEL1), titleFont_, false);
  SetFont(Item(IDC_ABOUT_LABEL2), creditFont_, false);
  for (int id : kLinks) SetFont(Item(id), linkFont_, false);
}

void TAboutBox::MakePictures() {
  background_.Reset(PictureFor(Dpi(), IDB_ABOUT_BACKGROUND_96, Scale(kWidth), Scale(kHeight)));
  if (background_) backgroundBrush_.Reset(CreatePatternBrush(background_));
  banner_.Reset(PictureFor(Dpi(), IDB_ABOUT_BANNER_96, Scale(kBannerWidth), Scale(kBannerHeight)));
}

// The texts are measured in their fonts at the box's scale, which do not all grow in step
// with it: a line may wrap elsewhere at 150 % than at 100 %. Each label takes the room its
// text needs, and each link follows the text of its label, clear of it.
void TAboutBox::FitTexts() {
  for (int id : kOneLine) {
    HWND label = Item(id);
    const Measure m(label);
    RECT r = RectIn(hwnd_, label);
    r.right = std::max<LONG>(r.right, r.left + m.Width(TextOf(label)) + m.slack);
    MoveTo(label, r);
  }
  const RECT banner = RectIn(hwnd_, Item(IDC_ABOUT_IMAGE2));
  for (const LinkAfter& pair : kLinksAfter) {
    HWND label = Item(pair.label), link = Item(pair.link);
    RECT text = RectIn(hwnd_, label);
    const Measure m(label);
    const Run run = RunOf(m, TextOf(label), text.right - text.left);
    text.bottom = std::max<LONG>(text.bottom, text.top + run.lines * m.lineHeight);
    MoveTo(label, text);

    const Measure linkText(link);
    RECT r = RectIn(hwnd_, link);
    const int width = linkText.Width(TextOf(link)) + linkText.slack;
    const int limit = pair.link == IDC_ABOUT_LABEL7 ? banner.left - Scale(4) : Scale(kWidth - 4);
    r.left = pair.keepsRight ? r.right - width : r.left;
    r.left = std::max<LONG>(r.left, text.left + run.lastLineWidth + m.Width(L" "));
    r.top = text.top + (run.lines - 1) * m.lineHeight;
    if (r.left + width > limit) {  // no room after the text: on a line of its own below it
      r.left = text.left;
      r.top += m.lineHeight;
    }
    r.right = r.left + width;
    r.bottom = r.top + linkText.lineHeight;
    MoveTo(link, r);
  }
}

bool TAboutBox::IsLink(int id) const {
  for (int link : kLinks)
    if (link == id) return true;
  return false;
}

bool TAboutBox::HasHandCursor(HWND control) const {
  for (int id : kHandCursor)
    if (Item(id) == control) return true;
  return false;
}

COLORREF LinkColour() {
  // Some themes (Wine's own among them) make the hot-tracking colour a light grey that
  // cannot be read on the light picture; the standard theme's link blue stands in.
  const COLORREF hot = GetSysColor(COLOR_HOTLIGHT);
  const int lightness = (GetRValue(hot) * 30 + GetGValue(hot) * 59 + GetBValue(hot) * 11) / 100;
  return lightness < 150 ? hot : RGB(0, 102, 204);
}

HBRUSH TAboutBox::OnBackground(HDC) { return backgroundBrush_; }

// The labels are transparent over the picture.
HBRUSH TAboutBox::OnStaticColor(HDC dc, HWND control) {
  SetBkMode(dc, TRANSPARENT);
  const int id = GetDlgCtrlID(control);
  SetTextColor(dc, IsLink(id) ? LinkColour() : GetSysColor(COLOR_WINDOWTEXT));
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

// The banner, the one owner-drawn control.
void TAboutBox::OnDrawItem(const DRAWITEMSTRUCT& item) {
  if (!banner_) return;
  const MemoryDc from(CreateCompatibleDC(item.hDC));
  const Selection picture(from, banner_);
  BITMAP bm{};
  GetObjectW(banner_, sizeof bm, &bm);
  BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, bm.bmWidth, bm.bmHeight, from, 0, 0, SRCCOPY);
}

// Esc (and Enter) close the box as OK and Cancel do: it has no buttons to reach from the
// keyboard.
void TAboutBox::OnClicked(int id) {
  switch (id) {
    case IDC_ABOUT_IMAGE4:
      Image4Click();
      break;
    case IDC_ABOUT_IMAGE3:
    case IDC_ABOUT_LHOME:
      Image3Click();
      break;
    case IDC_ABOUT_LMAIL:
      lMailClick();
      break;
    case IDC_ABOUT_LFORUM:
      lForumClick();
      break;
    case IDC_ABOUT_IMAGE2:
    case IDC_ABOUT_LABEL7:
      Image2Click();
      break;
  }
}

bool TAboutBox::OnSetCursor(HWND control) {
  if (!HasHandCursor(control)) return false;
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

void TAboutBox::OnLeftButtonDown() { pressed_ = true; }

void TAboutBox::OnLeftButtonUp() {
  if (pressed_) Image1Click();
  pressed_ = false;
}

void TAboutBox::Image1Click() { End(IDCANCEL); }
void TAboutBox::Image4Click() { End(IDCANCEL); }
void TAboutBox::Image3Click() { OpenDocument(shell_, AddressOf(IDS_PRODUCT_PAGE)); }
void TAboutBox::lMailClick() { OpenQuietly(shell_, owner_, AddressOf(IDS_SUPPORT_MAIL)); }
void TAboutBox::lForumClick() { OpenQuietly(shell_, owner_, AddressOf(IDS_FORUM_PAGE)); }
void TAboutBox::Image2Click() { OpenDocument(shell_, AddressOf(IDS_HOSTING_PAGE)); }

void ShowAboutBox(HWND owner, DocumentShell& shell) {
  TAboutBox box(shell);
  box.ShowModal(owner);
}

}  // namespace korvel

// The delivery log list: its columns and images, its place in the window, insertion and
// clearing over the model, and the rows drawn from it.
#include "sending/delivery_log_win.h"

#include <algorithm>

#include "base/controls_win.h"
#include "base/dpi_win.h"
#include "base/text_win.h"
#include "res/resource.h"
#include "sending/failure_reasons.h"
#include "sending/system_messenger_win.h"

namespace korvel {

namespace {
constexpr UINT_PTR kRedrawTimer = 0x4B4C;
// A line that comes after a quiet while is drawn within kRedrawDelay; while lines keep coming,
// the list is drawn once every kRedrawInterval. Under Wine one drawing of the list costs the
// window some 10 ms of its thread and as much again of the server's and the X server's:
// drawn for every line of a job, it took a fifth of a processor from the receivers a job
// waits on.
constexpr ULONGLONG kRedrawDelay = 50;
constexpr ULONGLONG kRedrawInterval = 250;
}  // namespace

TDeliveryLog::TDeliveryLog(HWND parent, HIMAGELIST markImages, const Settings& settings)
    : settings_(settings) {
  lvLog =
      CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT |
                          LVS_SINGLESEL | LVS_OWNERDATA,
                      0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LV_LOG)),
                      GetModuleHandleW(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(lvLog, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  ListView_SetImageList(lvLog, markImages, LVSIL_SMALL);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 150;
  col.pszText = const_cast<wchar_t*>(L"Дата");
  ListView_InsertColumn(lvLog, 0, &col);
  col.pszText = const_cast<wchar_t*>(L"Информация");
  ListView_InsertColumn(lvLog, 1, &col);
  // The redraw timer finds the log here. No subclass: under Wine every message to a
  // subclassed window first asks the wineserver for the subclass's property.
  SetWindowLongPtrW(lvLog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  reasons_ = std::make_unique<LogReasons>(lvLog, [this](size_t row) { return Reason(row); });
  if (RunningUnderWine())
    hoverTip_ = std::make_unique<LogHoverTip>(lvLog, [this](size_t row) { return Reason(row); });
}

TDeliveryLog::~TDeliveryLog() {
  reasons_.reset();
  hoverTip_.reset();
  if (!IsWindow(lvLog)) return;
  KillTimer(lvLog, kRedrawTimer);
  SetWindowLongPtrW(lvLog, GWLP_USERDATA, 0);
}

void CALLBACK TDeliveryLog::RedrawTimer(HWND hwnd, UINT, UINT_PTR, DWORD) {
  if (auto* self = reinterpret_cast<TDeliveryLog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
    self->ResumeRedraw();
}

void TDeliveryLog::HoldRedraw() {
  if (redrawHeld_) return;
  redrawHeld_ = true;
  SetRedraw(lvLog, false);
  const ULONGLONG since = GetTickCount64() - lastDrawn_;
  const ULONGLONG delay =
      since >= kRedrawInterval ? kRedrawDelay : std::max(kRedrawDelay, kRedrawInterval - since);
  SetTimer(lvLog, kRedrawTimer, static_cast<UINT>(delay), &TDeliveryLog::RedrawTimer);
}

void TDeliveryLog::ResumeRedraw() {
  KillTimer(lvLog, kRedrawTimer);
  if (!redrawHeld_) return;
  redrawHeld_ = false;
  lastDrawn_ = GetTickCount64();
  SetRedraw(lvLog, true);
  FitInformation();
}

// "Информация" takes the width the list has left, which its vertical scroll bar changes as
// lines come and go.
void TDeliveryLog::FitInformation() { ListView_SetColumnWidth(lvLog, 1, LVSCW_AUTOSIZE_USEHEADER); }

void TDeliveryLog::Place(HDWP& dwp, const RECT& area) {
  dwp = DeferWindowPos(dwp, lvLog, nullptr, area.left, area.top,
                       std::max(0, static_cast<int>(area.right - area.left)),
                       std::max(0, static_cast<int>(area.bottom - area.top)),
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDeliveryLog::ApplyDpi(UINT dpi, HIMAGELIST markImages) {
  ListView_SetImageList(lvLog, markImages, LVSIL_SMALL);
  ListView_SetColumnWidth(lvLog, 0, Scale(150, dpi));
  FitInformation();
}

void TDeliveryLog::Insert(const LogEntry& entry) { Insert(std::vector<LogEntry>{entry}); }

void TDeliveryLog::Insert(const std::vector<LogEntry>& entries) {
  if (entries.empty()) return;
  // Another line comes under a resting mouse.
  if (hoverTip_) hoverTip_->Forget();
  // The selected line keeps its selection as the lines below the new ones move down.
  // (Finding it walks the list: it is looked for only when there is one.)
  const int selected =
      ListView_GetSelectedCount(lvLog) ? ListView_GetNextItem(lvLog, -1, LVNI_SELECTED) : -1;
  for (const LogEntry& entry : entries) model_.Insert(entry, settings_.MaxLineLog);
  const int count = static_cast<int>(model_.Count());
  HoldRedraw();
  ListView_SetItemCountEx(lvLog, count, LVSICF_NOSCROLL);
  if (selected < 0) return;
  const int moved = selected + static_cast<int>(entries.size());
  ListView_SetItemState(lvLog, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (moved < count)
    ListView_SetItemState(lvLog, moved, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void TDeliveryLog::actClearLogExecute() {
  model_.Clear();
  if (hoverTip_) hoverTip_->Forget();
  ListView_SetItemCountEx(lvLog, 0, 0);
  if (!redrawHeld_) FitInformation();
}

std::wstring TDeliveryLog::Reason(size_t row) const {
  if (row >= model_.Count()) return {};
  const LogEntry& entry = model_.At(row);
  if (entry.image != LogEntry::kFailure || entry.code == kNerrSuccess) return {};
  const std::u16string reason = FailureReason(entry.code);
  return {reason.begin(), reason.end()};
}

LRESULT TDeliveryLog::OnNotify(NMHDR* hdr) {
  if (hdr->code == LVN_GETINFOTIPW) {
    auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(hdr);
    const std::wstring reason = tip->iItem < 0 ? std::wstring() : Reason(tip->iItem);
    if (!reason.empty() && tip->pszText && tip->cchTextMax > 0)
      lstrcpynW(tip->pszText, reason.c_str(), tip->cchTextMax);
    return 0;
  }
  if (hdr->code != LVN_GETDISPINFOW) return 0;
  LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(hdr)->item;
  if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= model_.Count()) return 0;
  const LogEntry& entry = model_.At(static_cast<size_t>(item.iItem));
  if (item.mask & LVIF_IMAGE) item.iImage = entry.image;
  if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
    const std::wstring text = item.iSubItem == 0 ? DateText(entry.time) : Widen(entry.text);
    lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
  }
  return 0;
}

std::wstring TDeliveryLog::DateText(const LogTime& time) {
  SYSTEMTIME st{time.year, time.month, 0, time.day, time.hour, time.minute, time.second, 0};
  // Through a file time and back, for the day of the week a format may name.
  FILETIME ft;
  if (SystemTimeToFileTime(&st, &ft)) FileTimeToSystemTime(&ft, &st);
  wchar_t date[128] = {}, clock[128] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128);
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, clock, 128);
  return std::wstring(date) + L" " + clock;
}

}  // namespace korvel

// The delivery log list: its columns and images, its place in the window, clearing.
#include "sending/delivery_log_win.h"

#include <algorithm>

#include "base/dpi_win.h"
#include "res/resource.h"

namespace korvel {

TDeliveryLog::TDeliveryLog(HWND parent, HIMAGELIST markImages) {
  lvLog = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, 0, 0, 0, 0,
      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LV_LOG)), GetModuleHandleW(nullptr),
      nullptr);
  ListView_SetExtendedListViewStyle(lvLog, LVS_EX_FULLROWSELECT);
  ListView_SetImageList(lvLog, markImages, LVSIL_SMALL);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH;
  col.cx = 150;
  col.pszText = const_cast<wchar_t*>(L"Дата");
  ListView_InsertColumn(lvLog, 0, &col);
  col.pszText = const_cast<wchar_t*>(L"Информация");
  ListView_InsertColumn(lvLog, 1, &col);
}

void TDeliveryLog::Place(HDWP& dwp, const RECT& area) {
  dwp = DeferWindowPos(dwp, lvLog, nullptr, area.left, area.top,
                       std::max(0, static_cast<int>(area.right - area.left)),
                       std::max(0, static_cast<int>(area.bottom - area.top)),
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDeliveryLog::ApplyDpi(UINT dpi, HIMAGELIST markImages) {
  ListView_SetImageList(lvLog, markImages, LVSIL_SMALL);
  ListView_SetColumnWidth(lvLog, 0, Scale(150, dpi));
}

void TDeliveryLog::actClearLogExecute() { ListView_DeleteAllItems(lvLog); }

}  // namespace korvel

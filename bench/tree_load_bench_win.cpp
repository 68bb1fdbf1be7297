// Times loading address books of 1,000 to 100,000 nodes into a real TreeView under the
// program's conditions (redrawing suspended, drawn once at the end), and saving them from
// it. Run it in a Wine session:
//   tools/wine-session.sh --xvfb -- wine build/windows/bench/tree_load_bench.exe
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>

#include "addressbook/memory_tree.h"
#include "addressbook/recipient_file.h"
#include "addressbook/tree_view_win.h"
#include "base/file_io.h"
#include "bench/sample_book.h"

using namespace korvel;
using Clock = std::chrono::steady_clock;

namespace {
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }
}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND frame = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                               600, nullptr, nullptr, nullptr, nullptr);
  HWND view = CreateWindowExW(
      0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
      0, 0, 280, 560, frame, nullptr, nullptr, nullptr);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string file = std::string(temp) + "korvel-bench.dat";

  std::printf("%8s | %10s %10s %10s | %10s\n", "nodes", "load", "draw", "clear", "save");
  for (int nodes : {1000, 3000, 10000, 30000, 100000}) {
    MemoryTree book;
    FillBook(book, nodes);
    if (ReplaceFileContents(file, SerializeTree(book)) != WriteStatus::Ok) return 1;
    TreeViewTree tree(view);

    auto t0 = Clock::now();
    SendMessageW(view, WM_SETREDRAW, FALSE, 0);
    TreeFileResult r = TreeLoadFromFile(file, tree);
    SendMessageW(view, WM_SETREDRAW, TRUE, 0);
    auto t1 = Clock::now();
    RedrawWindow(view, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    auto t2 = Clock::now();
    if (!r.ok() || TreeView_GetCount(view) != static_cast<UINT>(nodes)) return 2;
    if (!TreeSaveToFile(file, tree).ok()) return 3;
    auto t3 = Clock::now();
    SendMessageW(view, WM_SETREDRAW, FALSE, 0);
    TreeView_DeleteAllItems(view);
    SendMessageW(view, WM_SETREDRAW, TRUE, 0);
    auto t4 = Clock::now();
    std::printf("%8d | %8.1fms %8.1fms %8.1fms | %8.1fms\n", nodes, Ms(t1 - t0), Ms(t2 - t1),
                Ms(t4 - t3), Ms(t3 - t2));
  }
  DeleteFileA(file.c_str());
  DestroyWindow(frame);
  return 0;
}

// Times address books of 1,000 to 100,000 nodes in a real TreeView, as the program holds
// them: loaded a level at a time with redrawing suspended, drawn once, saved from the
// book's copy in memory, and cleared; beside the save, the same file written by walking
// the control item by item, as the program once did. Then Korvel.exe itself with each
// book: from its start to its window (the book loaded), and from WM_CLOSE to its end (the
// book saved). Run it in a Wine session:
//   tools/wine-session.sh --xvfb -- wine build/windows/bench/tree_load_bench.exe [Korvel.exe]
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "addressbook/memory_tree.h"
#include "addressbook/mirrored_tree_win.h"
#include "addressbook/recipient_file.h"
#include "addressbook/tree_view_win.h"
#include "base/file_io.h"
#include "base/text_win.h"
#include "bench/sample_book.h"

using namespace korvel;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

struct ProgramTimes {
  double start = -1, close = -1;
  bool bookKept = false;
};

// Korvel.exe in a folder of its own with `book` beside it: started, waited for, closed.
ProgramTimes RunProgram(const std::wstring& program, const std::wstring& folder,
                        const std::string& book) {
  ProgramTimes t;
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring exe = folder + L"\\Korvel.exe";
  const std::string dat = Utf8Path(folder + L"\\Korvel.dat");
  DeleteFileW((folder + L"\\Korvel.ini").c_str());
  if (!CopyFileW(program.c_str(), exe.c_str(), FALSE) ||
      ReplaceFileContents(dat, book) != WriteStatus::Ok)
    return t;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + exe + L"\"";
  auto t0 = Clock::now();
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &si, &pi))
    return t;
  HWND window = nullptr;
  while (Clock::now() - t0 < std::chrono::seconds(120)) {
    window = FindWindowW(L"TKorvelForm", nullptr);
    if (window && IsWindowVisible(window)) break;
    if (WaitForSingleObject(pi.hProcess, 5) == WAIT_OBJECT_0) break;
  }
  auto t1 = Clock::now();
  if (window && IsWindowVisible(window)) {
    t.start = Ms(t1 - t0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) t.close = Ms(Clock::now() - t1);
  }
  TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::string saved;
  t.bookKept = ReadWholeFile(dat, saved) == ReadStatus::Ok && saved == book;
  return t;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  HWND frame = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                               600, nullptr, nullptr, nullptr, nullptr);
  HWND view = CreateWindowExW(
      0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
      0, 0, 280, 560, frame, nullptr, nullptr, nullptr);
  wchar_t module[MAX_PATH];
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::wstring program = argc > 1 ? argv[1] : Folder(Folder(module)) + L"\\Korvel.exe";
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring work = std::wstring(temp) + L"korvel-tree-bench";
  CreateDirectoryW(work.c_str(), nullptr);
  const std::string file = Utf8Path(work + L"\\book.dat");

  std::printf("%8s | %9s %9s %9s %9s | %12s | %9s %9s\n", "nodes", "load", "draw", "save", "clear",
              "save (walk)", "start", "close");
  for (int nodes : {1000, 10000, 30000, 100000}) {
    MemoryTree sample;
    FillBook(sample, nodes);
    const std::string book = SerializeTree(sample);
    if (ReplaceFileContents(file, book) != WriteStatus::Ok) return 1;
    MirroredTree tree(view);

    auto t0 = Clock::now();
    MemoryTree read;
    TreeFileResult r = TreeLoadFromFile(file, read);
    SendMessageW(view, WM_SETREDRAW, FALSE, 0);
    const bool added = tree.AddAll(read);
    SendMessageW(view, WM_SETREDRAW, TRUE, 0);
    auto t1 = Clock::now();
    RedrawWindow(view, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    auto t2 = Clock::now();
    if (!r.ok() || !added || TreeView_GetCount(view) != static_cast<UINT>(nodes)) return 2;
    if (!TreeSaveToFile(file, tree).ok()) return 3;
    auto t3 = Clock::now();
    std::string saved, walked;
    ReadWholeFile(file, saved);
    auto t4 = Clock::now();
    walked = SerializeTree(TreeViewTree(view));
    auto t5 = Clock::now();
    if (saved != book || walked != book) return std::fprintf(stderr, "the saved book differs\n"), 4;
    SendMessageW(view, WM_SETREDRAW, FALSE, 0);
    tree.DeleteAll(false);
    SendMessageW(view, WM_SETREDRAW, TRUE, 0);
    auto t6 = Clock::now();
    ProgramTimes p = RunProgram(program, work + L"\\program", book);
    std::printf("%8d | %7.0fms %7.0fms %7.0fms %7.0fms | %10.0fms | %7.0fms %7.0fms%s\n", nodes,
                Ms(t1 - t0), Ms(t2 - t1), Ms(t3 - t2), Ms(t6 - t5), Ms(t5 - t4), p.start, p.close,
                p.bookKept ? "" : "  (the program's book changed)");
    std::fflush(stdout);
  }
  DeleteFileW((work + L"\\program\\Korvel.exe").c_str());
  DeleteFileW((work + L"\\program\\Korvel.dat").c_str());
  DeleteFileW((work + L"\\program\\Korvel.ini").c_str());
  RemoveDirectoryW((work + L"\\program").c_str());
  DeleteFileW((work + L"\\book.dat").c_str());
  RemoveDirectoryW(work.c_str());
  DestroyWindow(frame);
  return 0;
}

#include "tests/win/win_test_util.h"

#include <thread>

#include "app/text.h"

namespace korvel::test {

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Pump();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

std::wstring TextOf(HWND hwnd) {
  wchar_t buf[4096] = {};
  LRESULT got = SendMessageW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf));
  return std::wstring(buf, static_cast<size_t>(got > 0 ? got : 0));
}

std::wstring KorvelExePath() {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  path.erase(path.find_last_of(L'\\'));  // the tests folder
  path.erase(path.find_last_of(L'\\') + 1);
  return path + L"Korvel.exe";
}

std::string Cp(const char* utf8) { return Cp1251FromUtf8(utf8); }

FormFixture::FormFixture() : exe(dir.Path("Korvel.exe")) {
  SetMessageSinkForTests([this](const std::string& text) { messages.push_back(text); });
}

FormFixture::~FormFixture() {
  form.reset();
  SetMessageSinkForTests(nullptr);
}

TKorvelForm& FormFixture::Create() {
  form = std::make_unique<TKorvelForm>(exe);
  form->SetQuitOnDestroy(false);
  form->Create();
  return *form;
}

void FormFixture::Close() {
  if (form && form->Handle()) SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
  Pump();
}

}  // namespace korvel::test

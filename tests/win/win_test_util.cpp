#include "tests/win/win_test_util.h"

#include <oleacc.h>

#include <thread>

#include "base/text.h"

namespace korvel::test {

std::wstring AccessibleText(HWND window, Accessible what, LONG child) {
  // IAccessible's id, spelled out: the import libraries define IID_IAccessible twice.
  static const GUID kAccessible = {
      0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
  IAccessible* acc = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessible,
                                        reinterpret_cast<void**>(&acc))) ||
      !acc)
    return {};
  VARIANT id;
  VariantInit(&id);
  id.vt = VT_I4;
  id.lVal = child;
  BSTR text = nullptr;
  const HRESULT got =
      what == Accessible::kName ? acc->get_accName(id, &text) : acc->get_accDescription(id, &text);
  std::wstring result;
  if (SUCCEEDED(got) && text) result = text;
  SysFreeString(text);
  acc->Release();
  return result;
}

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

std::vector<HWND> OpenDialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM out) {
        wchar_t cls[16] = {};
        GetClassNameW(hwnd, cls, 16);
        if (std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd))
          reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

namespace {
std::function<void(HWND)>& PendingDialogAction() {
  static std::function<void(HWND)> act;
  return act;
}
}  // namespace

void WhenDialogOpens(std::function<void(HWND)> act) {
  PendingDialogAction() = std::move(act);
  SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
    std::vector<HWND> dialogs = OpenDialogs();
    if (dialogs.empty() || !PendingDialogAction()) return;
    KillTimer(nullptr, id);
    auto pending = std::move(PendingDialogAction());
    PendingDialogAction() = nullptr;
    pending(dialogs.back());
  });
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

ScannerKey::ScannerKey(REGSAM view) : view_(view) {
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SoftWare\\Brenholt", 0, nullptr, 0, KEY_ALL_ACCESS | view_,
                  nullptr, &key, nullptr);
}

ScannerKey::~ScannerKey() {
  RegCloseKey(key);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SoftWare\\Brenholt", view_, 0);
}

void ScannerKey::Set(const std::wstring& folder) {
  RegSetValueExW(key, L"Oxtern", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
}

namespace {
// A window made for a test reaches no network unless the test gives it a transport.
struct NoNetwork final : Messenger {
  NetStatus MessageBufferSend(const char16_t*, const char16_t*, const uint8_t*, uint32_t) override {
    return ERROR_NOT_SUPPORTED;
  }
  NetStatus MessageNameAdd(const char16_t*) override { return ERROR_NOT_SUPPORTED; }
  NetStatus MessageNameDel(const char16_t*) override { return ERROR_NOT_SUPPORTED; }
};
}  // namespace

FormFixture::FormFixture() : exe(dir.Path("Korvel.exe")) {
  services.newJobMessenger = [] { return std::make_shared<NoNetwork>(); };
  SetMessageSinkForTests([this](const std::string& text) { messages.push_back(text); });
}

FormFixture::~FormFixture() {
  form.reset();
  SetMessageSinkForTests(nullptr);
}

TKorvelForm& FormFixture::Create() {
  form = std::make_unique<TKorvelForm>(exe, services);
  form->SetQuitOnDestroy(false);
  form->Create();
  return *form;
}

void FormFixture::Close() {
  if (form && form->Handle()) SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
  Pump();
}

}  // namespace korvel::test

#include "sending/log_reasons_win.h"

#include <oleacc.h>

namespace korvel {

namespace {
// Spelled out here: the import libraries define some of oleacc's ids twice.
constexpr GUID kDescription = {
    0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};
constexpr GUID kServices = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kIServices = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kIServer = {
    0x76c0dbbb, 0x15e0, 0x4e7b, {0xb6, 0x1b, 0x20, 0xee, 0xea, 0x20, 0x01, 0xe0}};
}  // namespace

// Held by the annotation service as long as the list is annotated; the log may go first,
// after which the server answers nothing.
class ReasonServer final : public IAccPropServer {
 public:
  ReasonServer(IAccPropServices* services, std::function<std::wstring(size_t)> reason)
      : services_(services), reason_(std::move(reason)) {
    services_->AddRef();
  }
  void Drop() { reason_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (IsEqualGUID(iid, IID_IUnknown) || IsEqualGUID(iid, kIServer)) {
      *out = static_cast<IAccPropServer*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetPropValue(const BYTE* id, DWORD idLength, MSAAPROPID prop,
                                         VARIANT* value, BOOL* hasProp) override {
    if (!value || !hasProp) return E_POINTER;
    *hasProp = FALSE;
    VariantInit(value);
    if (!reason_ || !IsEqualGUID(prop, kDescription)) return S_OK;
    HWND hwnd = nullptr;
    DWORD object = 0, child = 0;
    if (FAILED(services_->DecomposeHwndIdentityString(id, idLength, &hwnd, &object, &child)) ||
        child == CHILDID_SELF)
      return S_OK;
    const std::wstring text = reason_(child - 1);
    if (text.empty()) return S_OK;
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(text.c_str());
    *hasProp = value->bstrVal != nullptr;
    return S_OK;
  }

 private:
  ~ReasonServer() { services_->Release(); }

  LONG refs_ = 1;
  IAccPropServices* services_;
  std::function<std::wstring(size_t)> reason_;
};

LogReasons::LogReasons(HWND list, std::function<std::wstring(size_t row)> reason) : list_(list) {
  com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(kServices, nullptr, CLSCTX_INPROC_SERVER, kIServices,
                              reinterpret_cast<void**>(&services))) ||
      !services)
    return;
  auto* server = new ReasonServer(services, std::move(reason));
  MSAAPROPID props[] = {kDescription};
  // The container scope: one server for the list and every line in it.
  if (SUCCEEDED(services->SetHwndPropServer(list_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                            props, 1, server, ANNO_CONTAINER)))
    server_ = server;
  else
    server->Release();
  services->Release();
}

LogReasons::~LogReasons() {
  if (server_) {
    server_->Drop();
    IAccPropServices* services = nullptr;
    if (SUCCEEDED(CoCreateInstance(kServices, nullptr, CLSCTX_INPROC_SERVER, kIServices,
                                   reinterpret_cast<void**>(&services))) &&
        services) {
      MSAAPROPID props[] = {kDescription};
      services->ClearHwndProps(list_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, props, 1);
      services->Release();
    }
    server_->Release();
  }
  if (com_) CoUninitialize();
}

}  // namespace korvel

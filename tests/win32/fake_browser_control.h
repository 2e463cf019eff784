// A stand-in for the WebBrowser control, registered in the test process under
// CLSID_WebBrowser so that the host's own OleCreate builds it. It records what the
// host asks of it and can be told to fail each step; through the sink the host
// subscribes, a test raises the control's events.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>
#include <olectl.h>
#include <oleidl.h>

#include <string>

class FakeBrowserControl : public IOleObject,
                           public IOleInPlaceObject,
                           public IPersistStorage,
                           public IWebBrowser2,
                           public IConnectionPointContainer,
                           public IConnectionPoint {
 public:
  // What the control offers, set before the host creates it (see FakeControlFactory).
  struct Behaviour {
    bool inPlaceObject = true;
    bool webBrowser = true;
    bool connectionPoints = true;
    HRESULT doVerb = S_OK;
    HRESULT setExtent = S_OK;
    HRESULT setObjectRects = S_OK;
    HRESULT advise = S_OK;
  };
  explicit FakeBrowserControl(const Behaviour& behaviour) : behave(behaviour) {}

  Behaviour behave;
  // Recorded calls.
  IOleClientSite* clientSite = nullptr;
  int doVerbCalls = 0;
  LONG verb = 0;
  IOleClientSite* verbSite = nullptr;
  HWND verbParent = nullptr;
  RECT verbRect = {};
  HRESULT canActivateDuringVerb = E_FAIL;
  int setExtentCalls = 0;
  DWORD extentAspect = 0;
  SIZEL extent = {};
  int setObjectRectsCalls = 0;
  RECT position = {}, clip = {};
  int webBrowserQueries = 0;
  int navigateCalls = 0;
  VARTYPE urlType = VT_EMPTY;
  std::wstring url;
  bool navigateOptionsNull = false;
  GUID connectionAsked = {};
  IUnknown* sinkGiven = nullptr;  // what the host passed to Advise
  IDispatch* sink = nullptr;      // the same, asked for IDispatch as a control does

  // Raises one of the control's events as the control would.
  HRESULT Raise(DISPID event, DISPPARAMS* params = nullptr) {
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    return sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params ? params : &none, nullptr,
                        nullptr, nullptr);
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject) {
      *object = static_cast<IOleObject*>(this);
    } else if (iid == IID_IOleInPlaceObject && behave.inPlaceObject) {
      *object = static_cast<IOleInPlaceObject*>(this);
    } else if (iid == IID_IPersistStorage) {
      *object = static_cast<IPersistStorage*>(this);
    } else if (iid == IID_IWebBrowser2 && behave.webBrowser) {
      ++webBrowserQueries;
      *object = static_cast<IWebBrowser2*>(this);
    } else if (iid == IID_IConnectionPointContainer && behave.connectionPoints) {
      *object = static_cast<IConnectionPointContainer*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs); }
  // The host keeps the control for the life of the process: never freed here either.
  STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs); }

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override {
    clientSite = site;
    return S_OK;
  }
  STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
  STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
  STDMETHODIMP Close(DWORD) override { return S_OK; }
  STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
  STDMETHODIMP DoVerb(LONG verbAsked, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT r) override {
    ++doVerbCalls;
    verb = verbAsked;
    verbSite = site;
    verbParent = parent;
    if (r) verbRect = *r;
    // A real control asks its site whether it may activate before doing so.
    IOleInPlaceSite* inPlaceSite = nullptr;
    if (site && SUCCEEDED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlaceSite)))) {
      canActivateDuringVerb = inPlaceSite->CanInPlaceActivate();
      inPlaceSite->Release();
    }
    return behave.doVerb;
  }
  STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
  STDMETHODIMP Update() override { return S_OK; }
  STDMETHODIMP IsUpToDate() override { return S_OK; }
  STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override {
    ++setExtentCalls;
    extentAspect = aspect;
    if (size) extent = *size;
    return behave.setExtent;
  }
  STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }  // also IConnectionPoint's
  STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
  STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override {
    *status = 0;
    return S_OK;
  }
  STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

  // IOleInPlaceObject
  STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP InPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP UIDeactivate() override { return S_OK; }
  STDMETHODIMP SetObjectRects(LPCRECT pos, LPCRECT clipRect) override {
    ++setObjectRectsCalls;
    position = *pos;
    clip = *clipRect;
    return behave.setObjectRects;
  }
  STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

  // IPersistStorage (OleCreate gives the control its storage through it)
  STDMETHODIMP GetClassID(CLSID* id) override {
    *id = CLSID_WebBrowser;
    return S_OK;
  }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP InitNew(IStorage*) override { return S_OK; }
  STDMETHODIMP Load(IStorage*) override { return S_OK; }
  STDMETHODIMP Save(IStorage*, BOOL) override { return S_OK; }
  STDMETHODIMP SaveCompleted(IStorage*) override { return S_OK; }
  STDMETHODIMP HandsOffStorage() override { return S_OK; }

  // IWebBrowser2: only Navigate2 is used.
  STDMETHODIMP Navigate2(VARIANT* address, VARIANT* flags, VARIANT* frame, VARIANT* postData,
                         VARIANT* headers) override {
    ++navigateCalls;
    urlType = address ? address->vt : static_cast<VARTYPE>(VT_EMPTY);
    if (address && address->vt == VT_BSTR && address->bstrVal) url = address->bstrVal;
    if (address && address->vt == VT_LPWSTR && address->byref) url = static_cast<const wchar_t*>(address->byref);
    navigateOptionsNull = !flags && !frame && !postData && !headers;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP GoBack() override { return E_NOTIMPL; }
  STDMETHODIMP GoForward() override { return E_NOTIMPL; }
  STDMETHODIMP GoHome() override { return E_NOTIMPL; }
  STDMETHODIMP GoSearch() override { return E_NOTIMPL; }
  STDMETHODIMP Navigate(BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP Refresh() override { return E_NOTIMPL; }
  STDMETHODIMP Refresh2(VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP Stop() override { return E_NOTIMPL; }
  STDMETHODIMP get_Application(IDispatch**) override { return E_NOTIMPL; }
  STDMETHODIMP get_Parent(IDispatch**) override { return E_NOTIMPL; }
  STDMETHODIMP get_Container(IDispatch**) override { return E_NOTIMPL; }
  STDMETHODIMP get_Document(IDispatch**) override { return E_NOTIMPL; }
  STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Type(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Left(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Left(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_Top(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Top(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_Width(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Width(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_Height(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Height(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_LocationName(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_LocationURL(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Busy(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP Quit() override { return E_NOTIMPL; }
  STDMETHODIMP ClientToWindow(int*, int*) override { return E_NOTIMPL; }
  STDMETHODIMP PutProperty(BSTR, VARIANT) override { return E_NOTIMPL; }
  STDMETHODIMP GetProperty(BSTR, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Name(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_HWND(SHANDLE_PTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_FullName(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Path(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Visible(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Visible(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_StatusBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_StatusBar(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_StatusText(BSTR*) override { return E_NOTIMPL; }
  STDMETHODIMP put_StatusText(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP get_ToolBar(int*) override { return E_NOTIMPL; }
  STDMETHODIMP put_ToolBar(int) override { return E_NOTIMPL; }
  STDMETHODIMP get_MenuBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_MenuBar(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_FullScreen(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_FullScreen(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP QueryStatusWB(OLECMDID, OLECMDF*) override { return E_NOTIMPL; }
  STDMETHODIMP ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  STDMETHODIMP get_ReadyState(READYSTATE*) override { return E_NOTIMPL; }
  STDMETHODIMP get_Offline(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Offline(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_Silent(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Silent(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_RegisterAsBrowser(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_RegisterAsBrowser(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_TheaterMode(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_TheaterMode(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_AddressBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_AddressBar(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP get_Resizable(VARIANT_BOOL*) override { return E_NOTIMPL; }
  STDMETHODIMP put_Resizable(VARIANT_BOOL) override { return E_NOTIMPL; }

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
    connectionAsked = iid;
    *point = nullptr;
    if (iid != DIID_DWebBrowserEvents2) return CONNECT_E_NOCONNECTION;
    *point = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }

  // IConnectionPoint
  STDMETHODIMP GetConnectionInterface(IID*) override { return E_NOTIMPL; }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer**) override { return E_NOTIMPL; }
  STDMETHODIMP Advise(IUnknown* given, DWORD* cookie) override {
    if (FAILED(behave.advise)) return behave.advise;
    // As the platform's control does: the events' own interface first, then IDispatch.
    if (FAILED(given->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&sink))) &&
        FAILED(given->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&sink)))) {
      return CONNECT_E_CANNOTCONNECT;
    }
    sinkGiven = given;
    *cookie = 1;
    return S_OK;
  }
  STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

  LONG References() const { return refs; }

 private:
  LONG refs = 1;
};

// Registers the fake under CLSID_WebBrowser for its own lifetime; every host
// created meanwhile gets a new fake, the latest one kept in created.
class FakeControlFactory : public IClassFactory {
 public:
  explicit FakeControlFactory(const FakeBrowserControl::Behaviour& behaviour = {}, HRESULT createResult = S_OK)
      : behave(behaviour), createResult(createResult) {
    registered = SUCCEEDED(CoRegisterClassObject(CLSID_WebBrowser, static_cast<IClassFactory*>(this),
                                                 CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
  }
  FakeControlFactory(const FakeControlFactory&) = delete;
  FakeControlFactory& operator=(const FakeControlFactory&) = delete;
  ~FakeControlFactory() {
    if (registered) CoRevokeClassObject(cookie);
  }

  bool registered = false;
  FakeBrowserControl* created = nullptr;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (FAILED(createResult)) return createResult;
    created = new FakeBrowserControl(behave);  // kept alive by the host, as the real control is
    return created->QueryInterface(iid, object);
  }
  STDMETHODIMP LockServer(BOOL) override { return S_OK; }

 private:
  FakeBrowserControl::Behaviour behave;
  HRESULT createResult;
  DWORD cookie = 0;
};

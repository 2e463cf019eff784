#include "online/web_browser_host.h"

#include <exdispid.h>
#include <ocidl.h>

#include "common/com_pointer.h"

namespace {

bool HasArea(const RECT& r) { return r.right - r.left != 0 && r.bottom - r.top != 0; }

}  // namespace

CWebBrowserBase::CWebBrowserBase() {
  // Returns S_FALSE when the thread already runs COM; both are fine. It is never
  // undone: the control lives until the process ends.
  if (FAILED(OleInitialize(nullptr))) return;
  // A temporary compound file under a name the system picks; the control may keep
  // state in it. The storage is never released, so the file is opened to be deleted
  // when its handle closes: the system does that when the process ends, however it
  // ends, and no file is left in the user's temporary folder.
  if (FAILED(StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
                              &storage))) {
    storage = nullptr;
    return;
  }
  // The client site reaches the control through this call alone.
  if (FAILED(OleCreate(CLSID_WebBrowser, IID_IOleObject, OLERENDER_DRAW, nullptr, static_cast<IOleClientSite*>(this),
                       storage, reinterpret_cast<void**>(&oleObject)))) {
    oleObject = nullptr;
    return;
  }
  if (FAILED(oleObject->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlaceObject)))) {
    inPlaceObject = nullptr;
  }
}

IWebBrowser2* CWebBrowserBase::GetWebBrowser() {
  if (webBrowser) return webBrowser;
  if (!oleObject) return nullptr;
  if (FAILED(oleObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&webBrowser)))) {
    webBrowser = nullptr;
  }
  return webBrowser;
}

bool CWebBrowserBase::InPlaceActivate() {
  if (!oleObject) return false;
  if (!HasArea(rect)) GetClientRect(GetHostWindow(), &rect);
  if (activated) return true;

  // Set first: the control asks CanInPlaceActivate while the verb runs. It stays
  // set when the verb fails, so later placements still reach the control.
  activated = true;
  if (FAILED(oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0,
                               GetHostWindow(), &rect))) {
    return false;
  }

  IWebBrowser2* browser = GetWebBrowser();
  if (!browser) return false;
  ComPointer<IConnectionPointContainer> container;
  if (FAILED(browser->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container.Out()))) ||
      !container) {
    return false;
  }
  ComPointer<IConnectionPoint> point;
  if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Out())) || !point) return false;
  // The host never unsubscribes, so the cookie is not kept.
  DWORD cookie = 0;
  return SUCCEEDED(point->Advise(static_cast<IDispatch*>(this), &cookie));
}

bool CWebBrowserBase::SetPosition(const RECT& r) {
  if (activated) {
    // The control takes the pixel size as it is, without conversion to HIMETRIC.
    SIZEL size = {r.right - r.left, r.bottom - r.top};
    if (!oleObject || FAILED(oleObject->SetExtent(DVASPECT_CONTENT, &size))) return false;
    if (!inPlaceObject || FAILED(inPlaceObject->SetObjectRects(&r, &r))) return false;
  }
  rect = r;
  return true;
}

HWND CWebBrowserBase::GetHostWindow() { return nullptr; }
void CWebBrowserBase::OnDocumentComplete() {}
void CWebBrowserBase::OnNavigateError() {}
bool CWebBrowserBase::AllowNavigation(const wchar_t*) { return true; }

// --- IUnknown ---

STDMETHODIMP CWebBrowserBase::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  // IOleWindow is refused on purpose: the site and the frame both derive from it,
  // and the control does not need to ask for it.
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *object = static_cast<IDispatch*>(this);
  } else if (iid == IID_IOleClientSite) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (iid == IID_IOleInPlaceSite) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else if (iid == IID_IDocHostUIHandler) {
    *object = static_cast<IDocHostUIHandler*>(this);
  } else if (iid == IID_IServiceProvider) {
    *object = static_cast<IServiceProvider*>(this);
  } else if (iid == IID_IHttpSecurity || iid == IID_IWindowForBindingUI) {
    *object = static_cast<IHttpSecurity*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CWebBrowserBase::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refCount)); }

// Never frees: see the class comment. The count may even fall below zero (the
// banner gives up a reference it never took); nothing depends on its value.
STDMETHODIMP_(ULONG) CWebBrowserBase::Release() { return static_cast<ULONG>(InterlockedDecrement(&refCount)); }

// --- IDispatch ---

STDMETHODIMP CWebBrowserBase::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }

STDMETHODIMP CWebBrowserBase::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserBase::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

// Only the events the banner needs; the navigate error's cancel flag is left as
// the control set it, so the control may still show its own error page.
STDMETHODIMP CWebBrowserBase::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) {
  switch (member) {
    case DISPID_BEFORENAVIGATE2: {
      // Seven arguments, last first: the address is rgvarg[5], the cancel flag rgvarg[0].
      if (!params || params->cArgs != 7 || params->rgvarg[5].vt != (VT_BYREF | VT_VARIANT) ||
          params->rgvarg[0].vt != (VT_BYREF | VT_BOOL)) {
        return S_OK;
      }
      const VARIANT* url = params->rgvarg[5].pvarVal;
      if (url && url->vt == VT_BSTR && !AllowNavigation(url->bstrVal)) *params->rgvarg[0].pboolVal = VARIANT_TRUE;
      return S_OK;
    }
    case DISPID_DOCUMENTCOMPLETE:
      OnDocumentComplete();
      return S_OK;
    case DISPID_NAVIGATEERROR:
      OnNavigateError();
      return S_OK;
    default:
      return E_NOTIMPL;
  }
}

// --- IOleClientSite ---

STDMETHODIMP CWebBrowserBase::SaveObject() { return S_OK; }

STDMETHODIMP CWebBrowserBase::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserBase::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_FAIL;
}

STDMETHODIMP CWebBrowserBase::ShowObject() { return S_OK; }
STDMETHODIMP CWebBrowserBase::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP CWebBrowserBase::RequestNewObjectLayout() { return S_OK; }

// --- IOleWindow ---

STDMETHODIMP CWebBrowserBase::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = GetHostWindow();
  return S_OK;
}

STDMETHODIMP CWebBrowserBase::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// --- IOleInPlaceSite ---

STDMETHODIMP CWebBrowserBase::CanInPlaceActivate() { return activated ? S_OK : S_FALSE; }
STDMETHODIMP CWebBrowserBase::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP CWebBrowserBase::OnUIActivate() { return S_OK; }

STDMETHODIMP CWebBrowserBase::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  if (frame) {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
  }
  // There is no separate document window.
  if (document) *document = nullptr;
  const HWND host = GetHostWindow();
  GetClientRect(host, &rect);
  if (position) *position = rect;
  if (clip) *clip = rect;
  if (frameInfo) {
    frameInfo->cb = sizeof(OLEINPLACEFRAMEINFO);
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = GetParent(host);
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
  }
  return S_OK;
}

STDMETHODIMP CWebBrowserBase::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserBase::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP CWebBrowserBase::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP CWebBrowserBase::DiscardUndoState() { return S_OK; }
STDMETHODIMP CWebBrowserBase::DeactivateAndUndo() { return S_OK; }
// The control is placed by SetPosition alone.
STDMETHODIMP CWebBrowserBase::OnPosRectChange(LPCRECT) { return S_OK; }

// --- IOleInPlaceUIWindow ---

STDMETHODIMP CWebBrowserBase::GetBorder(LPRECT border) {
  GetClientRect(GetHostWindow(), &rect);
  if (border) *border = rect;
  return S_OK;
}

STDMETHODIMP CWebBrowserBase::RequestBorderSpace(LPCBORDERWIDTHS) { return S_OK; }
STDMETHODIMP CWebBrowserBase::SetBorderSpace(LPCBORDERWIDTHS) { return S_OK; }
STDMETHODIMP CWebBrowserBase::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }

// --- IOleInPlaceFrame ---

STDMETHODIMP CWebBrowserBase::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserBase::SetMenu(HMENU, HOLEMENU, HWND) { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserBase::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserBase::SetStatusText(LPCOLESTR) { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserBase::EnableModeless(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserBase::TranslateAccelerator(LPMSG, WORD) { return E_NOTIMPL; }

// --- IDocHostUIHandler ---

// The control's own context menu stays; the host adds none.
STDMETHODIMP CWebBrowserBase::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) { return E_NOTIMPL; }

// The strip is flush with the dialog: no sunken 3-D border around the page. Every
// other member keeps what the control put there.
STDMETHODIMP CWebBrowserBase::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info) return E_POINTER;
  info->dwFlags |= DOCHOSTUIFLAG_NO3DOUTERBORDER;
  return S_OK;
}

STDMETHODIMP CWebBrowserBase::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                     IOleInPlaceUIWindow*) {
  return E_NOTIMPL;
}
STDMETHODIMP CWebBrowserBase::HideUI() { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserBase::UpdateUI() { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserBase::OnDocWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserBase::OnFrameWindowActivate(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserBase::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return E_NOTIMPL; }
STDMETHODIMP CWebBrowserBase::TranslateAccelerator(LPMSG, const GUID*, DWORD) { return E_NOTIMPL; }

STDMETHODIMP CWebBrowserBase::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key) *key = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserBase::GetDropTarget(IDropTarget*, IDropTarget** replacement) {
  if (replacement) *replacement = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserBase::GetExternal(IDispatch** external) {
  if (external) *external = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserBase::TranslateUrl(DWORD, LPWSTR, LPWSTR* urlOut) {
  if (urlOut) *urlOut = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP CWebBrowserBase::FilterDataObject(IDataObject*, IDataObject** replacement) {
  if (replacement) *replacement = nullptr;
  return E_NOTIMPL;
}

// --- IServiceProvider, IHttpSecurity ---

STDMETHODIMP CWebBrowserBase::QueryService(REFGUID service, REFIID iid, void** object) {
  if (service == IID_IHttpSecurity) return QueryInterface(iid, object);
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP CWebBrowserBase::GetWindow(REFGUID, HWND* window) {
  *window = GetHostWindow();
  return S_OK;
}

// Without this answer the control asks the user whether to go on with a certificate
// that is not valid (a dialog, or an error page with a link onwards), and a yes
// would show whatever answered on the way. E_ABORT ends the download; the strip
// shows what it shows after a failed page.
STDMETHODIMP CWebBrowserBase::OnSecurityProblem(DWORD) {
  OnNavigateError();
  return E_ABORT;
}

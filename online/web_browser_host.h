// The container side of an embedded WebBrowser control: the site interfaces the
// control asks its host for, creation, in-place activation, placement, and two of
// the control's events handed to a derived class.
#pragma once

#include <windows.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <oleidl.h>
#include <servprov.h>
#include <urlmon.h>

// One object answers for seven interfaces and keeps one reference count for all of
// them. The count never frees the object: the program keeps its one host for the
// whole run, and the control may call back at any time until the process ends.
class CWebBrowserBase : public IDispatch,
                        public IOleClientSite,
                        public IOleInPlaceSite,
                        public IOleInPlaceFrame,
                        public IDocHostUIHandler,
                        public IServiceProvider,
                        public IHttpSecurity {
 public:
  // Creates the control. A failing step leaves the object without a control; the
  // operations below then do nothing or report failure.
  CWebBrowserBase();

  // True when the control is active in place inside the host window and its events
  // reach this object.
  bool InPlaceActivate();
  // Places the control at r (host-window client pixels); before activation it only
  // remembers r for InPlaceActivate. False when the control refused r.
  bool SetPosition(const RECT& r);
  // The control's browser interface (cached; the host keeps the reference), or null.
  IWebBrowser2* GetWebBrowser();

  // What a derived class binds: the window that hosts the control and three of its
  // events. The base has no window, ignores the page's end and its errors, and lets
  // the control go anywhere: AllowNavigation, asked before the control goes to url
  // (the page, a frame, a link or a script's), cancels that navigation with false.
  virtual HWND GetHostWindow();
  virtual void OnDocumentComplete();
  virtual void OnNavigateError();
  virtual bool AllowNavigation(const wchar_t* url);

  // IUnknown, the same for all five interfaces.
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch: also the sink of the control's DWebBrowserEvents2.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

  // IOleClientSite
  STDMETHODIMP SaveObject() override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP GetContainer(IOleContainer** container) override;
  STDMETHODIMP ShowObject() override;
  STDMETHODIMP OnShowWindow(BOOL show) override;
  STDMETHODIMP RequestNewObjectLayout() override;

  // IOleWindow, shared by the in-place site and the frame.
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override;
  STDMETHODIMP OnInPlaceActivate() override;
  STDMETHODIMP OnUIActivate() override;
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO frameInfo) override;
  STDMETHODIMP Scroll(SIZE extent) override;
  STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
  STDMETHODIMP OnInPlaceDeactivate() override;
  STDMETHODIMP DiscardUndoState() override;
  STDMETHODIMP DeactivateAndUndo() override;
  STDMETHODIMP OnPosRectChange(LPCRECT position) override;

  // IOleInPlaceUIWindow
  STDMETHODIMP GetBorder(LPRECT border) override;
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* activeObject, LPCOLESTR name) override;

  // IOleInPlaceFrame
  STDMETHODIMP InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
  STDMETHODIMP SetMenu(HMENU shared, HOLEMENU descriptor, HWND activeObject) override;
  STDMETHODIMP RemoveMenus(HMENU shared) override;
  STDMETHODIMP SetStatusText(LPCOLESTR text) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;  // also IDocHostUIHandler's
  STDMETHODIMP TranslateAccelerator(LPMSG message, WORD id) override;

  // IDocHostUIHandler
  STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject, IOleCommandTarget* commandTarget,
                      IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
  STDMETHODIMP TranslateAccelerator(LPMSG message, const GUID* group, DWORD command) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
  STDMETHODIMP GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) override;
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) override;
  STDMETHODIMP FilterDataObject(IDataObject* data, IDataObject** replacement) override;

  // The one service offered: the control asks it what to do about a certificate
  // that is not valid. Nothing from such a server is shown and the user is not asked.
  STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** object) override;
  STDMETHODIMP GetWindow(REFGUID reason, HWND* window) override;
  STDMETHODIMP OnSecurityProblem(DWORD problem) override;

 protected:
  // The object lives until the process ends; nothing deletes it.
  ~CWebBrowserBase() = default;

 private:
  LONG refCount = 0;
  RECT rect = {0, 0, 0, 0};
  bool activated = false;
  // Taken once and held for the life of the process: the control is never closed.
  IOleObject* oleObject = nullptr;
  IOleInPlaceObject* inPlaceObject = nullptr;
  IStorage* storage = nullptr;
  IWebBrowser2* webBrowser = nullptr;
};

// The browser host: its interface answers, reference count, activation, placement
// and events against a stand-in control; then creation, placement and a failing
// navigation with the platform's own WebBrowser control.
#include <winsock2.h>

#include "online/web_browser_host.h"

#include <gtest/gtest.h>

#include <exdispid.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/win32/fake_browser_control.h"
#include "tests/win32/message_pump.h"

namespace {

constexpr int HostWidth = 320, HostHeight = 120;

class TestHost : public CWebBrowserBase {
 public:
  explicit TestHost(HWND window) : window(window) {}
  HWND GetHostWindow() override { return window; }
  void OnDocumentComplete() override { ++documentCompletes; }
  void OnNavigateError() override { ++navigateErrors; }

  HWND window;
  int documentCompletes = 0;
  int navigateErrors = 0;
};

HWND MakeWindow(HWND parent = nullptr) {
  const DWORD style = parent ? WS_CHILD | WS_VISIBLE : WS_POPUP | WS_VISIBLE;
  return CreateWindowExW(0, L"STATIC", L"host", style, 10, 10, HostWidth, HostHeight, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

::testing::AssertionResult RectIs(const RECT& got, LONG l, LONG t, LONG r, LONG b) {
  if (SameRect(got, RECT{l, t, r, b})) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << got.left << "," << got.top << "," << got.right << "," << got.bottom
                                       << ") instead of (" << l << "," << t << "," << r << "," << b << ")";
}

class HostWithFakeControl : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override {
    for (HWND w : windows) DestroyWindow(w);
  }
  // A host created while the fake stands in for the control; hosts and controls
  // live on, as they do in the program.
  TestHost* Create(const FakeBrowserControl::Behaviour& behaviour = {}, HWND parent = nullptr) {
    FakeControlFactory factory(behaviour);
    EXPECT_TRUE(factory.registered);
    HWND window = MakeWindow(parent);
    windows.push_back(window);
    auto* host = new TestHost(window);
    fake = factory.created;
    return host;
  }

  std::vector<HWND> windows;
  FakeBrowserControl* fake = nullptr;
};

// --- The interfaces ---

TEST_F(HostWithFakeControl, EveryInterfaceAnswersTheSameTableAndSharesOneCount) {
  TestHost* host = Create();
  IUnknown* primary = static_cast<IDispatch*>(host);
  IUnknown* clientSite = static_cast<IOleClientSite*>(host);
  IUnknown* inPlaceSite = static_cast<IOleInPlaceSite*>(host);
  IUnknown* frame = static_cast<IOleInPlaceFrame*>(host);
  IUnknown* docHost = static_cast<IDocHostUIHandler*>(host);
  struct Answer {
    const IID* iid;
    const char* name;
    IUnknown* expected;  // null: refused
  };
  const Answer table[] = {
      {&IID_IUnknown, "IUnknown", primary},
      {&IID_IDispatch, "IDispatch", primary},
      {&IID_IOleClientSite, "IOleClientSite", clientSite},
      {&IID_IOleInPlaceSite, "IOleInPlaceSite", inPlaceSite},
      {&IID_IOleInPlaceFrame, "IOleInPlaceFrame", frame},
      {&IID_IOleInPlaceUIWindow, "IOleInPlaceUIWindow", frame},
      {&IID_IDocHostUIHandler, "IDocHostUIHandler", docHost},
      {&IID_IOleWindow, "IOleWindow", nullptr},
      {&DIID_DWebBrowserEvents2, "DWebBrowserEvents2", nullptr},
      {&IID_IOleInPlaceSiteEx, "IOleInPlaceSiteEx", nullptr},
      {&IID_IServiceProvider, "IServiceProvider", nullptr},
      {&IID_IOleObject, "IOleObject", nullptr},
  };
  IUnknown* through[] = {primary, clientSite, inPlaceSite, frame, docHost};
  for (IUnknown* asked : through) {
    for (const Answer& answer : table) {
      SCOPED_TRACE(answer.name);
      const LONG before = host->ReferenceCount();
      void* got = reinterpret_cast<void*>(0x1234);  // must be cleared on refusal
      const HRESULT result = asked->QueryInterface(*answer.iid, &got);
      if (answer.expected) {
        EXPECT_EQ(result, S_OK);
        EXPECT_EQ(got, answer.expected);
        EXPECT_EQ(host->ReferenceCount(), before + 1);
      } else {
        EXPECT_EQ(result, E_NOINTERFACE);
        EXPECT_EQ(got, nullptr);
        EXPECT_EQ(host->ReferenceCount(), before);
      }
    }
  }
}

TEST_F(HostWithFakeControl, ReleaseNeverFreesEvenBelowZero) {
  TestHost* host = Create();
  IUnknown* through[] = {static_cast<IDispatch*>(host), static_cast<IOleClientSite*>(host),
                         static_cast<IOleInPlaceSite*>(host), static_cast<IOleInPlaceFrame*>(host),
                         static_cast<IDocHostUIHandler*>(host)};
  LONG count = host->ReferenceCount();
  for (IUnknown* i : through) EXPECT_EQ(static_cast<LONG>(i->AddRef()), ++count);
  for (int round = 0; round < 3; ++round)
    for (IUnknown* i : through) EXPECT_EQ(static_cast<LONG>(i->Release()), --count);
  EXPECT_LT(host->ReferenceCount(), 0);
  // Still whole: it answers and activates.
  void* site = nullptr;
  EXPECT_EQ(through[0]->QueryInterface(IID_IOleClientSite, &site), S_OK);
  EXPECT_TRUE(host->InPlaceActivate());
}

TEST_F(HostWithFakeControl, FixedAnswersOfTheSiteFrameAndDocumentHost) {
  TestHost* host = Create();
  IDispatch* dispatch = host;
  IOleClientSite* client = host;
  IOleInPlaceSite* site = host;
  IOleInPlaceFrame* frame = host;
  IDocHostUIHandler* doc = host;
  RECT r = {1, 2, 3, 4};
  MSG message = {};
  SIZE extent = {1, 1};
  UINT count = 7;
  struct Call {
    const char* name;
    std::function<HRESULT()> call;
    HRESULT expected;
  };
  const Call calls[] = {
      {"GetTypeInfoCount", [&] { return dispatch->GetTypeInfoCount(&count); }, E_NOTIMPL},
      {"GetIDsOfNames", [&] { return dispatch->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr); }, E_NOTIMPL},
      {"SaveObject", [&] { return client->SaveObject(); }, S_OK},
      {"ShowObject", [&] { return client->ShowObject(); }, S_OK},
      {"OnShowWindow", [&] { return client->OnShowWindow(TRUE); }, S_OK},
      {"RequestNewObjectLayout", [&] { return client->RequestNewObjectLayout(); }, S_OK},
      {"site ContextSensitiveHelp", [&] { return site->ContextSensitiveHelp(TRUE); }, E_NOTIMPL},
      {"OnInPlaceActivate", [&] { return site->OnInPlaceActivate(); }, S_OK},
      {"OnUIActivate", [&] { return site->OnUIActivate(); }, S_OK},
      {"Scroll", [&] { return site->Scroll(extent); }, E_NOTIMPL},
      {"OnUIDeactivate", [&] { return site->OnUIDeactivate(FALSE); }, S_OK},
      {"OnInPlaceDeactivate", [&] { return site->OnInPlaceDeactivate(); }, S_OK},
      {"DiscardUndoState", [&] { return site->DiscardUndoState(); }, S_OK},
      {"DeactivateAndUndo", [&] { return site->DeactivateAndUndo(); }, S_OK},
      {"OnPosRectChange", [&] { return site->OnPosRectChange(&r); }, S_OK},
      {"frame ContextSensitiveHelp", [&] { return frame->ContextSensitiveHelp(FALSE); }, E_NOTIMPL},
      {"RequestBorderSpace", [&] { return frame->RequestBorderSpace(&r); }, S_OK},
      {"SetBorderSpace", [&] { return frame->SetBorderSpace(&r); }, S_OK},
      {"SetActiveObject", [&] { return frame->SetActiveObject(nullptr, L"x"); }, S_OK},
      {"InsertMenus", [&] { return frame->InsertMenus(nullptr, nullptr); }, E_NOTIMPL},
      {"SetMenu", [&] { return frame->SetMenu(nullptr, nullptr, nullptr); }, E_NOTIMPL},
      {"RemoveMenus", [&] { return frame->RemoveMenus(nullptr); }, E_NOTIMPL},
      {"SetStatusText", [&] { return frame->SetStatusText(L"x"); }, E_NOTIMPL},
      {"frame EnableModeless", [&] { return frame->EnableModeless(TRUE); }, E_NOTIMPL},
      {"frame TranslateAccelerator", [&] { return frame->TranslateAccelerator(&message, 0); }, E_NOTIMPL},
      {"ShowContextMenu", [&] { return doc->ShowContextMenu(0, nullptr, nullptr, nullptr); }, E_NOTIMPL},
      {"ShowUI", [&] { return doc->ShowUI(0, nullptr, nullptr, nullptr, nullptr); }, E_NOTIMPL},
      {"HideUI", [&] { return doc->HideUI(); }, E_NOTIMPL},
      {"UpdateUI", [&] { return doc->UpdateUI(); }, E_NOTIMPL},
      {"doc EnableModeless", [&] { return doc->EnableModeless(TRUE); }, E_NOTIMPL},
      {"OnDocWindowActivate", [&] { return doc->OnDocWindowActivate(TRUE); }, E_NOTIMPL},
      {"OnFrameWindowActivate", [&] { return doc->OnFrameWindowActivate(TRUE); }, E_NOTIMPL},
      {"ResizeBorder", [&] { return doc->ResizeBorder(&r, nullptr, TRUE); }, E_NOTIMPL},
      {"doc TranslateAccelerator", [&] { return doc->TranslateAccelerator(&message, nullptr, 0); }, E_NOTIMPL},
  };
  for (const Call& c : calls) EXPECT_EQ(c.call(), c.expected) << c.name;

  // The methods with an out-pointer clear it as they refuse.
  struct OutCall {
    const char* name;
    std::function<HRESULT(void**)> call;
    HRESULT expected;
  };
  const OutCall outCalls[] = {
      {"GetTypeInfo", [&](void** o) { return dispatch->GetTypeInfo(0, 0, reinterpret_cast<ITypeInfo**>(o)); },
       E_NOTIMPL},
      {"GetMoniker", [&](void** o) { return client->GetMoniker(0, 0, reinterpret_cast<IMoniker**>(o)); }, E_NOTIMPL},
      {"GetContainer", [&](void** o) { return client->GetContainer(reinterpret_cast<IOleContainer**>(o)); }, E_FAIL},
      {"GetOptionKeyPath", [&](void** o) { return doc->GetOptionKeyPath(reinterpret_cast<LPOLESTR*>(o), 0); },
       E_NOTIMPL},
      {"GetDropTarget", [&](void** o) { return doc->GetDropTarget(nullptr, reinterpret_cast<IDropTarget**>(o)); },
       E_NOTIMPL},
      {"GetExternal", [&](void** o) { return doc->GetExternal(reinterpret_cast<IDispatch**>(o)); }, E_NOTIMPL},
      {"TranslateUrl", [&](void** o) { return doc->TranslateUrl(0, nullptr, reinterpret_cast<LPWSTR*>(o)); },
       E_NOTIMPL},
      {"FilterDataObject", [&](void** o) { return doc->FilterDataObject(nullptr, reinterpret_cast<IDataObject**>(o)); },
       E_NOTIMPL},
  };
  for (const OutCall& c : outCalls) {
    void* out = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(c.call(&out), c.expected) << c.name;
    EXPECT_EQ(out, nullptr) << c.name;
  }
}

TEST_F(HostWithFakeControl, BothWindowQueriesGiveTheHostWindow) {
  TestHost* host = Create();
  HWND fromSite = nullptr, fromFrame = nullptr;
  EXPECT_EQ(static_cast<IOleInPlaceSite*>(host)->GetWindow(&fromSite), S_OK);
  EXPECT_EQ(static_cast<IOleInPlaceFrame*>(host)->GetWindow(&fromFrame), S_OK);
  EXPECT_EQ(fromSite, host->window);
  EXPECT_EQ(fromFrame, host->window);
}

TEST_F(HostWithFakeControl, HostInfoGainsTheNoBorderFlagAndKeepsTheRest) {
  TestHost* host = Create();
  const DWORD flagsIn[] = {0, DOCHOSTUIFLAG_SCROLL_NO | DOCHOSTUIFLAG_DIALOG, DOCHOSTUIFLAG_NO3DOUTERBORDER,
                           0xFFFFFFFFu};
  for (DWORD flags : flagsIn) {
    DOCHOSTUIINFO info = {};
    info.cbSize = sizeof(info);
    info.dwFlags = flags;
    info.dwDoubleClick = DOCHOSTUIDBLCLK_SHOWCODE;
    EXPECT_EQ(static_cast<IDocHostUIHandler*>(host)->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, flags | 0x00200000u);
    EXPECT_EQ(info.cbSize, sizeof(info));
    EXPECT_EQ(info.dwDoubleClick, static_cast<DWORD>(DOCHOSTUIDBLCLK_SHOWCODE));
    EXPECT_EQ(info.pchHostCss, nullptr);
  }
}

// --- Creation, activation, placement ---

TEST_F(HostWithFakeControl, CreationHandsTheClientSiteToTheControl) {
  TestHost* host = Create();
  ASSERT_NE(fake, nullptr);
  EXPECT_EQ(fake->clientSite, static_cast<IOleClientSite*>(host));
  EXPECT_EQ(fake->doVerbCalls, 0);
  EXPECT_FALSE(host->Activated());
}

TEST_F(HostWithFakeControl, ActivationRunsTheVerbOnceAndSubscribesToEvents) {
  TestHost* host = Create();
  IOleInPlaceSite* site = host;
  EXPECT_EQ(site->CanInPlaceActivate(), S_FALSE);

  EXPECT_TRUE(host->InPlaceActivate());
  EXPECT_EQ(fake->doVerbCalls, 1);
  EXPECT_EQ(fake->verb, OLEIVERB_INPLACEACTIVATE);
  EXPECT_EQ(fake->verbSite, static_cast<IOleClientSite*>(host));
  EXPECT_EQ(fake->verbParent, host->window);
  // Nothing placed yet: the whole client area.
  EXPECT_TRUE(RectIs(fake->verbRect, 0, 0, HostWidth, HostHeight));
  EXPECT_EQ(fake->canActivateDuringVerb, S_OK);
  EXPECT_TRUE(IsEqualIID(fake->connectionAsked, DIID_DWebBrowserEvents2));
  EXPECT_EQ(fake->sinkGiven, static_cast<IUnknown*>(static_cast<IDispatch*>(host)));
  EXPECT_EQ(site->CanInPlaceActivate(), S_OK);

  EXPECT_TRUE(host->InPlaceActivate());
  EXPECT_EQ(fake->doVerbCalls, 1);
}

TEST_F(HostWithFakeControl, PlacementBeforeActivationIsOnlyRemembered) {
  TestHost* host = Create();
  EXPECT_TRUE(host->SetPosition(RECT{0, 2, 236, 38}));
  EXPECT_EQ(fake->setExtentCalls, 0);
  EXPECT_EQ(fake->setObjectRectsCalls, 0);
  EXPECT_TRUE(RectIs(host->Rect(), 0, 2, 236, 38));

  EXPECT_TRUE(host->InPlaceActivate());
  EXPECT_TRUE(RectIs(fake->verbRect, 0, 2, 236, 38));
}

TEST_F(HostWithFakeControl, PlacementAfterActivationReachesTheControl) {
  TestHost* host = Create();
  ASSERT_TRUE(host->InPlaceActivate());
  const RECT rects[] = {{0, 2, 236, 38}, {5, 7, 105, 57}, {0, 0, 0, 0}};
  for (const RECT& r : rects) {
    EXPECT_TRUE(host->SetPosition(r));
    EXPECT_EQ(fake->extentAspect, static_cast<DWORD>(DVASPECT_CONTENT));
    // Pixels, passed on without conversion.
    EXPECT_EQ(fake->extent.cx, r.right - r.left);
    EXPECT_EQ(fake->extent.cy, r.bottom - r.top);
    EXPECT_TRUE(SameRect(fake->position, r));
    EXPECT_TRUE(SameRect(fake->clip, r));
    EXPECT_TRUE(SameRect(host->Rect(), r));
  }
  EXPECT_EQ(fake->setExtentCalls, 3);
  EXPECT_EQ(fake->setObjectRectsCalls, 3);
}

TEST_F(HostWithFakeControl, RefusedPlacementKeepsTheOldRectangle) {
  struct Case {
    const char* name;
    FakeBrowserControl::Behaviour behaviour;
    int objectRectsCalls;
  };
  Case cases[] = {{"extent refused", {}, 0}, {"rectangles refused", {}, 1}, {"no in-place object", {}, 0}};
  cases[0].behaviour.setExtent = E_FAIL;
  cases[1].behaviour.setObjectRects = E_FAIL;
  cases[2].behaviour.inPlaceObject = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestHost* host = Create(c.behaviour);
    ASSERT_TRUE(host->SetPosition(RECT{1, 1, 50, 20}));
    host->InPlaceActivate();
    EXPECT_FALSE(host->SetPosition(RECT{0, 2, 236, 38}));
    EXPECT_TRUE(RectIs(host->Rect(), 1, 1, 50, 20));
    EXPECT_EQ(fake->setObjectRectsCalls, c.objectRectsCalls);
  }
}

TEST_F(HostWithFakeControl, ActivationFailuresAreReportedAndLeaveTheFlagSet) {
  struct Case {
    const char* name;
    FakeBrowserControl::Behaviour behaviour;
    bool browser;
  };
  Case cases[] = {{"verb fails", {}, true},
                  {"no browser interface", {}, false},
                  {"no connection points", {}, true},
                  {"advise refused", {}, true}};
  cases[0].behaviour.doVerb = E_FAIL;
  cases[1].behaviour.webBrowser = false;
  cases[2].behaviour.connectionPoints = false;
  cases[3].behaviour.advise = CONNECT_E_ADVISELIMIT;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestHost* host = Create(c.behaviour);
    EXPECT_FALSE(host->InPlaceActivate());
    EXPECT_EQ(static_cast<IOleInPlaceSite*>(host)->CanInPlaceActivate(), S_OK);
    EXPECT_EQ(host->GetWebBrowser() != nullptr, c.browser);
    // Later placements still try the control.
    EXPECT_TRUE(host->SetPosition(RECT{0, 0, 10, 10}));
    EXPECT_EQ(fake->setExtentCalls, 1);
    // And activation is not attempted twice.
    EXPECT_TRUE(host->InPlaceActivate());
    EXPECT_EQ(fake->doVerbCalls, 1);
  }
}

TEST_F(HostWithFakeControl, WithoutAControlNothingHappensButRectanglesAreRemembered) {
  FakeControlFactory refusing({}, E_OUTOFMEMORY);
  ASSERT_TRUE(refusing.registered);
  HWND window = MakeWindow();
  windows.push_back(window);
  auto* host = new TestHost(window);
  EXPECT_EQ(refusing.created, nullptr);
  EXPECT_FALSE(host->InPlaceActivate());
  EXPECT_FALSE(host->Activated());
  EXPECT_EQ(host->GetWebBrowser(), nullptr);
  EXPECT_TRUE(host->SetPosition(RECT{0, 2, 236, 38}));
  EXPECT_TRUE(RectIs(host->Rect(), 0, 2, 236, 38));
}

TEST_F(HostWithFakeControl, TheBrowserInterfaceIsAskedForOnceAndKept) {
  TestHost* host = Create();
  IWebBrowser2* first = host->GetWebBrowser();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(host->GetWebBrowser(), first);
  host->InPlaceActivate();
  EXPECT_EQ(host->GetWebBrowser(), first);
  EXPECT_EQ(fake->webBrowserQueries, 1);
}

TEST_F(HostWithFakeControl, WindowContextAndBorderReportTheHostClientArea) {
  HWND parent = MakeWindow();
  windows.push_back(parent);
  struct Case {
    const char* name;
    HWND parent;
  };
  const Case cases[] = {{"top-level host", nullptr}, {"child host", parent}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestHost* host = Create({}, c.parent);
    ASSERT_TRUE(host->SetPosition(RECT{0, 2, 30, 40}));

    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = reinterpret_cast<IOleInPlaceUIWindow*>(0x1234);
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    const LONG before = host->ReferenceCount();
    EXPECT_EQ(static_cast<IOleInPlaceSite*>(host)->GetWindowContext(&frame, &document, &position, &clip, &info), S_OK);
    EXPECT_EQ(frame, static_cast<IOleInPlaceFrame*>(host));
    EXPECT_EQ(host->ReferenceCount(), before + 1);
    EXPECT_EQ(document, nullptr);
    EXPECT_TRUE(RectIs(position, 0, 0, HostWidth, HostHeight));
    EXPECT_TRUE(RectIs(clip, 0, 0, HostWidth, HostHeight));
    EXPECT_TRUE(RectIs(host->Rect(), 0, 0, HostWidth, HostHeight));
    EXPECT_EQ(info.cb, sizeof(OLEINPLACEFRAMEINFO));
    EXPECT_FALSE(info.fMDIApp);
    EXPECT_EQ(info.hwndFrame, c.parent);
    EXPECT_EQ(info.haccel, nullptr);
    EXPECT_EQ(info.cAccelEntries, 0u);

    ASSERT_TRUE(host->SetPosition(RECT{0, 2, 30, 40}));
    RECT border = {};
    EXPECT_EQ(static_cast<IOleInPlaceFrame*>(host)->GetBorder(&border), S_OK);
    EXPECT_TRUE(RectIs(border, 0, 0, HostWidth, HostHeight));
    EXPECT_TRUE(RectIs(host->Rect(), 0, 0, HostWidth, HostHeight));
  }
}

// --- Events ---

TEST_F(HostWithFakeControl, OnlyDocumentCompleteAndNavigateErrorReachTheHooks) {
  TestHost* host = Create();
  ASSERT_TRUE(host->InPlaceActivate());
  ASSERT_NE(fake->sink, nullptr);
  struct Case {
    DISPID event;
    HRESULT expected;
    int documentCompletes, navigateErrors;  // totals after the event
  };
  const Case cases[] = {
      {DISPID_BEFORENAVIGATE2, E_NOTIMPL, 0, 0},
      {DISPID_NAVIGATECOMPLETE2, E_NOTIMPL, 0, 0},
      {DISPID_DOCUMENTCOMPLETE, S_OK, 1, 0},
      {DISPID_NAVIGATEERROR, S_OK, 1, 1},
      {DISPID_NAVIGATEERROR, S_OK, 1, 2},
      {DISPID_DOCUMENTCOMPLETE, S_OK, 2, 2},
      {DISPID_STATUSTEXTCHANGE, E_NOTIMPL, 2, 2},
      {0, E_NOTIMPL, 2, 2},
      {-5501, E_NOTIMPL, 2, 2},  // an ambient property the control asks its site
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fake->Raise(c.event), c.expected) << c.event;
    EXPECT_EQ(host->documentCompletes, c.documentCompletes) << c.event;
    EXPECT_EQ(host->navigateErrors, c.navigateErrors) << c.event;
  }
}

TEST_F(HostWithFakeControl, NavigateErrorLeavesItsArgumentsAsTheControlSetThem) {
  TestHost* host = Create();
  ASSERT_TRUE(host->InPlaceActivate());
  VARIANT_BOOL cancel = VARIANT_FALSE;
  VARIANT args[5];
  for (VARIANT& a : args) VariantInit(&a);
  // Last argument first, as IDispatch orders them: the cancel flag is first.
  args[0].vt = VT_BYREF | VT_BOOL;
  args[0].pboolVal = &cancel;
  DISPPARAMS params = {args, nullptr, 5, 0};
  VARIANT result;
  VariantInit(&result);
  EXPECT_EQ(fake->sink->Invoke(DISPID_NAVIGATEERROR, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr),
            S_OK);
  EXPECT_EQ(cancel, VARIANT_FALSE);
  EXPECT_EQ(result.vt, VT_EMPTY);
  EXPECT_EQ(host->navigateErrors, 1);
}

TEST_F(HostWithFakeControl, TheBareBaseHasNoWindowAndIgnoresEvents) {
  FakeControlFactory factory;
  auto* base = new CWebBrowserBase();
  FakeBrowserControl* control = factory.created;
  ASSERT_NE(control, nullptr);
  HWND window = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(static_cast<IOleInPlaceSite*>(base)->GetWindow(&window), S_OK);
  EXPECT_EQ(window, nullptr);
  EXPECT_TRUE(base->InPlaceActivate());
  EXPECT_EQ(control->verbParent, nullptr);
  EXPECT_EQ(control->Raise(DISPID_DOCUMENTCOMPLETE), S_OK);
  EXPECT_EQ(control->Raise(DISPID_NAVIGATEERROR), S_OK);
}

// --- The platform's own control ---

// Answers one HTTP request on a loopback port with 404 and records its first line.
class OneShotServer {
 public:
  OneShotServer() {
    WSADATA data;
    started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    int length = sizeof(address);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    listen(listener, 4);
    worker = std::thread([this] { Serve(); });
  }
  OneShotServer(const OneShotServer&) = delete;
  OneShotServer& operator=(const OneShotServer&) = delete;
  ~OneShotServer() {
    closesocket(listener);  // ends a pending accept
    worker.join();
    if (started) WSACleanup();
  }
  std::string FirstLine() {
    std::lock_guard<std::mutex> lock(mutex);
    return firstLine;
  }
  unsigned short port = 0;

 private:
  void Serve() {
    SOCKET client = accept(listener, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    std::string request;
    char buffer[1024];
    // Bounded: the socket gives up after two seconds without data.
    DWORD timeout = 2000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
    while (request.find("\r\n\r\n") == std::string::npos) {
      const int got = recv(client, buffer, sizeof(buffer), 0);
      if (got <= 0) break;
      request.append(buffer, got);
    }
    {
      std::lock_guard<std::mutex> lock(mutex);
      firstLine = request.substr(0, request.find("\r\n"));
    }
    const char answer[] = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    send(client, answer, sizeof(answer) - 1, 0);
    closesocket(client);
  }

  bool started = false;
  SOCKET listener = INVALID_SOCKET;
  std::thread worker;
  std::mutex mutex;
  std::string firstLine;
};

HWND ChildOfClass(HWND parent, const wchar_t* className) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (wcscmp(name, className) == 0) return child;
  }
  return nullptr;
}

RECT ChildRect(HWND parent, HWND child) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST(HostWithPlatformControl, CreatesActivatesPlacesAndReportsAFailedNavigation) {
  ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
  HWND window = MakeWindow();
  auto* host = new TestHost(window);
  ASSERT_NE(host->GetWebBrowser(), nullptr) << "no WebBrowser control on this system";
  ASSERT_TRUE(host->InPlaceActivate());

  // The control's window lives inside the host, over its whole client area at first.
  HWND embedding = ChildOfClass(window, L"Shell Embedding");
  ASSERT_NE(embedding, nullptr);
  EXPECT_TRUE(RectIs(ChildRect(window, embedding), 0, 0, HostWidth, HostHeight));
  EXPECT_TRUE(host->SetPosition(RECT{0, 2, 236, 38}));
  EXPECT_TRUE(RectIs(ChildRect(window, embedding), 0, 2, 236, 38));

  OneShotServer server;
  const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(server.port) + L"/bar.php";
  VARIANT address;
  VariantInit(&address);
  address.vt = VT_BSTR;
  address.bstrVal = SysAllocString(url.c_str());
  EXPECT_TRUE(SUCCEEDED(host->GetWebBrowser()->Navigate2(&address, nullptr, nullptr, nullptr, nullptr)));
  VariantClear(&address);

  EXPECT_TRUE(PumpUntil([&] { return host->navigateErrors > 0; }, 20000)) << "no NavigateError";
  EXPECT_EQ(server.FirstLine().rfind("GET /bar.php HTTP/1.", 0), 0u) << server.FirstLine();
  EXPECT_EQ(host->documentCompletes, 0);

  // An empty rectangle hides the control.
  EXPECT_TRUE(host->SetPosition(RECT{0, 0, 0, 0}));
  EXPECT_TRUE(RectIs(ChildRect(window, embedding), 0, 0, 0, 0));
  DestroyWindow(window);
}

}  // namespace

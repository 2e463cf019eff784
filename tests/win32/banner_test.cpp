// The banner strip inside the program's own dialog template 102: its layout for
// both looks, the probe's messages, the web page request, the fallback link and
// its painting. The browser control is the stand-in of fake_browser_control.h,
// except in the last test, which uses the platform's control.
#include "online/banner.h"

#include <gtest/gtest.h>

#include <exdispid.h>
#include <shlwapi.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/main_dialog.h"
#include "app/maker_config.h"
#include "res/resource.h"
#include "tests/win32/fake_browser_control.h"
#include "tests/win32/message_pump.h"

namespace {

const wchar_t ThemeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

::testing::AssertionResult RectIs(const RECT& got, LONG l, LONG t, LONG r, LONG b) {
  if (got.left == l && got.top == t && got.right == r && got.bottom == b) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << got.left << "," << got.top << "," << got.right << "," << got.bottom
                                       << ") instead of (" << l << "," << t << "," << r << "," << b << ")";
}

RECT ChildRect(HWND parent, HWND child) {
  RECT r = {};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// What reached the dialog, recorded by its procedure.
struct DialogLog {
  std::vector<UINT> bannerMessages;
  int drawItems = 0;
  DRAWITEMSTRUCT lastDrawItem = {};
  int frameRecalculations = 0;  // WM_NCCALCSIZE: what DrawMenuBar causes
};
DialogLog dialogLog;

// The banner's share of the main dialog's routing; the banner messages are only
// recorded, so each test decides what to show.
INT_PTR CALLBACK TestDialogProc(HWND, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_DRAWITEM:
      ++dialogLog.drawItems;
      dialogLog.lastDrawItem = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      return DrawBannerBitmap(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_NCCALCSIZE:
      ++dialogLog.frameRecalculations;
      return 0;
    case WM_BANNER_WEB:
    case WM_BANNER_LINK:
      dialogLog.bannerMessages.push_back(message);
      return 1;
    default:
      return 0;
  }
}

std::vector<HWND> LinkStatics(HWND dialog) {
  std::vector<HWND> links;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    if (_wcsicmp(name, L"Static") == 0 && GetDlgCtrlID(child) == 0) links.push_back(child);
  }
  return links;
}

enum class Theme { TextOne, TextZero, DwordOne, Missing };

// The dialog of the program with the strip set up under a chosen "ThemeActive";
// the user's own value is put back afterwards.
class BannerStrip : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    savedSize = sizeof(saved);
    hadValue = SHGetValueW(HKEY_CURRENT_USER, ThemeKey, L"ThemeActive", &savedType, saved, &savedSize) == ERROR_SUCCESS;
    dialogLog = DialogLog();
  }
  void TearDown() override {
    if (dialog) {
      // The probe's two messages come within about a second; none may reach a
      // later test's dialog.
      EXPECT_TRUE(PumpUntil([] { return dialogLog.bannerMessages.size() >= 2; }, 10000));
      DestroyWindow(dialog);
    }
    if (hadValue) {
      SHSetValueW(HKEY_CURRENT_USER, ThemeKey, L"ThemeActive", savedType, saved, savedSize);
    } else {
      SHDeleteValueW(HKEY_CURRENT_USER, ThemeKey, L"ThemeActive");
    }
  }

  static void SetTheme(Theme theme) {
    const DWORD one = 1;
    switch (theme) {
      case Theme::TextOne:
        SHSetValueW(HKEY_CURRENT_USER, ThemeKey, L"ThemeActive", REG_SZ, L"1", 4);
        break;
      case Theme::TextZero:
        SHSetValueW(HKEY_CURRENT_USER, ThemeKey, L"ThemeActive", REG_SZ, L"0", 4);
        break;
      case Theme::DwordOne:
        SHSetValueW(HKEY_CURRENT_USER, ThemeKey, L"ThemeActive", REG_DWORD, &one, sizeof(one));
        break;
      case Theme::Missing:
        SHDeleteValueW(HKEY_CURRENT_USER, ThemeKey, L"ThemeActive");
        break;
    }
  }

  // Creates dialog 102 and runs SetUpBanner on it while the fake stands in for the
  // control (behaviour), or with no control at all (createResult a failure).
  void Start(Theme theme, const FakeBrowserControl::Behaviour& behaviour = {}, HRESULT createResult = S_OK) {
    SetTheme(theme);
    dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, TestDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    RECT placeholder = {};
    GetClientRect(GetDlgItem(dialog, IDC_BANNER_PLACEHOLDER), &placeholder);
    width = placeholder.right;
    height = placeholder.bottom;
    lowerLineBefore = ChildRect(dialog, GetDlgItem(dialog, IDC_LINE_BOTTOM));
    FakeControlFactory factory(behaviour, createResult);
    ASSERT_TRUE(factory.registered);
    SetUpBanner(dialog);
    fake = factory.created;
  }

  static int ReportedMajorVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    return GetVersionExW(&info) ? static_cast<int>(info.dwMajorVersion) : 0;
  }

  HWND dialog = nullptr;
  LONG width = 0, height = 0;
  RECT lowerLineBefore = {};
  FakeBrowserControl* fake = nullptr;

 private:
  bool hadValue = false;
  DWORD savedType = 0;
  BYTE saved[1024] = {};
  DWORD savedSize = 0;
};

TEST_F(BannerStrip, TheLookOfTheDesktopPlacesTheStripAndTheLines) {
  const int major = ReportedMajorVersion();
  ASSERT_GT(major, 5) << "these expectations are for version 6 and later";
  struct Case {
    const char* name;
    Theme theme;
    int themeValue;
    bool themed;
  };
  const Case cases[] = {{"\"1\"", Theme::TextOne, 49, true},
                        {"\"0\"", Theme::TextZero, 48, false},
                        {"DWORD 1", Theme::DwordOne, 1, false},
                        {"missing", Theme::Missing, 0, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.theme);
    EXPECT_EQ(osMajorVersion, major);
    EXPECT_EQ(themeActiveValue, c.themeValue);
    EXPECT_EQ(bannerPlaceholder, GetDlgItem(dialog, IDC_BANNER_PLACEHOLDER));
    HWND upper = GetDlgItem(dialog, IDC_LINE_TOP);
    HWND lower = GetDlgItem(dialog, IDC_LINE_BOTTOM);
    const RECT lowerNow = ChildRect(dialog, lower);
    if (c.themed) {
      EXPECT_TRUE(RectIs(bannerRect, 0, 0, width, height));
      EXPECT_FALSE(IsWindowVisible(upper));
      // Right under the strip, its size unchanged.
      EXPECT_TRUE(RectIs(lowerNow, 0, height, lowerLineBefore.right - lowerLineBefore.left,
                         height + lowerLineBefore.bottom - lowerLineBefore.top));
    } else {
      EXPECT_TRUE(RectIs(bannerRect, 0, 2, width, height + 2));
      EXPECT_TRUE(IsWindowVisible(upper));
      EXPECT_TRUE(
          RectIs(lowerNow, lowerLineBefore.left, lowerLineBefore.top, lowerLineBefore.right, lowerLineBefore.bottom));
    }
    // The control is activated in the dialog and placed over the strip at once.
    ASSERT_NE(fake, nullptr);
    EXPECT_EQ(fake->doVerbCalls, 1);
    EXPECT_EQ(fake->verbParent, dialog);
    EXPECT_TRUE(RectIs(fake->position, bannerRect.left, bannerRect.top, bannerRect.right, bannerRect.bottom));
    EXPECT_EQ(fake->navigateCalls, 0);
    TearDown();
    dialog = nullptr;
    dialogLog = DialogLog();
  }
}

TEST_F(BannerStrip, TheProbeReportsFirstAndTheWatchdogSecond) {
  // The same look-up the probe makes, to know its answer here.
  const DWORD start = GetTickCount();
  const bool resolves = CanResolveContentServer();
  const bool quick = GetTickCount() - start < 500;
  Start(Theme::TextOne);
  ASSERT_TRUE(PumpUntil([] { return dialogLog.bannerMessages.size() >= 2; }, 10000));
  if (quick) {
    // A probe that ends in time has delivered its message before the watchdog's.
    EXPECT_EQ(dialogLog.bannerMessages[0], resolves ? WM_BANNER_WEB : WM_BANNER_LINK);
    EXPECT_EQ(dialogLog.bannerMessages[1], WM_BANNER_WEB);
  }
  EXPECT_EQ(dialogLog.bannerMessages.size(), 2u);
}

TEST_F(BannerStrip, TheWebBannerAsksForTheBarPage) {
  Start(Theme::TextOne);
  ShowWebBanner();
  EXPECT_EQ(fake->navigateCalls, 1);
  EXPECT_EQ(fake->urlType, VT_BSTR);
  EXPECT_EQ(fake->url, std::wstring(L"http://") + QW_CONTENT_HOST + L"/bar.php");
  EXPECT_TRUE(fake->navigateOptionsNull);
  EXPECT_TRUE(LinkStatics(dialog).empty());
}

TEST_F(BannerStrip, TheLinkCoversTheStripExactlyInBothLooks) {
  struct Case {
    const char* name;
    Theme theme;
    LONG top;
  };
  const Case cases[] = {{"themed", Theme::TextOne, 0}, {"classic", Theme::TextZero, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.theme);
    const LONG refsBefore = bannerBrowser->ReferenceCount();
    ShowFallbackLink(dialog);

    const std::vector<HWND> links = LinkStatics(dialog);
    ASSERT_EQ(links.size(), 1u);
    HWND link = links[0];
    EXPECT_EQ(link, fallbackLink);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(link, GWL_STYLE)), 0x5000000Du);
    EXPECT_EQ(GetWindowLongW(link, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY, 0);
    EXPECT_TRUE(RectIs(ChildRect(dialog, link), 0, c.top, width, c.top + height));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(link, GWLP_WNDPROC)), FallbackLinkProc);
    EXPECT_NE(previousLinkProc, nullptr);
    EXPECT_NE(previousLinkProc, FallbackLinkProc);
    // The browser shrinks to nothing behind it.
    EXPECT_TRUE(RectIs(fake->position, 0, 0, 0, 0));
    EXPECT_EQ(bannerBrowser->ReferenceCount(), refsBefore - 1);
    TearDown();
    dialog = nullptr;
    dialogLog = DialogLog();
  }
}

TEST_F(BannerStrip, RepeatedNavigationErrorsKeepOneLink) {
  Start(Theme::TextZero);
  ASSERT_NE(fake->sink, nullptr);
  EXPECT_EQ(bannerBrowser->GetHostWindow(), dialog);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(fake->Raise(DISPID_NAVIGATEERROR), S_OK);
  const std::vector<HWND> links = LinkStatics(dialog);
  ASSERT_EQ(links.size(), 1u);
  EXPECT_TRUE(RectIs(ChildRect(dialog, links[0]), 0, 2, width, height + 2));
  EXPECT_TRUE(RectIs(fake->position, 0, 0, 0, 0));
}

TEST_F(BannerStrip, ALoadedPageRedrawsTheMenuBarOnly) {
  Start(Theme::TextOne);
  ASSERT_NE(fake->sink, nullptr);
  const int before = dialogLog.frameRecalculations;
  EXPECT_EQ(fake->Raise(DISPID_DOCUMENTCOMPLETE), S_OK);
  EXPECT_GT(dialogLog.frameRecalculations, before);
  EXPECT_TRUE(LinkStatics(dialog).empty());
}

TEST_F(BannerStrip, WithoutAControlThePageIsSkippedAndTheLinkStillShows) {
  Start(Theme::TextOne, {}, E_OUTOFMEMORY);
  EXPECT_EQ(fake, nullptr);
  ASSERT_NE(bannerBrowser, nullptr);
  EXPECT_EQ(bannerBrowser->GetWebBrowser(), nullptr);
  ShowWebBanner();
  EXPECT_TRUE(LinkStatics(dialog).empty());
  ShowFallbackLink(dialog);
  EXPECT_EQ(LinkStatics(dialog).size(), 1u);
}

TEST_F(BannerStrip, TheLinkTakesTheMouseShowsTheHandAndIsPaintedByTheDialog) {
  Start(Theme::TextOne);
  ShowFallbackLink(dialog);
  HWND link = fallbackLink;
  ASSERT_NE(link, nullptr);
  // Without SS_NOTIFY a static is transparent to the mouse; the link answers
  // HTCLIENT, and 1 to everything else too.
  EXPECT_EQ(SendMessageW(link, WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTCLIENT);
  EXPECT_EQ(SendMessageW(link, WM_GETDLGCODE, 0, 0), 1);
  EXPECT_EQ(SendMessageW(link, WM_USER + 77, 0, 0), 1);

  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)), 1);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

  // Painting still runs through the static's own procedure, which asks the dialog.
  const int before = dialogLog.drawItems;
  RedrawWindow(link, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_TRUE(PumpUntil([&] { return dialogLog.drawItems > before; }, 5000));
  EXPECT_EQ(dialogLog.lastDrawItem.CtlType, static_cast<UINT>(ODT_STATIC));
  EXPECT_EQ(dialogLog.lastDrawItem.hwndItem, link);
  EXPECT_TRUE(RectIs(dialogLog.lastDrawItem.rcItem, 0, 0, width, height));
}

// --- Painting ---

// A 32-bit top-down canvas filled with one colour.
struct Canvas {
  static constexpr int Width = 300, Height = 60;
  static constexpr DWORD Fill = 0x00FF00FF;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  DWORD* pixels = nullptr;
  Canvas() {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = Width;
    info.bmiHeader.biHeight = -Height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
    previous = SelectObject(dc, bitmap);
    for (int i = 0; i < Width * Height; ++i) pixels[i] = Fill;
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  ~Canvas() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  DWORD At(int x, int y) const {
    GdiFlush();
    return pixels[y * Width + x] & 0x00FFFFFF;
  }
};

// Bitmap 107 as 32-bit pixels, read independently of the code under test.
std::vector<DWORD> BannerPixels(int& width, int& height) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BANNER), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BITMAP info = {};
  GetObjectW(bitmap, sizeof(info), &info);
  width = info.bmWidth;
  height = info.bmHeight;
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof(format.bmiHeader);
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, height, pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
  for (DWORD& p : pixels) p &= 0x00FFFFFF;
  return pixels;
}

TEST(BannerBitmap, IsTheDeclaredSize) {
  int width = 0, height = 0;
  BannerPixels(width, height);
  EXPECT_EQ(width, 236);
  EXPECT_EQ(height, 36);
}

TEST(BannerBitmap, PaintsTheTopLeftOfTheBitmapUnscaledIntoTheItemOnly) {
  int bitmapWidth = 0, bitmapHeight = 0;
  const std::vector<DWORD> expected = BannerPixels(bitmapWidth, bitmapHeight);
  struct Size {
    int width, height;
  };
  const Size sizes[] = {{236, 36}, {120, 20}, {1, 1}};
  for (const Size& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
    Canvas canvas;
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_STATIC;
    item.hDC = canvas.dc;
    item.rcItem = RECT{0, 0, size.width, size.height};
    EXPECT_EQ(DrawBannerBitmap(&item), TRUE);
    int wrong = 0;
    for (int y = 0; y < Canvas::Height; ++y) {
      for (int x = 0; x < Canvas::Width; ++x) {
        const bool inside = x < size.width && y < size.height;
        const DWORD want = inside ? expected[y * bitmapWidth + x] : Canvas::Fill;
        if (canvas.At(x, y) != want) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

// Where GetGuiResources counts GDI objects, its count; otherwise (Wine) the highest
// table index, in the low word of a handle, that a batch of fresh objects gets.
// Freed slots are handed out again first, so that index grows only while objects
// are left behind.
long GdiObjectsInUse() {
  const DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (count) return static_cast<long>(count);
  HBRUSH probes[32];
  long highest = 0;
  for (HBRUSH& probe : probes) {
    probe = CreateSolidBrush(0);
    highest = std::max(highest, static_cast<long>(reinterpret_cast<UINT_PTR>(probe) & 0xFFFF));
  }
  for (HBRUSH probe : probes) DeleteObject(probe);
  return highest;
}

TEST(BannerBitmap, RepeatedPaintsLeaveNoGdiObjectsBehind) {
  Canvas canvas;
  DRAWITEMSTRUCT item = {};
  item.hDC = canvas.dc;
  item.rcItem = RECT{0, 0, 236, 36};
  DrawBannerBitmap(&item);  // anything created once for good is in place now
  const long before = GdiObjectsInUse();
  for (int i = 0; i < 500; ++i) DrawBannerBitmap(&item);
  EXPECT_LE(GdiObjectsInUse(), before + 8);
}

// --- With the platform's control ---

TEST_F(BannerStrip, APlatformControlThatFailsToLoadGivesWayToTheLink) {
  SetTheme(Theme::TextZero);
  dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr, TestDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  SetUpBanner(dialog);
  ASSERT_NE(bannerBrowser->GetWebBrowser(), nullptr) << "no WebBrowser control on this system";
  HWND embedding = nullptr;
  for (HWND child = GetWindow(dialog, GW_CHILD); child && !embedding; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (wcscmp(name, L"Shell Embedding") == 0) embedding = child;
  }
  ASSERT_NE(embedding, nullptr);
  EXPECT_TRUE(
      RectIs(ChildRect(dialog, embedding), bannerRect.left, bannerRect.top, bannerRect.right, bannerRect.bottom));

  // Nothing listens on port 1 of the loopback: the control reports NavigateError.
  VARIANT address;
  VariantInit(&address);
  address.vt = VT_BSTR;
  address.bstrVal = SysAllocString(L"http://127.0.0.1:1/bar.php");
  bannerBrowser->GetWebBrowser()->Navigate2(&address, nullptr, nullptr, nullptr, nullptr);
  VariantClear(&address);
  ASSERT_TRUE(PumpUntil([&] { return !LinkStatics(dialog).empty(); }, 20000)) << "no link after the error";
  EXPECT_EQ(LinkStatics(dialog).size(), 1u);
  EXPECT_TRUE(RectIs(ChildRect(dialog, embedding), 0, 0, 0, 0));
}

}  // namespace

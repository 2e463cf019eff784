// gethostbyname is the look-up the probe is defined by; its newer replacement
// would behave the same here.
#define _WINSOCK_DEPRECATED_NO_WARNINGS
#include <winsock2.h>

#include "online/banner.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <new>

#include "common/dpi.h"
#include "common/maker_config.h"
#include "common/window_messages.h"
#include "online/banner_layout.h"
#include "online/internet_handle.h"
#include "res/resource.h"

HWND bannerPlaceholder = nullptr;
RECT bannerRect = {0, 0, 0, 0};
int osMajorVersion = 0;
int themeActiveValue = 0;
QwWebBrowser* bannerBrowser = nullptr;
WNDPROC previousLinkProc = nullptr;

namespace {

const wchar_t BannerPageAddress[] = QW_CONTENT_SCHEME L"://" QW_CONTENT_HOST L"/bar.php";
HWND fallbackLink = nullptr;  // the link static, once shown
UINT bannerDpi = 96;          // the dialog's DPI the strip is laid out for

const char ContentHostName[] = QW_CONTENT_HOST_A;
constexpr DWORD ProbeWaitMs = 1000;

BannerLook CurrentLook() { return LookFor(osMajorVersion, themeActiveValue); }

RECT ToRect(const BannerBox& box) { return RECT{box.left, box.top, box.right, box.bottom}; }

int ReadOsMajorVersion() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // the reported version is what the look is defined by
#endif
  const BOOL known = GetVersionExW(&info);
  return known ? static_cast<int>(info.dwMajorVersion) : 0;
}

int ReadThemeActiveValue() {
  // Zeroed first: a short value leaves the rest of the four bytes at zero.
  unsigned char buffer[1024] = {};
  DWORD type = 0;
  DWORD size = sizeof(buffer);
  if (SHGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager", L"ThemeActive",
                  &type, buffer, &size) != ERROR_SUCCESS) {
    return 0;
  }
  return ThemeActiveFromBytes(buffer);
}

void Report(HWND dialog, BannerChoice choice) {
  SendMessageW(dialog, choice == BannerChoice::WebPage ? WM_BANNER_WEB : WM_BANNER_LINK, 0, 0);
}

// A memory DC and a bitmap, each given back when the paint is done.
struct PaintResources {
  HDC memory = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  PaintResources() = default;
  PaintResources(const PaintResources&) = delete;
  PaintResources& operator=(const PaintResources&) = delete;
  ~PaintResources() {
    if (memory && previous) SelectObject(memory, previous);
    if (memory) DeleteDC(memory);
    if (bitmap) DeleteObject(bitmap);
  }
};

// The URL as a BSTR variant, freed after the call: the control in use may accept
// only VT_BSTR, which every WebBrowser control understands.
class UrlVariant {
 public:
  explicit UrlVariant(const wchar_t* url) {
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(url);
  }
  UrlVariant(const UrlVariant&) = delete;
  UrlVariant& operator=(const UrlVariant&) = delete;
  ~UrlVariant() { VariantClear(&value); }
  bool Valid() const { return value.bstrVal != nullptr; }
  VARIANT* Get() { return &value; }

 private:
  VARIANT value;
};

}  // namespace

QwWebBrowser::QwWebBrowser(HWND hostWindow) : CWebBrowserBase(), hostWindow(hostWindow) {}

HWND QwWebBrowser::GetHostWindow() { return hostWindow; }

// The page may have painted over the menu bar's bottom edge while it loaded.
void QwWebBrowser::OnDocumentComplete() { DrawMenuBar(hostWindow); }

void QwWebBrowser::OnNavigateError() { ShowFallbackLink(hostWindow); }

// Over https the strip never goes on to plain http, where anyone on the way could
// answer: not by a link, a frame or a script of the page. A redirect that the
// server sends in answer to the control's own request is followed inside the
// control without this question; the checked fetch before it follows none.
bool QwWebBrowser::AllowNavigation(const wchar_t* url) {
  return !ContentOverHttps || url == nullptr || StrCmpNIW(url, L"http:", 5) != 0;
}

void SetUpBanner(HWND dialog) {
  bannerPlaceholder = GetDlgItem(dialog, IDC_BANNER_PLACEHOLDER);
  osMajorVersion = ReadOsMajorVersion();
  themeActiveValue = ReadThemeActiveValue();

  // The strip starts at the very top edge in the themed look: the upper line goes.
  if (CurrentLook() == BannerLook::Themed) ShowWindow(GetDlgItem(dialog, IDC_LINE_TOP), SW_HIDE);
  LayOutBanner(dialog, WindowDpi(dialog));
}

void StartBannerProbe(HWND dialog) {
  // Nobody waits for the watchdog: it reports with a message.
  HANDLE watchdog = CreateThread(nullptr, 0, BannerWatchdogThread, dialog, 0, nullptr);
  if (watchdog) CloseHandle(watchdog);
}

void LayOutBanner(HWND dialog, UINT dpi) {
  bannerDpi = dpi;
  RECT placeholder = {0, 0, 0, 0};
  GetClientRect(bannerPlaceholder, &placeholder);
  const BannerLook look = CurrentLook();
  bannerRect = ToRect(BannerRectFor(look, placeholder.right, placeholder.bottom, bannerDpi));

  // The lower line lies right under the strip. At 100 % that is where the template
  // puts it in the classic look; above, the strip's scaled offset and the line's
  // rounded dialog units can differ by a pixel, which would cut the line.
  HWND lowerLine = GetDlgItem(dialog, IDC_LINE_BOTTOM);
  RECT line = {0, 0, 0, 0};
  GetClientRect(lowerLine, &line);
  MoveWindow(lowerLine, 0, bannerRect.bottom, line.right, line.bottom, FALSE);

  if (fallbackLink && IsWindow(fallbackLink)) {
    const BannerBox link = FallbackLinkPlacement(look, placeholder.right, placeholder.bottom, bannerDpi);
    MoveWindow(fallbackLink, link.left, link.top, link.right, link.bottom, TRUE);
  } else if (bannerBrowser) {
    (void)bannerBrowser->SetPosition(bannerRect);
  }
}

DWORD WINAPI BannerWatchdogThread(LPVOID dialog) {
  HANDLE probe = CreateThread(nullptr, 0, BannerProbeThread, dialog, 0, nullptr);
  // Without a probe thread the wait fails at once, which is not a time-out.
  const DWORD waited = probe ? WaitForSingleObject(probe, ProbeWaitMs) : WAIT_FAILED;
  // When the probe reported in time, its message has already decided and this one
  // is ignored. A probe still running ends by itself; its late message is ignored.
  Report(static_cast<HWND>(dialog), WatchdogChoice(waited));
  if (probe) CloseHandle(probe);
  return 0;
}

DWORD WINAPI BannerProbeThread(LPVOID dialog) {
  Report(static_cast<HWND>(dialog), CanResolveContentServer() ? BannerChoice::WebPage : BannerChoice::FallbackLink);
  return 0;
}

bool CanResolveContentServer() {
  WSADATA data = {};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
    // Nothing was started, so nothing is cleaned up: a cleanup here would end
    // another thread's use of Winsock in this process.
    return false;
  }
  // Only the name matters; the host entry is not looked at and nothing connects.
  const bool resolved = IsWinsockVersion22(data.wVersion) && gethostbyname(ContentHostName) != nullptr;
  WSACleanup();
  return resolved;
}

namespace {

// The browser control is made only for a page that will be shown: it is the
// heaviest part of the program, and most runs that show the link never need it.
// Kept for the whole run once made.
bool HasBannerBrowser(HWND dialog) {
  if (bannerBrowser) return true;
  bannerBrowser = new (std::nothrow) QwWebBrowser(dialog);
  if (!bannerBrowser) return false;
  (void)bannerBrowser->InPlaceActivate();
  (void)bannerBrowser->SetPosition(bannerRect);
  return true;
}

void NavigateToBannerPage(HWND dialog) {
  if (!HasBannerBrowser(dialog)) return;
  IWebBrowser2* browser = bannerBrowser->GetWebBrowser();
  if (!browser) return;
  UrlVariant url(BannerPageAddress);
  if (!url.Valid()) return;
  // Loads asynchronously; success and failure come back through the host's events.
  (void)browser->Navigate2(url.Get(), nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

void ShowWebBanner(HWND dialog) {
  if (!ContentOverHttps) return NavigateToBannerPage(dialog);
  // Nobody waits for the check: it reports with WM_BANNER_CHECKED.
  HANDLE check = CreateThread(nullptr, 0, BannerCertificateThread, dialog, 0, nullptr);
  if (check) CloseHandle(check);
  if (!check) ShowFallbackLink(dialog);
}

// The browser control, meeting a certificate that is not valid, asks the user
// whether to go on (under Wine too, in a box of its own), and a yes would show
// whatever answered on the way. So over https the control is handed the page only
// after this process has reached it over a connection WinINet accepts: no
// INTERNET_FLAG_IGNORE_* flag, so a certificate not valid for the host fails it,
// and no redirect followed, so the page is the one at this https address.
DWORD WINAPI BannerCertificateThread(LPVOID dialog) {
  const DWORD flags =
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
  InternetHandle internet(InternetOpenW(L"QW_ZururOvuvu", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  InternetHandle request(internet.get() ? InternetOpenUrlW(internet.get(), BannerPageAddress, nullptr, 0, flags, 0)
                                        : nullptr);
  const bool valid = request.get() != nullptr && AnsweredOk(request.get());
  SendMessageW(static_cast<HWND>(dialog), WM_BANNER_CHECKED, valid, 0);
  return 0;
}

void OnBannerChecked(HWND dialog, bool valid) {
  if (valid) {
    NavigateToBannerPage(dialog);
  } else {
    ShowFallbackLink(dialog);
  }
}

void ShowFallbackLink(HWND dialog) {
  RECT placeholder = {0, 0, 0, 0};
  GetClientRect(bannerPlaceholder, &placeholder);
  const BannerBox link = FallbackLinkPlacement(CurrentLook(), placeholder.right, placeholder.bottom, bannerDpi);
  bannerRect = RECT{link.left, link.top, link.right, link.bottom};

  // The control may report several errors for one page (frames, an error page of
  // its own). One link already covers the strip; more would only pile up unseen.
  if (!fallbackLink || !IsWindow(fallbackLink)) {
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE));
    // The text is never shown: the static is owner-drawn.
    fallbackLink = CreateWindowExW(0, L"STATIC", L"OK", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, link.left, link.top,
                                   link.right, link.bottom, dialog, nullptr, instance, nullptr);
    if (fallbackLink) {
      previousLinkProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(fallbackLink, GWLP_WNDPROC));
      SetWindowLongPtrW(fallbackLink, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FallbackLinkProc));
    }
  }
  DrawMenuBar(dialog);

  if (bannerBrowser) {
    (void)bannerBrowser->SetPosition(RECT{0, 0, 0, 0});
    // Gives up the banner's use of the host; the object stays (its Release never
    // frees it) and remains in bannerBrowser.
    static_cast<IDispatch*>(bannerBrowser)->Release();
  }
}

// Answers 1 to everything, so WM_NCHITTEST says HTCLIENT and the static, which has
// no SS_NOTIFY, receives the mouse at all. Painting still goes through the static's
// own procedure, which asks the dialog to draw it (WM_DRAWITEM).
LRESULT CALLBACK FallbackLinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      break;
    case WM_LBUTTONDOWN:
      (void)ShellExecuteW(nullptr, L"open", QW_WEBSITE_URL, nullptr, nullptr, SW_SHOWNORMAL);
      break;
    default:
      (void)CallWindowProcW(previousLinkProc, window, message, wParam, lParam);
      break;
  }
  return 1;
}

// Every WM_DRAWITEM of the dialog is the link's: it is the only owner-drawn control.
INT_PTR DrawBannerBitmap(const DRAWITEMSTRUCT* drawItem) {
  if (!drawItem) return TRUE;
  const int width = drawItem->rcItem.right - drawItem->rcItem.left;
  const int height = drawItem->rcItem.bottom - drawItem->rcItem.top;
  const BannerPicture picture = PictureFor(width, height);
  // Loaded for each paint and deleted after it, so repeated paints leave nothing
  // behind.
  PaintResources paint;
  paint.memory = CreateCompatibleDC(drawItem->hDC);
  if (!paint.memory) return TRUE;
  paint.bitmap = LoadBitmapW(GetModuleHandleW(nullptr),
                             MAKEINTRESOURCEW(picture == BannerPicture::Original ? IDB_BANNER : IDB_BANNER_2X));
  if (!paint.bitmap) return TRUE;
  paint.previous = SelectObject(paint.memory, paint.bitmap);
  if (picture == BannerPicture::Original) {
    // Unscaled, from the bitmap's top-left corner.
    BitBlt(drawItem->hDC, 0, 0, width, height, paint.memory, 0, 0, SRCCOPY);
    return TRUE;
  }
  // HALFTONE averages the source pixels behind each target pixel, where the other
  // modes drop rows and columns; it wants the brush origin set after it is chosen.
  const int previousMode = SetStretchBltMode(drawItem->hDC, HALFTONE);
  POINT previousOrigin = {0, 0};
  SetBrushOrgEx(drawItem->hDC, 0, 0, &previousOrigin);
  StretchBlt(drawItem->hDC, 0, 0, width, height, paint.memory, 0, 0, 2 * BannerBitmapWidth, 2 * BannerBitmapHeight,
             SRCCOPY);
  SetBrushOrgEx(drawItem->hDC, previousOrigin.x, previousOrigin.y, nullptr);
  if (previousMode) SetStretchBltMode(drawItem->hDC, previousMode);
  return TRUE;
}

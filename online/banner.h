// The banner strip under the menu bar: the web page or the fallback link, chosen
// once per run by a DNS probe of the content server bounded by a watchdog.
#pragma once

#include <windows.h>

#include "online/web_browser_host.h"

// The banner's browser host, bound to the main dialog: a loaded page redraws the
// menu bar, a failed one gives way to the fallback link.
class QwWebBrowser : public CWebBrowserBase {
 public:
  explicit QwWebBrowser(HWND hostWindow);

  HWND GetHostWindow() override;
  void OnDocumentComplete() override;
  void OnNavigateError() override;
  bool AllowNavigation(const wchar_t* url) override;

 private:
  HWND hostWindow;
};

// State of the strip, touched on the UI thread only.
extern HWND bannerPlaceholder;       // control 1008: its client rectangle sizes the strip
extern RECT bannerRect;              // the strip in the dialog's client pixels
extern int osMajorVersion;           // 0 when unknown
extern int themeActiveValue;         // first four bytes of "ThemeActive", 0 when unread
extern QwWebBrowser* bannerBrowser;  // made for the first page shown, never destroyed
extern WNDPROC previousLinkProc;     // the link static's own procedure

// Places the strip for the desktop's look. Called once, while the main dialog
// initialises.
void SetUpBanner(HWND dialog);
// Starts the probe and its watchdog, once the main dialog shows.
void StartBannerProbe(HWND dialog);

// Lays the strip out again at the dialog's new DPI over the placeholder's present
// size: the lower etched line, the browser (unless the link has replaced it) and the link.
void LayOutBanner(HWND dialog, UINT dpi);

// The probe: the watchdog starts the look-up and answers for it after 1000 ms.
// Both report with a synchronous SendMessageW to the dialog.
DWORD WINAPI BannerWatchdogThread(LPVOID dialog);
DWORD WINAPI BannerProbeThread(LPVOID dialog);
bool CanResolveContentServer();

// WM_BANNER_WEB: makes the browser and navigates it to the banner page; over https
// once the page's server has answered 200 itself, over a valid certificate.
void ShowWebBanner(HWND dialog);
DWORD WINAPI BannerCertificateThread(LPVOID dialog);
// WM_BANNER_CHECKED: the page, or the link when the check failed.
void OnBannerChecked(HWND dialog, bool valid);
// WM_BANNER_LINK, and the browser's navigate error: the bitmap link covers the
// strip and the browser shrinks to nothing.
void ShowFallbackLink(HWND dialog);
LRESULT CALLBACK FallbackLinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_DRAWITEM: paints bitmap 107 into the link.
INT_PTR DrawBannerBitmap(const DRAWITEMSTRUCT* drawItem);

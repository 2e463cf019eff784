#include "clicker/input_hooks.h"

#include <atomic>
#include <optional>

#include "clicker/advanced_settings.h"
#include "common/window_messages.h"

namespace {

// Requests to the hook thread's window, sent by the dialogs' thread and answered at
// once, so that what the hooks act on is only ever touched on their own thread.
constexpr UINT HookSetSideButtons = WM_APP + 1;  // wParam: the window; lParam: MAKELPARAM(each role + 1)
constexpr UINT HookBeginSession = WM_APP + 2;    // wParam: the window; lParam: the InputSessionKind
constexpr UINT HookEndSession = WM_APP + 3;
constexpr UINT HookUpdate = WM_APP + 4;  // posted by a hook procedure, which does not unhook itself
// The hook thread answers in microseconds; the bound is for a thread that is gone.
constexpr UINT RequestTimeoutMs = 5000;

// The thread's window, made once with the thread, which lives for the whole run.
HWND hookWindow = nullptr;

// State of the hook thread, touched there alone.
HHOOK mouseHook = nullptr;
HHOOK keyboardHook = nullptr;
HWND sideButtonWindow = nullptr;
int sideButtonRoles[2] = {-1, -1};
bool sideButtonHeld[2] = {false, false};  // its press was kept and posted, its release not yet
HWND sessionWindow = nullptr;
InputSessionKind sessionKind = InputSessionKind::Pick;
std::optional<InputSession> session;
POINT pickedPoint = {};

// The move watch: set from any thread, read by the mouse hook.
std::atomic<HWND> moveWindow{nullptr};
std::atomic<int32_t> moveThreshold{0};
std::atomic<int64_t> moveReference{PackPoint(ClickPoint{true, 0, 0})};  // read whole, as a fixed point is

LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM data);
LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM data);

bool Hook(HHOOK& hook, int kind, HOOKPROC procedure, bool wanted) {
  if (wanted && hook == nullptr) hook = SetWindowsHookExW(kind, procedure, GetModuleHandleW(nullptr), 0);
  if (!wanted && hook != nullptr) {
    UnhookWindowsHookEx(hook);
    hook = nullptr;
  }
  return !wanted || hook != nullptr;
}

bool UpdateHooks() {
  const bool sideButtons = sideButtonRoles[0] >= 0 || sideButtonRoles[1] >= 0 || sideButtonHeld[0] || sideButtonHeld[1];
  const bool mouse =
      Hook(mouseHook, WH_MOUSE_LL, MouseHook, sideButtons || session.has_value() || moveThreshold.load() > 0);
  return Hook(keyboardHook, WH_KEYBOARD_LL, KeyboardHook, session.has_value()) && mouse;
}

bool ToSession(uint32_t key, bool down, bool injected) {
  // Clicks and keys that programs inject, this one's own click threads among them,
  // are no answer from the user.
  if (!session || injected) return false;
  const InputVerdict verdict = session->OnInput(key, down);
  // The cursor where the click began is the point, in the coordinates that putting
  // the cursor there later uses.
  if (sessionKind == InputSessionKind::Pick && verdict.swallow && down && key == LeftButtonKey) {
    GetCursorPos(&pickedPoint);
  }
  if (verdict.ended) {
    const InputSessionEnd end = session->end();
    if (sessionKind == InputSessionKind::Pick) {
      PostMessageW(sessionWindow, WM_POINTPICKED, end, MAKELPARAM(pickedPoint.x, pickedPoint.y));
    } else {
      const Trigger taken = session->taken();
      PostMessageW(sessionWindow, WM_TRIGGERCAPTURED, end, MAKELPARAM(taken.key, taken.modifiers));
    }
  }
  return verdict.swallow;
}

// A side button: true to keep it from the window under the cursor.
bool ToSideButtons(uint32_t key, bool down) {
  const int button = key == XButton1Key ? 0 : key == XButton2Key ? 1 : -1;
  if (button < 0) return false;
  if (down && sideButtonRoles[button] >= 0) {
    // The button belongs to the program: the window under the cursor (a browser would
    // go back a page) sees neither its press nor its release.
    sideButtonHeld[button] = true;
    PostMessageW(sideButtonWindow, WM_SIDEBUTTON, static_cast<WPARAM>(sideButtonRoles[button]), MAKELPARAM(key, 1));
    return true;
  }
  if (!down && sideButtonHeld[button]) {
    sideButtonHeld[button] = false;
    PostMessageW(sideButtonWindow, WM_SIDEBUTTON, static_cast<WPARAM>(sideButtonRoles[button]), MAKELPARAM(key, 0));
    PostMessageW(hookWindow, HookUpdate, 0, 0);
    return true;
  }
  return false;
}

// A move of the user's that went far enough from the reference: the watch ends and
// the window is told.
void WatchMove(const MSLLHOOKSTRUCT& event) {
  const int32_t threshold = moveThreshold.load();
  if (threshold <= 0) return;
  if ((event.flags & LLMHF_INJECTED) != 0 && event.dwExtraInfo == OwnInputSignature) return;
  const ClickPoint reference = UnpackPoint(moveReference.load());
  const int64_t dx = int64_t{event.pt.x} - reference.x;
  const int64_t dy = int64_t{event.pt.y} - reference.y;
  if (dx * dx + dy * dy < int64_t{threshold} * threshold) return;
  int32_t expected = threshold;
  if (!moveThreshold.compare_exchange_strong(expected, 0)) return;
  PostMessageW(moveWindow.load(), WM_HANDMOVED, 0, 0);
  PostMessageW(hookWindow, HookUpdate, 0, 0);
}

LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM data) {
  const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(data);
  if (code == HC_ACTION && message == WM_MOUSEMOVE) WatchMove(*event);
  uint32_t key = 0;
  bool down = false;
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      key = LeftButtonKey, down = message == WM_LBUTTONDOWN;
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      key = RightButtonKey, down = message == WM_RBUTTONDOWN;
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      key = MiddleButtonKey, down = message == WM_MBUTTONDOWN;
      break;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      key = HIWORD(event->mouseData) == XBUTTON1 ? XButton1Key : XButton2Key, down = message == WM_XBUTTONDOWN;
      break;
    default:
      break;
  }
  if (code == HC_ACTION && key != 0) {
    // The release of a press kept as a trigger comes first: a capture begun during the
    // hold would keep it otherwise, and the hold would never end. A capture takes a
    // side button before its role does; a pick leaves it to its role.
    const bool injected = (event->flags & LLMHF_INJECTED) != 0;
    const bool held = !down && (key == XButton1Key || key == XButton2Key) && sideButtonHeld[key - XButton1Key];
    if (held ? ToSideButtons(key, down) : ToSession(key, down, injected) || ToSideButtons(key, down)) return 1;
  }
  return CallNextHookEx(nullptr, code, message, data);
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM message, LPARAM data) {
  const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(data);
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  if (code == HC_ACTION && ToSession(event->vkCode, down, (event->flags & LLKHF_INJECTED) != 0)) return 1;
  return CallNextHookEx(nullptr, code, message, data);
}

LRESULT CALLBACK HookWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case HookSetSideButtons:
      sideButtonWindow = reinterpret_cast<HWND>(wParam);
      sideButtonRoles[0] = static_cast<int>(LOWORD(lParam)) - 1;
      sideButtonRoles[1] = static_cast<int>(HIWORD(lParam)) - 1;
      return UpdateHooks();
    case HookBeginSession: {
      if (session) return FALSE;
      // What is down now belongs to whoever saw it go down: its release passes.
      InputSession::Keys down;
      for (int key = 1; key < 256; ++key) down[key] = (GetAsyncKeyState(key) & 0x8000) != 0;
      sessionWindow = reinterpret_cast<HWND>(wParam);
      sessionKind = static_cast<InputSessionKind>(lParam);
      session.emplace(sessionKind, down);
      if (UpdateHooks()) return TRUE;
      session.reset();
      UpdateHooks();
      return FALSE;
    }
    case HookEndSession:
      session.reset();
      sessionWindow = nullptr;
      return UpdateHooks();
    case HookUpdate:
      return UpdateHooks();
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

DWORD WINAPI HookThread(LPVOID ready) {
  // When it wakes, it is on time: every key and button of the session waits for it.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = HookWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"QwInputHooks";
  RegisterClassW(&windowClass);
  hookWindow = CreateWindowExW(0, windowClass.lpszClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
  SetEvent(static_cast<HANDLE>(ready));
  MSG message;
  while (hookWindow != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

// The hook thread's window, the thread started at the first request; null when it
// cannot be had.
HWND HookWindow() {
  static const HWND window = [] {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (ready == nullptr) return HWND{};
    // Nobody waits for the thread or holds it: it answers the hooks until the process ends.
    HANDLE thread = CreateThread(nullptr, 0, HookThread, ready, 0, nullptr);
    if (thread != nullptr) {
      WaitForSingleObject(ready, RequestTimeoutMs);
      CloseHandle(thread);
    }
    CloseHandle(ready);
    return hookWindow;
  }();
  return window;
}

bool Request(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = HookWindow();
  DWORD_PTR result = FALSE;
  return window != nullptr &&
         SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, RequestTimeoutMs, &result) != 0 &&
         result != FALSE;
}

}  // namespace

bool SetSideButtonRoles(HWND window, int xButton1Role, int xButton2Role) {
  // Nothing to ask of a thread that never had to start.
  if (hookWindow == nullptr && xButton1Role < 0 && xButton2Role < 0) return true;
  return Request(HookSetSideButtons, reinterpret_cast<WPARAM>(window),
                 MAKELPARAM(static_cast<WORD>(xButton1Role + 1), static_cast<WORD>(xButton2Role + 1)));
}

bool BeginInputSession(HWND window, InputSessionKind kind) {
  return Request(HookBeginSession, reinterpret_cast<WPARAM>(window), static_cast<LPARAM>(kind));
}

void EndInputSession() {
  if (hookWindow != nullptr) (void)Request(HookEndSession, 0, 0);
}

void SetMoveWatch(HWND window, int32_t threshold) {
  moveWindow.store(window);
  const int32_t before = moveThreshold.exchange(threshold > 0 && window != nullptr ? threshold : 0);
  // Nothing to change on a thread that never had to start, nor for a watch that stays off.
  if (before <= 0 && threshold <= 0) return;
  HWND hooks = threshold > 0 ? HookWindow() : hookWindow;
  if (hooks != nullptr) PostMessageW(hooks, HookUpdate, 0, 0);
}

void SetMoveReference(int32_t x, int32_t y) { moveReference.store(PackPoint(ClickPoint{true, x, y})); }

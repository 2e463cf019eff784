#include "desktop/shortcuts.h"

#include <objbase.h>
#include <shlobj.h>

#include "app/process_values.h"
#include "desktop/shortcut_path.h"

namespace {

// Releases a COM interface on every path.
template <typename Interface>
class ComPointer {
 public:
  ComPointer() = default;
  ~ComPointer() {
    if (pointer_) pointer_->Release();
  }
  ComPointer(const ComPointer&) = delete;
  ComPointer& operator=(const ComPointer&) = delete;
  Interface* get() const { return pointer_; }
  void** out() { return reinterpret_cast<void**>(&pointer_); }

 private:
  Interface* pointer_ = nullptr;
};

INT_PTR AddShortcutIn(HWND dialog, int folderId) {
  wchar_t linkPath[PathCapacity];
  if (GetShortcutPath(dialog, folderId, linkPath)) CreateShortcut(ModulePath, linkPath);
  return 1;
}

}  // namespace

bool GetShortcutPath(HWND owner, int folderId, wchar_t* out) {
  out[0] = L'\0';
  // Without the program's own path (too long to hold) there is nothing to point at.
  if (ModulePath[0] == L'\0') return false;
  wchar_t folder[PathCapacity] = L"";
  // A folder that does not exist is not created; with no folder path at all the
  // link would land in the root of the current drive, so nothing is made.
  if (!SHGetSpecialFolderPathW(owner, folder, folderId, FALSE)) return false;
  return BuildShortcutPath(folder, ModulePath, out, PathCapacity);
}

void CreateShortcut(const wchar_t* target, const wchar_t* linkPath) {
  ComPointer<IShellLinkW> link;
  // Fails without COM (the entry point warned about that at start-up): no file.
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.out()))) return;
  // No description, arguments, icon or show command: the shortcut shows the
  // program's own icon and starts it in a normal window.
  link.get()->SetPath(target);
  link.get()->SetWorkingDirectory(ShortcutWorkingDirectory);

  ComPointer<IPersistFile> file;
  if (SUCCEEDED(link.get()->QueryInterface(IID_IPersistFile, file.out()))) {
    (void)file.get()->Save(linkPath, FALSE);  // replaces an earlier shortcut of the same name
  }
}

INT_PTR AddDesktopShortcut(HWND dialog) { return AddShortcutIn(dialog, CSIDL_DESKTOPDIRECTORY); }

INT_PTR AddProgramsShortcut(HWND dialog) { return AddShortcutIn(dialog, CSIDL_PROGRAMS); }

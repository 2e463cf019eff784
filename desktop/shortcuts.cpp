#include "desktop/shortcuts.h"

#include <objbase.h>
#include <shlobj.h>

#include "common/com_pointer.h"
#include "common/text.h"
#include "desktop/shortcut_path.h"

namespace {

wchar_t shortcutTarget[PathCapacity];
wchar_t shortcutWorkingDirectory[PathCapacity];

// The shortcut's file path for the running program in a special folder; false
// when the folder or the program's path is unknown or the result would not fit.
bool GetShortcutPath(HWND owner, int folderId, wchar_t* out) {
  out[0] = L'\0';
  // Without the program's own path (too long to hold) there is nothing to point at.
  if (shortcutTarget[0] == L'\0') return false;
  wchar_t folder[PathCapacity] = L"";
  // A folder that does not exist is not created; with no folder path at all the
  // link would land in the root of the current drive, so nothing is made.
  if (!SHGetSpecialFolderPathW(owner, folder, folderId, FALSE)) return false;
  return BuildShortcutPath(folder, shortcutTarget, out, PathCapacity);
}

INT_PTR AddShortcutIn(HWND dialog, int folderId) {
  wchar_t linkPath[PathCapacity];
  if (GetShortcutPath(dialog, folderId, linkPath)) CreateShortcut(shortcutTarget, linkPath);
  return 1;
}

}  // namespace

void SetShortcutTarget(const wchar_t* target, const wchar_t* workingDirectory) {
  CopyText(target, shortcutTarget, PathCapacity);
  CopyText(workingDirectory, shortcutWorkingDirectory, PathCapacity);
}

void CreateShortcut(const wchar_t* target, const wchar_t* linkPath) {
  ComPointer<IShellLinkW> link;
  // Fails without COM (the entry point warned about that at start-up): no file.
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.Out())))) {
    return;
  }
  // No description, arguments, icon or show command: the shortcut shows the
  // program's own icon and starts it in a normal window.
  link->SetPath(target);
  link->SetWorkingDirectory(shortcutWorkingDirectory);

  ComPointer<IPersistFile> file;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out())))) {
    (void)file->Save(linkPath, FALSE);  // replaces an earlier shortcut of the same name
  }
}

INT_PTR AddDesktopShortcut(HWND dialog) { return AddShortcutIn(dialog, CSIDL_DESKTOPDIRECTORY); }

INT_PTR AddProgramsShortcut(HWND dialog) { return AddShortcutIn(dialog, CSIDL_PROGRAMS); }

#include "desktop/shortcut_path.h"

#include <cwchar>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool Refuse(wchar_t* out, size_t capacity) {
  if (out != nullptr && capacity > 0) out[0] = L'\0';
  return false;
}

}  // namespace

bool GetFileBaseName(const wchar_t* path, wchar_t* out, size_t capacity) noexcept {
  if (path == nullptr || out == nullptr || capacity == 0) return Refuse(out, capacity);
  const size_t length = std::wcslen(path);
  size_t nameStart = (length >= 2 && path[1] == L':') ? 2 : 0;
  for (size_t i = nameStart; i < length; ++i) {
    if (IsSeparator(path[i])) nameStart = i + 1;
  }
  size_t nameEnd = length;
  for (size_t i = length; i > nameStart; --i) {
    if (path[i - 1] == L'.') {
      nameEnd = i - 1;
      break;
    }
  }
  const size_t nameLength = nameEnd - nameStart;
  if (nameLength >= capacity) return Refuse(out, capacity);
  std::wmemcpy(out, path + nameStart, nameLength);
  out[nameLength] = L'\0';
  return true;
}

bool BuildShortcutPath(const wchar_t* folder, const wchar_t* target, wchar_t* out, size_t capacity) noexcept {
  wchar_t baseName[ShortcutBaseNameCapacity];
  if (out == nullptr || folder == nullptr || folder[0] == L'\0' ||
      !GetFileBaseName(target, baseName, ShortcutBaseNameCapacity) || baseName[0] == L'\0') {
    return Refuse(out, capacity);
  }
  // A drive's root comes with its backslash already.
  const size_t folderLength = std::wcslen(folder);
  const size_t separatorLength = IsSeparator(folder[folderLength - 1]) ? 0 : 1;
  const size_t baseLength = std::wcslen(baseName);
  const wchar_t extension[] = L".lnk";
  const size_t extensionLength = sizeof(extension) / sizeof(extension[0]) - 1;
  if (capacity == 0 || folderLength + separatorLength + baseLength + extensionLength >= capacity) {
    return Refuse(out, capacity);
  }
  wchar_t* end = out;
  std::wmemcpy(end, folder, folderLength);
  end += folderLength;
  if (separatorLength) *end++ = L'\\';
  std::wmemcpy(end, baseName, baseLength);
  end += baseLength;
  std::wmemcpy(end, extension, extensionLength + 1);
  return true;
}

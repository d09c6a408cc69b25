// The dir command: the names a directory search yields, in the order Wine yields them.
#include "Commands.h"
#include "JsonLines.h"
#include "platform/win32/Win32Handles.h"

namespace wintool {

int Dir(const std::wstring& pattern) {
  WIN32_FIND_DATAW data{};
  td::win32::FindHandle find(FindFirstFileW(pattern.c_str(), &data));
  if (!find) return 1;
  do {
    Emit("{\"name\":" + Json(data.cFileName) + ",\"folder\":" +
         Bool((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) + "}");
  } while (FindNextFileW(find.Get(), &data));
  return 0;
}

}  // namespace wintool

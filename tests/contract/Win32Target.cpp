// The contract's target in the Windows build: the real platform, on a scratch folder
// under the temporary folder.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ContractTarget.h"
#include "platform/win32/Win32Platform.h"

namespace td::contract {
namespace {

// The bytes of carried.txt, which contract.rc embeds as resource 101.
constexpr char kCarried[] = "Carried by the contract tests.\r\n";

std::wstring Wide(const std::string& utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                      nullptr, nullptr);
  return utf8;
}

// Deletes a folder tree, read-only entries included.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(folder.c_str());
}

class Win32Target : public ContractTarget {
 public:
  Win32Target() : platform_(CreateWin32Platform()) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    root_ = temp;
    folder_ = root_ + L"tumbledeck-contract";
    RemoveTree(folder_);
    CreateDirectoryW(folder_.c_str(), nullptr);
  }
  ~Win32Target() override {
    SetCurrentDirectoryW(root_.c_str());  // a current folder cannot be deleted
    RemoveTree(folder_);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tumbledeck Contract");
  }
  Platform& Machine() override { return *platform_; }
  std::string Name() const override { return "win32"; }
  std::string Scratch() override { return Utf8(folder_) + "\\"; }
  void SetAttributes(const std::string& path, uint32_t bits) override {
    SetFileAttributesW(Wide(path).c_str(), bits ? bits : FILE_ATTRIBUTE_NORMAL);
  }
  std::string CarriedResource() override { return kCarried; }
  void SetRegistryText(const std::string& key, const std::string& value,
                       const std::string& text) override {
    const std::wstring data = Wide(text);
    RegSetKeyValueW(HKEY_CURRENT_USER, Wide(key).c_str(), Wide(value).c_str(), REG_SZ,
                    data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
  }
  void CopyTextAsAnotherProgram(const std::string& text) override {
    // A clipboard opened without a window takes no data: the copier needs one.
    HWND copier = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    const std::wstring wide = Wide(text);
    const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(block), wide.c_str(), bytes);
    GlobalUnlock(block);
    if (OpenClipboard(copier)) {
      EmptyClipboard();
      if (SetClipboardData(CF_UNICODETEXT, block)) block = nullptr;  // the system's now
      CloseClipboard();
    }
    if (block) GlobalFree(block);
    DestroyWindow(copier);
  }
  std::vector<std::string> ClipboardHolds() override {
    std::vector<std::string> kinds;
    if (IsClipboardFormatAvailable(CF_DIB)) kinds.push_back("picture");
    if (IsClipboardFormatAvailable(CF_UNICODETEXT)) kinds.push_back("text");
    return kinds;
  }

 private:
  std::unique_ptr<Platform> platform_;
  std::wstring root_;
  std::wstring folder_;
};

}  // namespace

std::unique_ptr<ContractTarget> MakeContractTarget() { return std::make_unique<Win32Target>(); }

}  // namespace td::contract

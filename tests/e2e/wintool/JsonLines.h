// wintool's answers: one JSON object per line on stdout, flushed at once, so a test can
// read them from a file while the tool still runs.
#pragma once

#include <windows.h>

#include <string>

namespace wintool {

std::string Utf8(const std::wstring& w);
std::string Json(const std::wstring& w);  // a JSON string
std::string Hex(HWND h);                   // a handle as the tests pass it back: "0x1234"
std::string Bool(bool b);
std::string Rect(const RECT& r);           // [left,top,right,bottom]
void Emit(const std::string& line);

}  // namespace wintool

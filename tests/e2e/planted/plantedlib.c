/* plantedlib.dll: a stranger's library, for the Wine test that plants one beside
 * Tumbledeck.exe under the name of a system library (msftedit.dll, uxtheme.dll...). It
 * must never load: if it does, it adds its own path to C:\planted-loaded.txt. */
#include <stdio.h>
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    wchar_t path[MAX_PATH];
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameW(self, path, MAX_PATH)) {
        FILE *mark = _wfopen(L"C:\\planted-loaded.txt", L"ab");
        if (mark) {
            fprintf(mark, "%ls\r\n", path);
            fclose(mark);
        }
    }
    return TRUE;
}

/* plantedlib.dll: a stranger's library, for the Wine test that plants one beside
 * Tumbledeck.exe under the name of a system library (msftedit.dll, uxtheme.dll...). It
 * must never load: if it does, it leaves C:\planted-<its file name>.txt. */
#include <stdio.h>
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH], mark[MAX_PATH + 32];
        const wchar_t *name = path;
        if (GetModuleFileNameW(self, path, MAX_PATH)) {
            for (const wchar_t *p = path; *p; ++p)
                if (*p == L'\\' || *p == L'/') name = p + 1;
            swprintf(mark, MAX_PATH + 32, L"C:\\planted-%ls.txt", name);
            FILE *file = _wfopen(mark, L"ab");
            if (file) {
                fprintf(file, "%ls\r\n", GetCommandLineW());
                fclose(file);
            }
        }
    }
    return TRUE;
}

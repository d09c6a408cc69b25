/* planted.exe: a stranger's program, for the Wine tests that plant one where Tumbledeck
 * or its scripts might look for a system program (xcopy.exe in the master folder). It
 * must never run: if it does, it leaves C:\planted-ran.txt with its command line. */
#include <stdio.h>
#include <windows.h>

int main(void)
{
    FILE *mark = fopen("C:\\planted-ran.txt", "ab");
    if (mark) {
        fprintf(mark, "%ls\r\n", GetCommandLineW());
        fclose(mark);
    }
    return 0;
}

/* Linked into the Windows programs of a coverage build only (tools/coverage.sh): a
   program that ends through ExitProcess, as the report of an unhandled error does, skips
   the exit handlers that write its counts, so they are written first. */
#include <windows.h>

void __gcov_dump(void);
extern void(WINAPI *__real___imp_ExitProcess)(UINT);

static void WINAPI WriteCountsAndExit(UINT code) {
  __gcov_dump();
  __real___imp_ExitProcess(code);
}

void(WINAPI *__wrap___imp_ExitProcess)(UINT) = WriteCountsAndExit;

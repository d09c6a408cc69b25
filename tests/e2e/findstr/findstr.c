/* findstr.exe: a small stand-in for the Windows FINDSTR, for the Wine test prefixes only.
 *
 * Wine 8 ships no working FINDSTR, and the embedded scripts (GetPXDRData.bat,
 * SaveOrig.bat) pipe REG QUERY into `FINDSTR "DataPath"`.  This program covers that use
 * and a little more, with literal (not regular-expression) matching:
 *
 *   findstr [/I] [/V] [/L] [/R] [/C:string ...] [strings] [file ...]
 *
 *   strings    the first argument that is no switch: blank-separated words, a line
 *              matches when it contains any of them
 *   /C:string  one literal search string, blanks included (may be repeated); when
 *              given, every argument that is no switch names a file
 *   /I         compare without regard to letter case (ASCII)
 *   /V         print the lines that do not match
 *   /L, /R     accepted; matching is always literal
 *
 * A busy machine, for the tests of late answers: with TD_FINDSTR_DELAY_MS in the
 * environment it waits that many milliseconds before it reads anything.
 *
 * Switches start with / or - and may be combined (/IV).  Reads stdin when no file is
 * named; with several files, each printed line starts with its file's name and a colon.  Lines are passed on byte for byte, CR LF included; a last line without a line
 * end gets CR LF.  Exit status: 0 when a line was printed, 1 when none was, 2 on a bad
 * switch, a missing search string or a file that cannot be opened.
 *
 * Installing it: copy it over C:\windows\system32\findstr.exe of the test prefix AND
 * make Wine load it instead of its builtin stub, which Wine otherwise prefers even over
 * a real PE file in system32: set HKCU\Software\Wine\DllOverrides, value
 * "findstr.exe" = "native" (reg add "HKCU\Software\Wine\DllOverrides" /v findstr.exe
 * /t REG_SZ /d native /f), or WINEDLLOVERRIDES=findstr.exe=n in the environment.
 */
#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

static char **words;
static int nwords, nocase, invert;

static void add_word(const char *s, size_t n)
{
    char *w = malloc(n + 1);
    char **grown = realloc(words, (size_t)(nwords + 1) * sizeof *words);
    if (!w || !grown) exit(2);
    memcpy(w, s, n);
    w[n] = '\0';
    words = grown;
    words[nwords++] = w;
}

static int contains(const char *line, size_t len, const char *w)
{
    size_t n = strlen(w), i, j;
    for (i = 0; i + n <= len; i++) {
        for (j = 0; j < n; j++) {
            unsigned char a = (unsigned char)line[i + j], b = (unsigned char)w[j];
            if (a != b && !(nocase && tolower(a) == tolower(b))) break;
        }
        if (j == n) return 1;
    }
    return 0;
}

/* Prints the matching lines of f, after "name:" when name is given; returns their number. */
static long search(FILE *f, const char *name)
{
    static char *buf;
    static size_t cap;
    long printed = 0;
    int c = 0;
    while (c != EOF) {
        size_t len = 0, text;
        int i, hit = 0;
        while ((c = getc(f)) != EOF) {
            if (len + 1 >= cap) {
                cap = cap ? cap * 2 : 1024;
                if (!(buf = realloc(buf, cap))) exit(2);
            }
            buf[len++] = (char)c;
            if (c == '\n') break;
        }
        if (len == 0) break;
        text = len;
        while (text && (buf[text - 1] == '\n' || buf[text - 1] == '\r')) text--;
        for (i = 0; i < nwords && !hit; i++) hit = contains(buf, text, words[i]);
        if (hit != invert) {
            if (name) printf("%s:", name);
            fwrite(buf, 1, len, stdout);
            if (buf[len - 1] != '\n') fputs("\r\n", stdout);
            printed++;
        }
    }
    return printed;
}

int main(int argc, char **argv)
{
    int i, literal = 0, have_strings = 0, nfiles = 0, status = 0;
    long printed = 0;
    char **files = calloc((size_t)argc, sizeof *files);
#ifdef _WIN32
    if (getenv("TD_FINDSTR_DELAY_MS")) Sleep((DWORD)atoi(getenv("TD_FINDSTR_DELAY_MS")));
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (!files) return 2;
    for (i = 1; i < argc; i++) {
        const char *a = argv[i];
        if ((a[0] == '/' || a[0] == '-') && a[1]) {
            for (a++; *a; a++) {
                int o = toupper((unsigned char)*a);
                if (o == 'I') nocase = 1;
                else if (o == 'V') invert = 1;
                else if (o == 'L' || o == 'R') continue;
                else if (o == 'C' && a[1] == ':') {
                    if (a[2]) add_word(a + 2, strlen(a + 2));
                    literal = 1;
                    break;
                } else {
                    fprintf(stderr, "FINDSTR: /%c is not a known switch\n", *a);
                    return 2;
                }
            }
        } else if (!literal && !have_strings) {
            const char *p = a;
            have_strings = 1;
            while (*p) {
                size_t n = strcspn(p, " \t");
                if (n) add_word(p, n);
                p += n;
                p += strspn(p, " \t");
            }
        } else {
            files[nfiles++] = argv[i];
        }
    }
    if (nwords == 0) {
        fputs("FINDSTR: Bad command line\n", stderr);
        return 2;
    }
    if (nfiles == 0) printed = search(stdin, NULL);
    for (i = 0; i < nfiles; i++) {
        FILE *f = fopen(files[i], "rb");
        if (!f) {
            fprintf(stderr, "FINDSTR: Cannot open %s\n", files[i]);
            status = 2;
            continue;
        }
        printed += search(f, nfiles > 1 ? files[i] : NULL);
        fclose(f);
    }
    fflush(stdout);
    return status ? status : (printed ? 0 : 1);
}

#pragma once
/* libbregexp: Perl-style matching of m/pattern/flags on byte texts.
 *
 * Flags: "k" reads pattern and text as Shift-JIS (double-byte characters are
 * never split), "i" ignores case. A slash inside the pattern is written "\/".
 */
#ifdef __cplusplus
extern "C" {
#endif

#define BREGEXP_MESSAGE_SIZE 80

typedef struct BRegexpCompiled {
  char* pattern;     /* the m/.../ text this was compiled from, NUL-terminated */
  char** startp;     /* match starts; [0] is the whole match */
  char** endp;       /* match ends (one past), in step with startp */
  int nparens;       /* number of capture groups */
  void* impl;        /* the library's own */
} BRegexpCompiled;

/* Compiles `pattern` into *compiled unless it already holds it, then
 * searches [text, textEnd). Returns 1 on a match, 0 on none, -1 on an
 * error. `message` (80 bytes) receives "" or the error's text. */
__attribute__((visibility("default")))
int BMatch(const char* pattern, const char* text, const char* textEnd,
           BRegexpCompiled** compiled, char* message);

__attribute__((visibility("default")))
void BRegfree(BRegexpCompiled* compiled);

/* Writes into `literal` (room for `size` bytes, not NUL-terminated) a run
 * of bytes that every match of `pattern` contains, and sets *asciiCaseless
 * when its ASCII letters match either case. Returns its length, or 0 when
 * the pattern has no such run that can be relied on. */
__attribute__((visibility("default")))
int BRequiredLiteral(const char* pattern, char* literal, int size, int* asciiCaseless);

#ifdef __cplusplus
}
#endif

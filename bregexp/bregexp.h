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
/* The most runs BRequiredLiterals gives. */
#define BREGEXP_MAX_LITERALS 8

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

/* Finds runs of bytes of which every match of `pattern` contains at least
 * one (the words of an alternation, or the longest plain run). Writes them
 * one after the other into `bytes` (room for `size`), their lengths into
 * `lengths` and into `asciiCaseless` whether their ASCII letters match
 * either case (room for `count` runs each). Returns the number of runs, or
 * 0 when the pattern has no set of runs that can be relied on. */
__attribute__((visibility("default")))
int BRequiredLiterals(const char* pattern, char* bytes, int size, int* lengths, int* asciiCaseless, int count);

/* Like BRequiredLiterals, a second set of runs of which every match also
 * holds one, apart from the first set (a later word, or a class listing a
 * few characters); 0 when there is none. */
__attribute__((visibility("default")))
int BAlsoRequiredLiterals(const char* pattern, char* bytes, int size, int* lengths, int* asciiCaseless, int count);

/* A run of double-byte characters in a row that every match of `pattern`
 * holds (as a class like [ァ-ヶ]{8,} or [一-龠]{4} requires): sets in `leads`
 * the bytes its characters may begin with and in `trails` those they may
 * end with (byte b is bit b % 8 of element b / 8; 32 elements each), and
 * *startsMatch to 1 when every match begins with the run and the pattern
 * looks at nothing before a match (so a search may begin at the first
 * character where such a run could), else 0. Returns how many characters
 * long the run is, 0 when no such run is known. */
__attribute__((visibility("default")))
int BRequiredCharRun(const char* pattern, unsigned char* leads, unsigned char* trails, int* startsMatch);

/* Bits telling that every match has an ASCII digit right before (1) and
 * right after (2) the one run BRequiredLiterals gives; 0 when not known. */
__attribute__((visibility("default")))
int BRequiredDigitFlanks(const char* pattern);

/* 1 when every match of `pattern` lies inside one line whatever text comes
 * before and after it, so that searching a whole text finds, in each line,
 * where searching that line alone would; 0 when that isn't certain. */
__attribute__((visibility("default")))
int BStaysInLine(const char* pattern);

/* When `pattern` (with k) is one run of plain characters that match only
 * themselves, writes its bytes into `bytes` (room for `size`) and returns
 * their number: a match is then the first place those bytes begin a
 * character. 0 for any other pattern, or one too long. */
__attribute__((visibility("default")))
int BPlainLiteral(const char* pattern, char* bytes, int size);

#ifdef __cplusplus
}
#endif

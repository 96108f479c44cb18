#pragma once
// The C-runtime pieces of the Windows program that Linux lacks or does
// differently: low-level file I/O with binary and text modes, the path
// resolution every opened file goes through, the millisecond time stamp and
// the 15-bit random generator the game's arithmetic assumes.

#include <cstdlib>
#include <ctime>
#include <string>

#define _O_RDONLY 0x0000
#define _O_WRONLY 0x0001
#define _O_RDWR 0x0002
#define _O_APPEND 0x0008
#define _O_CREAT 0x0100
#define _O_TRUNC 0x0200
#define _O_TEXT 0x4000
#define _O_BINARY 0x8000
#ifndef O_BINARY
#define O_BINARY _O_BINARY
#endif
#ifndef O_TEXT
#define O_TEXT _O_TEXT
#endif

// Opens a file; the name goes through resolvePath. Text mode (the default)
// turns CR LF into LF on reading. Returns a descriptor or -1.
int _open(const char* path, int flags, ...);
// Bytes read (text mode: after CR LF became LF), 0 at the end, -1 on error.
int _read(int fd, void* buffer, unsigned count);
int _write(int fd, const void* buffer, unsigned count);
int _close(int fd);
long _lseek(int fd, long offset, int origin);
// The file's length in bytes, or -1.
long _filelength(int fd);
// Reads up to count bytes, going on after short reads. Returns the bytes
// read (fewer at the end of the file), or -1 when a read fails.
long long readFully(int fd, void* dest, long long count);

// A Windows-style path as this system finds it: "\" becomes "/", and when the
// exact name does not exist each component is matched without regard to case.
// A path that matches nothing comes back with only the separators changed.
std::string resolvePath(const std::string& path);

struct _timeb {
    time_t time;
    unsigned short millitm;
    short timezone;
    short dstflag;
};
// Seconds and milliseconds of the current time; under the fixed frame clock of
// the test hooks, a fixed start plus the simulated milliseconds.
void _ftime(struct _timeb* t);

// rand/srand with RAND_MAX 32767: s = s * 214013 + 2531011, (s >> 16) & 0x7fff.
// They replace the C library's for the whole program, so runs are repeatable.
#undef RAND_MAX
#define RAND_MAX 32767
extern "C" int rand(void) noexcept;
extern "C" void srand(unsigned seed) noexcept;

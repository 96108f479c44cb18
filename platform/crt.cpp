// File I/O with Windows semantics, path resolution, the clock and rand.

#include "platform/crt.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/clock.h"

// ---------------------------------------------------------------- paths ----

namespace {

bool exists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0;
}

// Finds `name` in `dir` ignoring case; empty when there is none.
std::string findInDir(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return std::string();
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (::strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}

}  // namespace

std::string resolvePath(const std::string& path) {
    std::string p = path;
    for (char& c : p)
        if (c == '\\') c = '/';
    if (p.empty() || exists(p)) return p;
    // Walk the components, matching each without regard to case.
    std::string done = p[0] == '/' ? "/" : "";
    size_t pos = p[0] == '/' ? 1 : 0;
    while (pos <= p.size()) {
        size_t slash = p.find('/', pos);
        if (slash == std::string::npos) slash = p.size();
        const std::string part = p.substr(pos, slash - pos);
        if (!part.empty()) {
            std::string next = done + part;
            if (!exists(next)) {
                const std::string match = findInDir(done.empty() ? "." : done, part);
                if (match.empty()) return p;
                next = done + match;
            }
            done = next;
            if (slash < p.size()) done += '/';
        }
        pos = slash + 1;
    }
    return done;
}

// ----------------------------------------------------------- file I/O ----

namespace {

std::mutex fdMutex;
std::vector<bool> textMode;  // by descriptor

void setTextMode(int fd, bool text) {
    std::lock_guard<std::mutex> lock(fdMutex);
    if (fd < 0) return;
    if (static_cast<size_t>(fd) >= textMode.size()) textMode.resize(static_cast<size_t>(fd) + 1, false);
    textMode[static_cast<size_t>(fd)] = text;
}

bool isTextMode(int fd) {
    std::lock_guard<std::mutex> lock(fdMutex);
    return fd >= 0 && static_cast<size_t>(fd) < textMode.size() && textMode[static_cast<size_t>(fd)];
}

}  // namespace

int _open(const char* path, int flags, ...) {
    if (!path) return -1;
    int mode = 0644;
    if (flags & _O_CREAT) {
        va_list ap;
        va_start(ap, flags);
        mode = va_arg(ap, int);
        va_end(ap);
        if (mode == 0) mode = 0644;
    }
    int f = 0;
    switch (flags & 3) {
        case _O_WRONLY: f = O_WRONLY; break;
        case _O_RDWR: f = O_RDWR; break;
        default: f = O_RDONLY; break;
    }
    if (flags & _O_APPEND) f |= O_APPEND;
    if (flags & _O_CREAT) f |= O_CREAT;
    if (flags & _O_TRUNC) f |= O_TRUNC;
    const int fd = ::open(resolvePath(path).c_str(), f | O_CLOEXEC, mode);
    if (fd >= 0) setTextMode(fd, (flags & _O_BINARY) == 0);
    return fd;
}

int _read(int fd, void* buffer, unsigned count) {
    if (count == 0) return 0;
    char* out = static_cast<char*>(buffer);
    const ssize_t got = ::read(fd, out, count);
    if (got <= 0 || !isTextMode(fd)) return static_cast<int>(got);
    // Text mode: CR LF becomes LF. For a CR at the very end of the block the
    // next byte of the file decides: a LF is consumed and the pair becomes LF.
    const ssize_t n = got;
    bool lastPairsWithNext = false;
    if (out[n - 1] == '\r') {
        char next;
        const ssize_t more = ::read(fd, &next, 1);
        if (more == 1) {
            if (next == '\n') lastPairsWithNext = true;
            else ::lseek(fd, -1, SEEK_CUR);
        }
    }
    ssize_t w = 0;
    for (ssize_t r = 0; r < n; ++r) {
        if (out[r] == '\r') {
            if (r + 1 < n && out[r + 1] == '\n') continue;  // the LF follows
            if (r + 1 == n && lastPairsWithNext) {
                out[w++] = '\n';
                continue;
            }
        }
        out[w++] = out[r];
    }
    return static_cast<int>(w);
}

long long readFully(int fd, void* dest, long long count) {
    unsigned char* out = static_cast<unsigned char*>(dest);
    long long done = 0;
    while (done < count) {
        const long long chunk = count - done > (1 << 30) ? (1 << 30) : count - done;
        const int got = _read(fd, out + done, static_cast<unsigned>(chunk));
        if (got < 0) return -1;
        if (got == 0) break;
        done += got;
    }
    return done;
}

int _write(int fd, const void* buffer, unsigned count) {
    return static_cast<int>(::write(fd, buffer, count));
}

int _close(int fd) {
    setTextMode(fd, false);
    return ::close(fd);
}

long _lseek(int fd, long offset, int origin) { return static_cast<long>(::lseek(fd, offset, origin)); }

long _filelength(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return -1;
    return static_cast<long>(st.st_size);
}

// -------------------------------------------------------------- clock ----

namespace {

struct Clock {
    bool fixed = false;
    uint32_t stepMs = 0;
    uint64_t simulatedMs = 0;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    time_t startWall = std::time(nullptr);
    Clock() {
        if (const char* s = std::getenv("GAME_TEST_FRAME_MS")) {
            const long v = std::strtol(s, nullptr, 10);
            if (v > 0) {
                fixed = true;
                stepMs = static_cast<uint32_t>(v);
            }
        }
    }
    uint64_t now() const {
        if (fixed) return simulatedMs;
        return static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
    }
};

Clock& theClock() {
    static Clock c;
    return c;
}

}  // namespace

namespace platform {

// The clock starts well above zero, as a Windows uptime counter would.
static const uint64_t kClockBase = 100000;

uint32_t clockMilliseconds() { return static_cast<uint32_t>(kClockBase + theClock().now()); }

void clockFrameDone() {
    Clock& c = theClock();
    if (c.fixed) c.simulatedMs += c.stepMs;
}

bool clockIsFixed() { return theClock().fixed; }

}  // namespace platform

uint32_t timeGetTime(void) { return platform::clockMilliseconds(); }

void _ftime(struct _timeb* t) {
    Clock& c = theClock();
    uint64_t ms;
    time_t base;
    if (c.fixed) {
        ms = c.simulatedMs;
        base = c.startWall;
    } else {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        ms = static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
        base = 0;
    }
    t->time = base + static_cast<time_t>(ms / 1000);
    t->millitm = static_cast<unsigned short>(ms % 1000);
    t->timezone = 0;
    t->dstflag = 0;
}

// --------------------------------------------------------------- rand ----

namespace {
unsigned int randState = 1;
}

extern "C" int rand(void) noexcept {
    randState = randState * 214013u + 2531011u;
    return static_cast<int>((randState >> 16) & 0x7fff);
}

extern "C" void srand(unsigned seed) noexcept { randState = seed; }

#include "engine/Log.h"

#include <ctime>

#include "platform/crt.h"

std::ofstream* logStream = nullptr;

namespace {
std::ofstream& closedStream() {
    static std::ofstream none;  // never opened: failed, drops every write
    none.setstate(std::ios::badbit);
    return none;
}
}  // namespace

std::ostream& logOut() { return logStream ? *logStream : closedStream(); }

bool openLog(const char* fileName) {
    logStream = new std::ofstream(fileName, std::ios::out | std::ios::trunc);
    struct _timeb now;
    _ftime(&now);
    const time_t seconds = now.time;
    // The standard 26-byte date-time text: "Www Mmm dd hh:mm:ss yyyy\n".
    char text[32];
    struct tm local;
    localtime_r(&seconds, &local);
    std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y\n", &local);
    *logStream << "Korvalis - Program Documentation\n"
               << "---------------------------------------------------------\n\n"
               << "Loggin started at " << text << static_cast<unsigned>(now.millitm) << (text + 20) << "\n\n";
    logFlush();
    return true;
}

void logWrite(const char* text) {
    logOut() << text;
    logFlush();
}

void logFlush() {
    std::ostream& s = logOut();
    if (s.good()) s.flush();
}

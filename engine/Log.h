#pragma once
// The program's trace "Log.txt": one process-wide output stream, opened once by
// the entry function before anything else and never closed. Writers insert
// texts, integers and floats into `logStream` (default formatting) and end
// their lines with "\n" themselves; logWrite and logFlush flush after writing.
// A file that cannot be opened leaves the stream failed and every write is
// dropped; the program runs on.

#include <fstream>

extern std::ofstream* logStream;

// Creates the stream on the file (truncating it), writes the header and
// flushes. Returns true.
bool openLog(const char* fileName);
// Inserts the zero-terminated text and flushes; adds no newline.
void logWrite(const char* text);
void logFlush();

// The stream to insert into; a stream in a failed state when openLog has not
// run, so early writers lose their text instead of crashing.
std::ostream& logOut();

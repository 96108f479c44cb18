#pragma once
// TString is the program's own light string for names, paths and whole text
// files. Its length field holds the index of the last character (characters
// minus one): -1 for an empty text, -2 for a default-constructed string. An
// owned buffer is freed by the destructor and holds at least length + 1
// characters; the characters are not zero-terminated unless a caller put a
// zero there. copyTo hands out a terminated copy.
//
// Copies are shallow (they borrow the buffer); assign makes a deep copy.

class TString {
public:
    int length;
    char* buffer;
    bool owns;

    TString();
    // length -1 takes the text's own length. With owns set, a buffer of
    // length + 1 bytes is allocated and the text (when given) copied into it;
    // otherwise the text itself becomes the buffer.
    TString(const char* text, bool owns = false, int length = -1);
    TString(const TString& other);  // borrows the other's buffer
    TString& operator=(const TString& other);  // borrows, like the copy
    virtual ~TString();

    // Replaces the content with the whole content of a file read in text
    // mode. A file that cannot be opened leaves the string at length -2
    // without a buffer.
    void loadFromFile(const char* fileName);

    // Copies the characters to dest and terminates them; with a null dest a
    // process-wide buffer is used (its size is kCopyBufferSize; longer texts
    // are cut). Returns the buffer written.
    char* copyTo(char* dest) const;
    static const int kCopyBufferSize = 1 << 20;

    char* at(int i) const { return buffer + i; }
    void borrow(const TString& other);
    // Writes prefix + this into result's existing owned buffer and sets its
    // length; result must be large enough.
    void concatTo(const TString& prefix, TString& result) const;
    // Deep copy of the other's characters, terminated.
    void assign(const TString& other);
    bool equals(const TString& other) const;
    // Characters from..to inclusive; to < from gives the empty string (-2).
    TString* substring(int from, int to, bool owns) const;

    // Number of characters (0 for empty and default strings).
    int size() const { return length < 0 ? 0 : length + 1; }
    // equals against a zero-terminated text.
    bool equals(const char* text) const;

private:
    void release();
};

#pragma once
// TProperties holds the settings read from "init.props": lines of key "="
// value, "#" starting a comment line. Keys are case-sensitive; a later line
// replaces an earlier value. Every getter inserts an absent key with an empty
// value, and absent keys read as "", 0, 0.0 or false.

#include <map>
#include <string>

class TProperties {
public:
    TProperties() = default;
    virtual ~TProperties() = default;

    // 0 when the whole file was read; -1 when it cannot be opened or reading
    // stopped at a bad line (pairs read before it stay).
    int load(const char* fileName);

    std::string getString(const std::string& key);
    bool isValue(const std::string& key, const std::string& text);
    // Base 10 as a 32-bit long reads it: a number beyond the int range
    // gives INT_MAX or INT_MIN.
    int getInt(const std::string& key);
    float getFloat(const std::string& key);
    // Sets a value, as a later line of the file would.
    void set(const std::string& key, const std::string& value) { map_[key] = value; }

    static std::string trim(const std::string& text);

private:
    std::map<std::string, std::string> map_;
};

#include "engine/TProperties.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>

#include "engine/Log.h"
#include "platform/crt.h"

int TProperties::load(const char* fileName) {
    std::ifstream in(resolvePath(fileName));
    if (!in) return -1;
    logWrite("before getline\n");
    std::string line;
    while (std::getline(in, line)) {
        // Text-mode reading: a carriage return before the line feed is dropped.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '#') continue;
        const std::string::size_type eq = line.find('=');
        if (eq == std::string::npos || eq == 0) return -1;  // also an empty line
        map_[trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
    }
    return 0;
}

std::string TProperties::trim(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    const std::string::size_type last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string TProperties::getString(const std::string& key) { return map_[key]; }

bool TProperties::isValue(const std::string& key, const std::string& text) {
    const std::string& v = map_[key];
    return !v.empty() && v == text;
}

// The conversion of a 32-bit long: a number beyond the int range gives the
// nearest end of it instead of wrapping around.
int TProperties::getInt(const std::string& key) {
    const long long value = std::strtoll(map_[key].c_str(), nullptr, 10);
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}

float TProperties::getFloat(const std::string& key) {
    return static_cast<float>(std::strtod(map_[key].c_str(), nullptr));
}

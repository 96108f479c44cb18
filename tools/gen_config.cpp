// Writes init.props, the program's settings. Every line is a key, "=" and its
// value: a blank line would end reading, so there are none.

#include <string>

#include "common.h"
#include "generators.h"
#include "sounds.h"

bool generateConfig(const std::string& out) {
    const std::string text = std::string("# Einstellungen des Spiels\n") +
                             "RESX=1024\n"
                             "RESY=768\n"
                             "FULLSCREEN=FALSE\n"
                             "STARTZ=0\n"
                             "CURSOR=OFF\n"
                             "STARTUP=ON\n"
                             "SOUND=ON\n"
                             "MUSIC=ON\n"
                             "MUSIC0=" + sounds::kGameMusic + "\n" +
                             "MUSIC0_TYPE=NOSEQ\n"
                             "MUSIC_VOLUME=160\n"
                             "MAX_BURG_GOLD=1000\n";
    return gen::writeText(out + "/init.props", text);
}

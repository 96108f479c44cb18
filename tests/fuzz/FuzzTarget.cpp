// A libFuzzer target: every input goes to one loader's fuzz entry, named by
// FUZZ_ENTRY when the target is built (see CMakeLists.txt).

#include <cstddef>
#include <cstdint>

#include "fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FUZZ_ENTRY(data, size);
    return 0;
}

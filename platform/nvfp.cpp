// Placeholder until the NV fragment-program translator is written: nothing
// is emulated.
#include "platform/nvfp.h"

namespace platform {

bool nvEmulationActive() { return false; }
void* nvProcAddress(const char*) { return nullptr; }
const GLubyte* nvExtensionString(const GLubyte* driverExtensions) { return driverExtensions; }
GLenum nvMapTarget(GLenum target) { return target; }

}  // namespace platform

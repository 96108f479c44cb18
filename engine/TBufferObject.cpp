#include "engine/TBufferObject.h"

#include "platform/gl.h"

TBufferObject::~TBufferObject() {
    if (name && glDeleteBuffersARB) glDeleteBuffersARB(1, &name);
}

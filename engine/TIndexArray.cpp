#include "engine/TIndexArray.h"

#include <cstddef>

#include "platform/gl.h"

TIndexArray::TIndexArray(int n, int perElement, int arrayKind)
    : components(perElement < 0 ? 0 : perElement),
      count(n < 0 ? 0 : n),
      type(GL_INT),
      kind(arrayKind) {
    data = new int[static_cast<std::size_t>(components) * static_cast<std::size_t>(count)]();
    pointer = data;
}

TIndexArray::~TIndexArray() { delete[] data; }

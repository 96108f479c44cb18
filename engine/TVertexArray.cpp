#include "engine/TVertexArray.h"

#include <cstddef>

#include "platform/gl.h"

TVertexArray::TVertexArray(int n, int perElement, int arrayKind)
    : components(perElement < 0 ? 0 : perElement),
      count(n < 0 ? 0 : n),
      type(GL_FLOAT),
      kind(arrayKind) {
    data = new float[static_cast<std::size_t>(components) * static_cast<std::size_t>(count)]();
    pointer = data;
}

TVertexArray::~TVertexArray() { delete[] data; }

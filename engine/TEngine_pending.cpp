// Stand-ins for the engine's texture, material and font operations until
// their own sources exist; they make nothing. Deleted with TEngine_pending.h.
#include "engine/TEngine.h"
#include "engine/TEngine_pending.h"

TTexture* TEngine::createTexture(TImage*, TTextureLayer*) { return nullptr; }
TTexture* TEngine::findTexture(TTextureLayer*) { return nullptr; }
void TEngine::texturePath(TString&) {}
bool TEngine::toggleMipmapping() { return mipmapping; }
bool TEngine::toggleFiltering() { return linearFiltering; }
void TEngine::applyTextureFilter(int, int) {}
TMaterial* TEngine::findMaterial(const TString&) { return nullptr; }
TMaterial* TEngine::addMaterial(const TMaterialData&) { return nullptr; }
TFont* TEngine::getFont(int, int) { return nullptr; }

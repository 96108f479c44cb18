// The engine's material list: lookup by exact name (newest first) and
// creation from a record; the list owns its materials.
#include "engine/TEngine.h"
#include "engine/TMaterial.h"

TMaterial* TEngine::findMaterial(const TString& name) {
    for (TListNode<TMaterial>* n = materials.head; n; n = n->next) {
        if (n->value && n->value->getName().equals(name)) return n->value;
    }
    return nullptr;
}

TMaterial* TEngine::addMaterial(const TMaterialData& data) {
    TMaterial* material = new TMaterial(data, this);
    materials.pushFront(material, true);
    return material;
}

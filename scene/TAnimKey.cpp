#include "scene/TAnimKey.h"

#include "engine/TRecordInput.h"

TAnimKey::TAnimKey() : frame(0) { copyNameField(boneName, kNameSize, ""); }

TAnimKey::TAnimKey(const char* name, const TMatrix& pose, int keyFrame) : matrix(pose), frame(keyFrame) {
    copyNameField(boneName, kNameSize, name);
}

TAnimKey::TAnimKey(const TString& name, const TMatrix& pose, int keyFrame) : matrix(pose), frame(keyFrame) {
    copyNameField(boneName, kNameSize, name.buffer, name.size());
}

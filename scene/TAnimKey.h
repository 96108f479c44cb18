#pragma once
// TAnimKey is one key of a bone's animation track: the bone's absolute
// model-space pose at an integer frame, and the skinning matrix derived from
// it against the bone's inverse bind matrix (filled in by the skeleton).

#include "engine/TMatrix.h"
#include "engine/TString.h"

class TAnimKey {
public:
    static const int kNameSize = 64;

    TMatrix matrix;      // the pose
    TMatrix skinMatrix;  // pose times inverse bind; identity until set
    int frame;
    char boneName[kNameSize];  // always zero-terminated

    TAnimKey();
    // The name is cut to 63 characters; skinMatrix starts as the identity.
    TAnimKey(const char* boneName, const TMatrix& matrix, int frame);
    TAnimKey(const TString& boneName, const TMatrix& matrix, int frame);
    TAnimKey(const TAnimKey& other) = default;
    TAnimKey& operator=(const TAnimKey& other) = default;
    virtual ~TAnimKey() = default;

    const TMatrix& getMatrix() const { return matrix; }
    const TMatrix& getSkinMatrix() const { return skinMatrix; }
    void setSkinMatrix(const TMatrix& m) { skinMatrix = m; }
    int getFrame() const { return frame; }
    // Borrows the key's name field: valid while the key lives.
    TString getBoneName() const { return TString(boneName); }
};

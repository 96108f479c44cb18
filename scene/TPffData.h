#pragma once
// TPffData is a parsed ".pff" model file: its material table and its parts.
// Parts are kept in reverse file order (each part read goes to the front of
// the list), and every walk over them goes in list order. An accepted model
// is consistent: every part's indices lie in its arrays and every material
// index names an entry of the table or is -1.

#include <cstdint>

#include "engine/TList.h"
#include "engine/TMaterialData.h"
#include "scene/TMeshPart.h"

class TRecordInput;

class TPffData {
public:
    TList<TMeshPart> partList;
    int materialCount;
    TMaterialData* materials;  // materialCount entries
    uint8_t ownsContents;      // the destructor frees parts and materials only when set

    // An empty model (no parts, no materials) that owns what is added to it.
    TPffData();
    virtual ~TPffData();
    TPffData(const TPffData&) = delete;
    TPffData& operator=(const TPffData&) = delete;

    // Reads a whole model file from the current position of a descriptor
    // opened in binary mode; the caller closes it. The descriptor is left
    // just behind the last part, where a skinned model's skin blocks begin.
    // fileName only names the file in the log line. Returns a new model the
    // caller owns, or null after one log line naming the file and the cause
    // when any record is damaged (see TMaterialData::load, TMeshPart::load),
    // a count is negative or larger than the file can hold, or a part's
    // material index lies beyond the table.
    static TPffData* load(int fd, const char* fileName);
    static TPffData* load(TRecordInput& in);

    int getMaterialCount() const { return materialCount; }
    // A copy of material i; the default record "stdMat" outside the table.
    TMaterialData getMaterial(int i) const;
    // Number of parts minus one (-1 for none).
    int getLastPartIndex() const { return partList.lastIndex; }
    // The part at list position i (0 = the last part of the file), or null
    // outside 0 .. getLastPartIndex(). Owned by the model.
    TMeshPart* getPart(int i) const { return partList.at(i); }
    // A new iterator over the parts in list order; the caller deletes it.
    TListIterator<TMeshPart>* parts() { return partList.createIterator(); }
    // TMeshPart::splitVertices on every part, in list order.
    void splitVertices();

private:
    bool readMaterials(TRecordInput& in);
    bool readParts(TRecordInput& in);
};

#pragma once
// A skeleton of the generator: bones with joint positions, bind matrices that
// translate to the joints, and poses made of rotations about the joints,
// turned into the absolute model-space bone matrices that animation keys
// store.

#include <functional>
#include <string>
#include <vector>

#include "pff.h"
#include "vecmath.h"

namespace models {


struct Pose {
    std::vector<gen::M4> rotation;  // per bone, about its joint, in its parent's frame
    gen::V3 rootOffset;             // moves the root joint
};

class Skeleton {
public:
    struct Bone {
        std::string name;
        int parent;  // -1 for the root; parents come before their children
        gen::V3 joint;
    };

    // Adds a bone and returns its index; parent -1 for the root.
    int add(const std::string& name, int parent, gen::V3 joint);
    // Index of the bone, or -1.
    int find(const std::string& name) const;
    int count() const { return static_cast<int>(bones_.size()); }
    const Bone& bone(int i) const { return bones_[static_cast<size_t>(i)]; }
    std::vector<std::string> names() const;

    // The rest pose: every rotation the identity.
    Pose restPose() const;
    // Absolute model-space matrices of every bone for a pose.
    std::vector<gen::M4> absolute(const Pose& pose) const;
    // One bone part per bone, with its bind matrix, in bone order.
    std::vector<pff::Part> boneParts() const;

    // Keys of every bone at frames 0, step, 2 step, ... period; the last key
    // repeats the first so the loop is seamless. The header is the period.
    pff::Animation sample(int period, int step, const std::function<Pose(float phase)>& poseAt) const;
    // The same at the given frames (sorted, from 0 to the period).
    pff::Animation sample(int period, const std::vector<int>& frames,
                          const std::function<Pose(float phase)>& poseAt) const;

private:
    std::vector<Bone> bones_;
};

// Rotation about the z, then y, then x axis of the parent frame (angles in
// degrees): Rz(yaw) * Ry(roll) * Rx(pitch).
gen::M4 rotationDeg(float pitchX, float rollY, float yawZ);

}  // namespace models

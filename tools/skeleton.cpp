#include "skeleton.h"

namespace models {

using gen::M4;
using gen::V3;


int Skeleton::add(const std::string& name, int parent, V3 joint) {
    bones_.push_back({name, parent, joint});
    return count() - 1;
}

int Skeleton::find(const std::string& name) const {
    for (int i = 0; i < count(); ++i)
        if (bones_[static_cast<size_t>(i)].name == name) return i;
    return -1;
}

std::vector<std::string> Skeleton::names() const {
    std::vector<std::string> n;
    for (const Bone& b : bones_) n.push_back(b.name);
    return n;
}

Pose Skeleton::restPose() const {
    Pose p;
    p.rotation.assign(bones_.size(), M4::identity());
    return p;
}

std::vector<M4> Skeleton::absolute(const Pose& pose) const {
    std::vector<M4> abs(bones_.size());
    for (size_t i = 0; i < bones_.size(); ++i) {
        const Bone& b = bones_[i];
        const M4& r = i < pose.rotation.size() ? pose.rotation[i] : M4();
        if (b.parent < 0)
            abs[i] = M4::translation(b.joint + pose.rootOffset) * r;
        else {
            const Bone& p = bones_[static_cast<size_t>(b.parent)];
            abs[i] = abs[static_cast<size_t>(b.parent)] * M4::translation(b.joint - p.joint) * r;
        }
    }
    return abs;
}

std::vector<pff::Part> Skeleton::boneParts() const {
    std::vector<pff::Part> parts;
    for (const Bone& b : bones_) {
        pff::Part p;
        p.name = b.name;
        p.parent = b.parent < 0 ? "none" : bones_[static_cast<size_t>(b.parent)].name;
        p.matrix = M4::translation(b.joint);
        parts.push_back(p);
    }
    return parts;
}

pff::Animation Skeleton::sample(int period, int step, const std::function<Pose(float)>& poseAt) const {
    std::vector<int> frames;
    for (int frame = 0; frame < period; frame += step) frames.push_back(frame);
    frames.push_back(period);
    return sample(period, frames, poseAt);
}

pff::Animation Skeleton::sample(int period, const std::vector<int>& frames,
                                const std::function<Pose(float)>& poseAt) const {
    pff::Animation anim;
    anim.header = period;
    const std::vector<M4> first = absolute(poseAt(0.0f));
    for (int frame : frames) {
        const std::vector<M4> abs =
            (frame == 0 || frame == period) ? first : absolute(poseAt(static_cast<float>(frame) / period));
        for (size_t i = 0; i < bones_.size(); ++i) anim.keys.push_back({bones_[i].name, abs[i], frame});
    }
    return anim;
}

M4 rotationDeg(float pitchX, float rollY, float yawZ) {
    return M4::rotationZ(gen::radians(yawZ)) * M4::rotationY(gen::radians(rollY)) *
           M4::rotationX(gen::radians(pitchX));
}

}  // namespace models

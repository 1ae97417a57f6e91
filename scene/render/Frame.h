// The frame tree: a node carries a bounding sphere, its own (local) transform, the world transform
// worked out by Update, an optional animation that drives it, and its children.
//
// Matrices are row-vector matrices: a child's world is its own transform followed by its
// parent's (local × parent world).
#pragma once

#include <d3dx9.h>

#include <memory>
#include <vector>

class DS_Frame;

// Everything that drives a frame: sets the frame's world matrix from its own state.
class DS_AnimationBase {
public:
    virtual ~DS_AnimationBase() = default;
    virtual void Update(DS_Frame* frame) = 0;
    virtual void SetValue(float v) { value = v; }

    float value = 0.0f;
};

// A plain class without virtual operations: the meshes derive from it, so never delete a mesh
// through a DS_Frame pointer. The frames that AddChild makes are plain frames.
class DS_Frame {
public:
    using ChildList = std::vector<DS_Frame*>;

    DS_Frame();
    // Deletes the animation and lets go of the child list; the children themselves are not
    // deleted here (DeleteTree does that).
    ~DS_Frame();
    DS_Frame(const DS_Frame&) = delete;
    DS_Frame& operator=(const DS_Frame&) = delete;

    // world := the animation's result, or local without one; then × parent when there is one;
    // then every child in insertion order with this frame's world as parent.
    void Update(const D3DXMATRIX* parentWorld);

    // A new plain frame appended to the children, starting with this frame's bounding sphere.
    DS_Frame* AddChild();

    // Deletes every child (with whatever hangs below it) and then this frame's own animation and
    // child list. The caller frees the frame itself.
    void DeleteTree();

    // Deletes each non-null frame of the range, together with its animation and its subtree.
    static void DeleteChildren(ChildList::iterator first, ChildList::iterator last);

    // Takes ownership of `anim`; the animation held before is deleted.
    void SetAnimation(DS_AnimationBase* anim);

    float radius = 0.0f;
    D3DXVECTOR3 centre;
    D3DXMATRIX world;
    D3DXMATRIX local;
    DS_AnimationBase* animation = nullptr; // owned
    // The cull mode of an instance's first pass: set is counter-clockwise, clear is clockwise.
    bool cullCounterClockwise = true;
    ChildList children; // owned through DeleteTree, in insertion order
};

// Deletes a whole frame tree: its children and everything below them (DeleteTree), then the
// root, through its own type F (a mesh frame is deleted as the mesh it is).
template <class F>
struct FrameTreeDeleter {
    void operator()(F* root) const
    {
        if (!root)
            return;
        root->DeleteTree();
        delete root;
    }
};

// The owner of one frame tree. A frame's destructor leaves its children alone, so a runtime
// object that owns frame trees (a flock's butterflies, the leaves' mesh frame and its leaves)
// holds each root through this pointer and the whole tree goes with the object.
template <class F = DS_Frame>
using FrameTreePtr = std::unique_ptr<F, FrameTreeDeleter<F>>;

#include "scene/render/Frame.h"

DS_Frame::DS_Frame() : centre(0.0f, 0.0f, 0.0f)
{
    D3DXMatrixIdentity(&world);
    D3DXMatrixIdentity(&local);
}

DS_Frame::~DS_Frame()
{
    delete animation;
    animation = nullptr;
}

void DS_Frame::Update(const D3DXMATRIX* parentWorld)
{
    if (animation)
        animation->Update(this);
    else
        world = local;
    if (parentWorld)
        D3DXMatrixMultiply(&world, &world, parentWorld);
    for (DS_Frame* child : children)
        if (child)
            child->Update(&world);
}

DS_Frame* DS_Frame::AddChild()
{
    DS_Frame* child = new DS_Frame;
    child->radius = radius;
    child->centre = centre;
    children.push_back(child);
    return child;
}

void DS_Frame::DeleteTree()
{
    DeleteChildren(children.begin(), children.end());
    children.clear();
    SetAnimation(nullptr);
}

void DS_Frame::DeleteChildren(ChildList::iterator first, ChildList::iterator last)
{
    // Each frame is deleted once; its destructor deletes its animation, so nothing here touches
    // the animation a second time.
    for (auto it = first; it != last; ++it) {
        if (DS_Frame* frame = *it) {
            frame->DeleteChildren(frame->children.begin(), frame->children.end());
            delete frame;
            *it = nullptr;
        }
    }
}

void DS_Frame::SetAnimation(DS_AnimationBase* anim)
{
    if (anim == animation)
        return;
    delete animation;
    animation = anim;
}

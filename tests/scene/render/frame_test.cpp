// The frame tree: world = own transform then the parent's, depth-first updates, ownership of
// animations and children, and the owner of a whole tree.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/render/Frame.h"
#include "scene/render/Meshes.h"

namespace {

D3DXMATRIX Translation(float x, float y, float z)
{
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
}

D3DXMATRIX Scaling(float s)
{
    D3DXMATRIX m;
    D3DXMatrixScaling(&m, s, s, s);
    return m;
}

D3DXVECTOR3 Apply(const D3DXMATRIX& m, float x, float y, float z)
{
    D3DXVECTOR3 in(x, y, z), out;
    D3DXVec3TransformCoord(&out, &in, &m);
    return out;
}

void ExpectPoint(const D3DXVECTOR3& p, float x, float y, float z)
{
    EXPECT_NEAR(x, p.x, 1e-5f);
    EXPECT_NEAR(y, p.y, 1e-5f);
    EXPECT_NEAR(z, p.z, 1e-5f);
}

// Sets the frame's world to a fixed matrix, notes each call and each destruction.
struct RecordingAnimation : DS_AnimationBase {
    RecordingAnimation(std::string name, std::vector<std::string>* log, int* destroyed,
                       D3DXMATRIX result = Translation(0, 0, 0))
        : name(std::move(name)), log(log), destroyed(destroyed), result(result)
    {
    }
    ~RecordingAnimation() override
    {
        if (destroyed)
            ++*destroyed;
    }
    void Update(DS_Frame* frame) override
    {
        if (log)
            log->push_back(name);
        frame->world = result;
    }

    std::string name;
    std::vector<std::string>* log;
    int* destroyed;
    D3DXMATRIX result;
};

TEST(FrameTest, WithoutAnimationOrParentWorldIsLocal)
{
    DS_Frame frame;
    frame.local = Translation(1, 2, 3);
    frame.Update(nullptr);
    EXPECT_TRUE(frame.world == frame.local);
}

TEST(FrameTest, ChildWorldIsOwnTransformThenParents)
{
    // Scaling by 2 then moving by 5 takes (1,0,0) to (7,0,0); the reverse order would give (12,0,0).
    DS_Frame root;
    root.local = Translation(5, 0, 0);
    DS_Frame* child = root.AddChild();
    child->local = Scaling(2);
    root.Update(nullptr);
    ExpectPoint(Apply(child->world, 1, 0, 0), 7, 0, 0);
    root.DeleteTree();
}

TEST(FrameTest, ExplicitParentMatrixIsAppliedAfterLocal)
{
    DS_Frame frame;
    frame.local = Scaling(2);
    const D3DXMATRIX parent = Translation(5, 0, 0);
    frame.Update(&parent);
    ExpectPoint(Apply(frame.world, 1, 0, 0), 7, 0, 0);
}

TEST(FrameTest, AnimationReplacesLocalAndFeedsTheChildren)
{
    DS_Frame root;
    root.local = Scaling(100); // ignored: the animation decides the world
    root.SetAnimation(new RecordingAnimation("root", nullptr, nullptr, Translation(5, 0, 0)));
    DS_Frame* child = root.AddChild();
    child->local = Scaling(2);
    root.Update(nullptr);
    ExpectPoint(Apply(root.world, 0, 0, 0), 5, 0, 0);
    ExpectPoint(Apply(child->world, 1, 0, 0), 7, 0, 0);
    root.DeleteTree();
}

TEST(FrameTest, UpdatesRunDepthFirstParentBeforeChildrenInInsertionOrder)
{
    std::vector<std::string> log;
    DS_Frame root;
    root.SetAnimation(new RecordingAnimation("root", &log, nullptr));
    DS_Frame* a = root.AddChild();
    a->SetAnimation(new RecordingAnimation("a", &log, nullptr));
    DS_Frame* a1 = a->AddChild();
    a1->SetAnimation(new RecordingAnimation("a1", &log, nullptr));
    DS_Frame* b = root.AddChild();
    b->SetAnimation(new RecordingAnimation("b", &log, nullptr));
    root.Update(nullptr);
    EXPECT_EQ((std::vector<std::string>{"root", "a", "a1", "b"}), log);
    root.DeleteTree();
}

TEST(FrameTest, NewChildTakesTheParentsSphereAndIdentityMatrices)
{
    DS_Frame root;
    root.radius = 7;
    root.centre = D3DXVECTOR3(1, 2, 3);
    root.local = Translation(9, 9, 9);
    root.Update(nullptr);
    DS_Frame* child = root.AddChild();
    ASSERT_EQ(1u, root.children.size());
    EXPECT_EQ(child, root.children[0]);
    EXPECT_EQ(7.0f, child->radius);
    EXPECT_TRUE(child->centre == D3DXVECTOR3(1, 2, 3));
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    EXPECT_TRUE(child->local == identity);
    EXPECT_TRUE(child->world == identity);
    EXPECT_EQ(nullptr, child->animation);
    EXPECT_TRUE(child->cullCounterClockwise);
    root.DeleteTree();
}

TEST(FrameTest, DeleteTreeDestroysEveryAnimationOnceAtAnyDepth)
{
    int destroyed = 0;
    DS_Frame root;
    root.SetAnimation(new RecordingAnimation("root", nullptr, &destroyed));
    DS_Frame* a = root.AddChild();
    a->SetAnimation(new RecordingAnimation("a", nullptr, &destroyed));
    a->AddChild()->SetAnimation(new RecordingAnimation("a1", nullptr, &destroyed));
    root.AddChild()->SetAnimation(new RecordingAnimation("b", nullptr, &destroyed));
    root.children.push_back(nullptr); // a null entry is skipped

    root.DeleteTree();
    EXPECT_EQ(4, destroyed);
    EXPECT_TRUE(root.children.empty());
    EXPECT_EQ(nullptr, root.animation);
}

TEST(FrameTest, DestructorDeletesTheAnimationButNotTheChildren)
{
    int destroyed = 0;
    DS_Frame* child = nullptr;
    {
        DS_Frame root;
        root.SetAnimation(new RecordingAnimation("root", nullptr, &destroyed));
        child = root.AddChild();
        child->SetAnimation(new RecordingAnimation("child", nullptr, &destroyed));
    }
    EXPECT_EQ(1, destroyed);
    delete child;
    EXPECT_EQ(2, destroyed);
}

// The owner a flock or the leaves hold their trees by: the whole tree goes with it, the root
// deleted as what it is (a mesh frame whose leaves are its children).
TEST(FrameTest, TreeOwnerDeletesEveryFrameAndAnimationOnce)
{
    int destroyed = 0;
    {
        FrameTreePtr<> butterfly(new DS_Frame);
        butterfly->SetAnimation(new RecordingAnimation("body", nullptr, &destroyed));
        butterfly->AddChild()->SetAnimation(new RecordingAnimation("left wing", nullptr, &destroyed));
        butterfly->AddChild()->SetAnimation(new RecordingAnimation("right wing", nullptr, &destroyed));

        FrameTreePtr<DS_MeshElement> leaves(new DS_MeshElement);
        DS_Frame* leaf = leaves->AddChild();
        leaf->SetAnimation(new RecordingAnimation("leaf", nullptr, &destroyed));
        leaf->AddChild()->SetAnimation(new RecordingAnimation("below a leaf", nullptr, &destroyed));
    }
    EXPECT_EQ(5, destroyed);
}

TEST(FrameTest, SetAnimationDeletesTheOneItReplaces)
{
    int destroyed = 0;
    DS_Frame frame;
    auto* first = new RecordingAnimation("first", nullptr, &destroyed);
    frame.SetAnimation(first);
    frame.SetAnimation(first); // the same one again: kept
    EXPECT_EQ(0, destroyed);
    frame.SetAnimation(new RecordingAnimation("second", nullptr, &destroyed));
    EXPECT_EQ(1, destroyed);
}

TEST(FrameTest, AnimationValueStartsAtZeroAndIsStored)
{
    RecordingAnimation anim("a", nullptr, nullptr);
    EXPECT_EQ(0.0f, anim.value);
    anim.SetValue(0.25f);
    EXPECT_EQ(0.25f, anim.value);
}

} // namespace

#include "document/params/FunLightCtrl.h"
#include "document/params/MediaParamT.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// An owner with setters, as object descriptions and runtime objects have.
struct Target {
    virtual ~Target() = default;
    void SetCount(unsigned int n) { counts.push_back(n); }
    void SetEdge(int px) { edges.push_back(px); }
    std::vector<unsigned int> counts;
    std::vector<int> edges;
};

// An owner that counts its destructions (for the binder that deletes its owner).
struct CountedTarget : Target {
    explicit CountedTarget(int& destroyed) : destroyed_(destroyed) {}
    ~CountedTarget() override { ++destroyed_; }
    int& destroyed_;
};

using CountCtrl = DS_FunLightCtrl<unsigned int, Target>;
using EdgeCtrl = DS_FunLightCtrl<int, Target>;

}  // namespace

TEST(DS_FunLightCtrl, BindingPassesTheCurrentValueOnceThenEveryChange)
{
    Target target;
    MediaParamT<unsigned int> count(3);
    ControlBinder binder;
    binder.SetOwner(&target);

    CountCtrl* ctrl = CountCtrl::Bind(binder, &Target::SetCount, count);
    ASSERT_NE(ctrl, nullptr);
    EXPECT_EQ(target.counts, std::vector<unsigned int>{3});
    EXPECT_EQ(ctrl->Target(), &target);
    EXPECT_EQ(binder.Controls().size(), 1u);
    EXPECT_EQ(count.Controls().back(), ctrl);

    struct Bystander : MediaControl {
        void OnParamChanged(MediaControl*) override {}
    } other;
    count.SetValue(3, nullptr);  // unchanged: no call
    count.SetValue(5, nullptr);
    count.SetValue(6, &other);   // whoever caused the change
    count.SetValue(8, ctrl);     // but never the binding that caused it itself
    count.UndoControl().SaveState();
    count.SetValue(7, nullptr);
    count.UndoControl().Undo();  // undo is a change like any other
    EXPECT_EQ(target.counts, (std::vector<unsigned int>{3, 5, 6, 7, 8}));
}

TEST(DS_FunLightCtrl, BindingWithoutAnOwnerBindsNothing)
{
    MediaParamT<unsigned int> count(3);
    ControlBinder binder;
    EXPECT_FALSE(binder.HasOwner());
    EXPECT_TRUE(binder.DeletesOwner());

    EXPECT_EQ(CountCtrl::Bind(binder, &Target::SetCount, count), nullptr);
    EXPECT_TRUE(binder.Controls().empty());
    EXPECT_EQ(count.Controls().size(), 1u);
    count.SetValue(4, nullptr);
}

TEST(DS_FunLightCtrl, BindingThroughAnOwnerOfAnotherTypeBindsNothing)
{
    struct Other {
    } other;
    MediaParamT<unsigned int> count(3);
    ControlBinder binder;
    binder.SetOwner(&other);
    EXPECT_EQ(CountCtrl::Bind(binder, &Target::SetCount, count), nullptr);
    EXPECT_EQ(binder.Owner<Target>(), nullptr);
}

TEST(DS_FunLightCtrl, ParameterDestroyedBeforeTheBinder)
{
    Target target;
    ControlBinder binder;
    binder.SetOwner(&target);
    auto edge = std::make_unique<MediaParamT<int>>(12);
    EdgeCtrl* ctrl = EdgeCtrl::Bind(binder, &Target::SetEdge, *edge);
    ASSERT_NE(ctrl, nullptr);

    edge.reset();
    EXPECT_EQ(ctrl->param, nullptr);
    ctrl->OnParamChanged(nullptr);  // a detached control calls nothing
    EXPECT_EQ(target.edges, std::vector<int>{12});
    // The binder now deletes the control, which must leave the dead parameter alone.
}

TEST(DS_FunLightCtrl, BinderDestroyedBeforeTheParameter)
{
    Target target;
    MediaParamT<int> left(1), right(2);
    {
        ControlBinder binder;
        binder.SetOwner(&target);
        EdgeCtrl::Bind(binder, &Target::SetEdge, left);
        EdgeCtrl::Bind(binder, &Target::SetEdge, right);
        EXPECT_EQ(left.Controls().size(), 2u);
        EXPECT_EQ(right.Controls().size(), 2u);
    }
    EXPECT_EQ(left.Controls().size(), 1u);
    EXPECT_EQ(right.Controls().size(), 1u);
    left.SetValue(9, nullptr);
    EXPECT_EQ(target.edges, (std::vector<int>{1, 2}));
}

TEST(DS_FunLightCtrl, BindsAMediaParamTBDirectly)
{
    Target target;
    MediaParamTB<int> extra(4);
    ControlBinder binder;
    binder.SetOwner(&target);
    EdgeCtrl::Bind(binder, &Target::SetEdge, extra);
    extra.SetValue(8, nullptr);
    EXPECT_EQ(target.edges, (std::vector<int>{4, 8}));
}

// A setter that binds another listener to the same parameter while it is being told.
TEST(DS_FunLightCtrl, SetterBindingDuringNotificationIsSafe)
{
    struct Rebinder {
        void Set(unsigned int v)
        {
            seen.push_back(v);
            if (v == 2 && !rebound) {
                rebound = true;
                DS_FunLightCtrl<unsigned int, Rebinder>::Bind(*binder, &Rebinder::Set, *param);
            }
        }
        bool rebound = false;
        ControlBinder* binder = nullptr;
        MediaParamTB<unsigned int>* param = nullptr;
        std::vector<unsigned int> seen;
    } owner;
    MediaParamT<unsigned int> p(1);
    ControlBinder binder;
    binder.SetOwner(&owner);
    owner.binder = &binder;
    owner.param = &p;
    DS_FunLightCtrl<unsigned int, Rebinder>::Bind(binder, &Rebinder::Set, p);

    p.SetValue(2, nullptr);  // the first binding binds a second, which hears 2 at once
    p.SetValue(3, nullptr);  // both hear 3
    EXPECT_EQ(owner.seen, (std::vector<unsigned int>{1, 2, 2, 3, 3}));
}

TEST(ControlBinder, DeletesItsOwnerOnlyWhenAskedTo)
{
    int destroyed = 0;
    {
        ControlBinder binder;
        binder.SetOwner(new CountedTarget(destroyed), true);
    }
    EXPECT_EQ(destroyed, 1);

    CountedTarget kept(destroyed);
    {
        ControlBinder binder;
        binder.SetOwner(&kept);
        EXPECT_FALSE(binder.DeletesOwner());
    }
    EXPECT_EQ(destroyed, 1);
}

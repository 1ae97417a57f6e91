#include "document/params/MediaParamT.h"
#include "Recorder.h"

#include <gtest/gtest.h>

#include <memory>

using Log = std::vector<std::string>;

TEST(MediaParamNotify, SettingTheCurrentValueTellsNobody)
{
    Log log;
    MediaParamTB<int> p(7);
    Recorder<int> a("a", log, &p);
    p.SetValue(7, nullptr);
    EXPECT_TRUE(log.empty());
    p.SetValue(8, nullptr);
    EXPECT_EQ(log, Log{"a"});
    EXPECT_EQ(p.value, 8);
}

TEST(MediaParamNotify, ListenersHearInRegistrationOrderAndTheCauseIsSkipped)
{
    Log log;
    MediaParamT<unsigned int> p(1);
    Recorder<unsigned int> l1("l1", log, &p);
    Recorder<unsigned int> l2("l2", log, &p);
    Recorder<unsigned int> l3("l3", log, &p);
    // The undo control comes first: by the time l1 runs it already holds the new value.
    l1.onChange = [&] { log.push_back("undo cached " + std::to_string(p.UndoControl().Cached())); };

    p.SetValue(5, &l2);

    EXPECT_EQ(log, (Log{"l1", "undo cached 5", "l3"}));
    EXPECT_EQ(l1.lastSource, &l2);
    EXPECT_EQ(l3.lastSource, &l2);
    EXPECT_EQ(p.Controls().front(), &p.UndoControl());
}

TEST(MediaParamNotify, UnsignedLongColourNotifiesLikeTheOthers)
{
    Log log;
    MediaColor colour(0x00FFFFFFul);
    MediaParamTB<unsigned long>& base = colour;
    Recorder<unsigned long> r("r", log, &base);
    colour.SetValue(0x000000FFul, nullptr);
    EXPECT_EQ(r.seen, std::vector<unsigned long>{0x000000FFul});
    EXPECT_EQ(colour.UndoControl().Cached(), 0x000000FFul);
}

TEST(MediaParamNotify, ListenerDeletedByAnEarlierListenerIsNotCalled)
{
    Log log;
    MediaParamTB<int> p(0);
    Recorder<int> first("first", log, &p);
    auto second = std::make_unique<Recorder<int>>("second", log, &p);
    Recorder<int> third("third", log, &p);
    first.onChange = [&] { second.reset(); };

    p.SetValue(1, nullptr);

    EXPECT_EQ(log, (Log{"first", "third"}));
    EXPECT_EQ(p.Controls().size(), 2u);
}

TEST(MediaParamNotify, ListenerBoundDuringNotificationWaitsForTheNextChange)
{
    Log log;
    MediaParamTB<int> p(0);
    std::unique_ptr<Recorder<int>> late;
    Recorder<int> first("first", log, &p);
    first.onChange = [&] {
        if (!late)
            late = std::make_unique<Recorder<int>>("late", log, &p);
    };
    Recorder<int> second("second", log, &p);

    p.SetValue(1, nullptr);
    EXPECT_EQ(log, (Log{"first", "second"}));
    p.SetValue(2, nullptr);
    EXPECT_EQ(log, (Log{"first", "second", "first", "second", "late"}));
}

TEST(MediaParamNotify, ListenerRemovingItselfStillLetsTheOthersHear)
{
    Log log;
    MediaParamTB<int> p(0);
    Recorder<int> first("first", log, &p);
    Recorder<int> second("second", log, &p);
    first.onChange = [&] { p.RemoveControl(&first); };

    p.SetValue(1, nullptr);
    p.SetValue(2, nullptr);
    EXPECT_EQ(log, (Log{"first", "second", "second"}));
}

TEST(MediaParamLifetime, ParameterDestroyedFirstDetachesItsListeners)
{
    Log log;
    auto p = std::make_unique<MediaParamT<int>>(3);
    Recorder<int> a("a", log, p.get());
    Recorder<int> b("b", log, p.get());
    p.reset();
    EXPECT_EQ(a.param, nullptr);
    EXPECT_EQ(b.param, nullptr);
    // The listeners now die without touching the parameter.
}

TEST(MediaParamLifetime, ListenerDestroyedFirstLeavesTheList)
{
    Log log;
    MediaParamT<int> p(3);
    {
        Recorder<int> a("a", log, &p);
        EXPECT_EQ(p.Controls().size(), 2u);
    }
    EXPECT_EQ(p.Controls().size(), 1u);
    p.SetValue(4, nullptr);
    EXPECT_TRUE(log.empty());
}

TEST(MediaParamLifetime, ListenerRegisteredTwiceIsToldTwiceAndLeavesCompletely)
{
    Log log;
    MediaParamTB<int> p(0);
    {
        Recorder<int> a("a", log, &p);
        p.AddControl(&a);
        p.SetValue(1, nullptr);
        EXPECT_EQ(log, (Log{"a", "a"}));
    }
    EXPECT_TRUE(p.Controls().empty());
}

TEST(MediaParamCopy, CopyTakesTheValueButNotTheListeners)
{
    Log log;
    MediaParamT<unsigned int> original(5);
    Recorder<unsigned int> r("r", log, &original);
    original.UndoControl().SaveState();

    MediaParamT<unsigned int> copy(original);

    EXPECT_EQ(copy.value, 5u);
    ASSERT_EQ(copy.Controls().size(), 1u);
    EXPECT_EQ(copy.Controls().front(), &copy.UndoControl());
    EXPECT_TRUE(copy.UndoControl().History().empty());
    EXPECT_EQ(copy.UndoControl().Cached(), 5u);
    copy.SetValue(6, nullptr);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(original.value, 5u);
}

TEST(MediaParamCopy, AssignmentTakesTheValueKeepsOwnListenersAndTellsNobody)
{
    Log log;
    MediaParamT<int> source(9);
    Recorder<int> sourceListener("source", log, &source);
    MediaParamT<int> target(1);
    Recorder<int> targetListener("target", log, &target);

    target = source;
    EXPECT_EQ(target.value, 9);
    EXPECT_TRUE(log.empty());
    ASSERT_EQ(target.Controls().size(), 2u);

    // Later changes reach the target's own listeners only, and undo still works on the target.
    target.SetValue(10, nullptr);
    EXPECT_EQ(log, Log{"target"});
    EXPECT_EQ(target.UndoControl().Cached(), 10);
}

TEST(MediaParamCopy, DefaultConstructedValuesAreZero)
{
    MediaParamT<int> i;
    MediaParamT<unsigned long> ul;
    MediaParamTB<unsigned int> tb;
    EXPECT_EQ(i.value, 0);
    EXPECT_EQ(i.UndoControl().Cached(), 0);
    EXPECT_EQ(ul.value, 0ul);
    EXPECT_EQ(tb.value, 0u);
}

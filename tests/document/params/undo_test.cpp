#include "document/params/MediaParamT.h"
#include "Recorder.h"

#include <gtest/gtest.h>

#include <list>

namespace {

constexpr int A = 10;
constexpr int B = 20;
constexpr int C = 30;

enum class Step { SaveState, SetB, SetC, Undo, Redo };

struct UndoCase {
    Step step;
    int value;              // the parameter's value afterwards
    std::list<int> history; // the history afterwards
    std::size_t cur;        // position of cur afterwards
    int heardBy;            // how many times the other listener has heard so far
};

const char* Name(Step s)
{
    switch (s) {
    case Step::SaveState: return "SaveState";
    case Step::SetB: return "SetB";
    case Step::SetC: return "SetC";
    case Step::Undo: return "Undo";
    case Step::Redo: return "Redo";
    }
    return "?";
}

}  // namespace

// The worked example: start at A, save, set B, save, set C, undo three times, redo, save.
TEST(UndoCtrl, WorkedExample)
{
    const UndoCase cases[] = {
        {Step::SaveState, A, {A}, 0, 0},
        {Step::SetB, B, {A}, 0, 1},
        {Step::SaveState, B, {B, A}, 0, 1},
        {Step::SetC, C, {B, A}, 0, 2},
        {Step::Undo, B, {C, A}, 1, 3},
        {Step::Undo, A, {C, B}, 2, 4},
        {Step::Undo, A, {C, B}, 2, 4},  // beyond the end: nothing changes
        {Step::Redo, B, {C, A}, 1, 5},
        {Step::SaveState, B, {B, A}, 0, 5},  // the redo entry holding C is gone
    };

    std::vector<std::string> log;
    MediaParamT<int> p(A);
    Recorder<int> other("other", log, &p);
    UndoCtrl& undo = p.UndoControl();

    int stepNo = 0;
    for (const UndoCase& c : cases) {
        switch (c.step) {
        case Step::SaveState: undo.SaveState(); break;
        case Step::SetB: p.SetValue(B, nullptr); break;
        case Step::SetC: p.SetValue(C, nullptr); break;
        case Step::Undo: undo.Undo(); break;
        case Step::Redo: undo.Redo(); break;
        }
        SCOPED_TRACE(testing::Message() << "step " << stepNo++ << " " << Name(c.step));
        EXPECT_EQ(p.value, c.value);
        EXPECT_EQ(p.UndoControl().Cached(), c.value);
        EXPECT_EQ(p.UndoControl().History(), c.history);
        EXPECT_EQ(p.UndoControl().CurIndex(), c.cur);
        EXPECT_EQ(static_cast<int>(log.size()), c.heardBy);
    }
    // Undo and redo tell the other listeners, with the undo control as the source.
    EXPECT_EQ(other.lastSource, &p.UndoControl());
}

TEST(UndoCtrl, UndoAndRedoOnAnEmptyHistoryChangeNothing)
{
    std::vector<std::string> log;
    MediaParamT<unsigned int> p(4);
    Recorder<unsigned int> other("other", log, &p);
    p.UndoControl().Undo();
    p.UndoControl().Redo();
    EXPECT_EQ(p.value, 4u);
    EXPECT_TRUE(log.empty());
}

TEST(UndoCtrl, RedoAtTheNewestStateChangesNothing)
{
    MediaParamT<int> p(A);
    p.UndoControl().SaveState();
    p.SetValue(B, nullptr);
    p.UndoControl().Redo();
    EXPECT_EQ(p.value, B);
    EXPECT_EQ(p.UndoControl().History(), std::list<int>{A});
}

// A value stored without notification (as a document read does) leaves cached behind; undo
// then applies the cached value: the undo control only learns of values through notification.
TEST(UndoCtrl, ValueStoredWithoutNotificationIsNotSeenByTheUndoControl)
{
    MediaParamT<int> p(A);
    p.value = B;
    EXPECT_EQ(p.UndoControl().Cached(), A);
    p.UndoControl().Undo();
    EXPECT_EQ(p.value, A);
}

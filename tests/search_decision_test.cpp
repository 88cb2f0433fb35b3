// The move decision as the command loop sees it: mates are found, forced and
// impossible moves are answered, the book is used and left alone, searched
// positions are learnt, a bad play style is reported, and a search cut short
// by the clock still plays a legal move and leaves everything as it was.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/engine.h"
#include "board/board.h"
#include "book/book.h"
#include "eval/eval.h"
#include "search/alphabeta.h"
#include "search/clock.h"
#include "search/search.h"
#include "tests/engine_support.h"

namespace {

std::string Text(Move m) {
    char buffer[8];
    return MoveToText(m, buffer);
}

class Decision : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitEngineQuietly("hash size=32\nbook move=\"off\"\nplay style=\"attack mid\"\n");
    }
    void SetUp() override {
        searchPly = 0;
        TimePerMove = 300;
        BookClear();
    }
    void TearDown() override {
        BookClear();
        LoadConfig("book move=\"off\"\nplay style=\"attack mid\"\n");
        TimePerMove = START_TIME_PER_MOVE;
    }
    // A decision with a fixed seed; its report lines are kept out of the test output.
    static int Decide(Move *out, int lastIteration = LAST_ITERATION, uint32_t seed = 7) {
        const DecisionSettings settings = {1, seed, lastIteration};
        ::testing::internal::CaptureStdout();
        int found = ChooseMoveWith(settings, out);
        ::testing::internal::GetCapturedStdout();
        return found;
    }
};

TEST_F(Decision, FindsMatesInOneAndTwo) {
    struct Case {
        const char *fen;
        const char *move;  // empty when several moves mate equally fast
        int score;
    } cases[] = {
        {"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -", "d1d8", MATE_SCORE - 1},
        {"3r2k1/5ppp/8/8/8/8/5PPP/6K1 b - -", "d8d1", MATE_SCORE - 1},
        {"k7/8/2K5/8/8/8/8/7R w - -", "", MATE_SCORE - 3},  // Kb6 Kb8 Rh8 and others
        {"7r/8/8/8/8/2k5/8/K7 b - -", "", MATE_SCORE - 3},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(ReadFen(c.fen), 1) << c.fen;
        Move m = 0;
        ASSERT_EQ(Decide(&m), 1) << c.fen;
        EXPECT_EQ(BestScore, c.score) << c.fen;
        if (*c.move) {
            EXPECT_EQ(Text(m), c.move) << c.fen;
        }
    }
}

TEST_F(Decision, ForcedMoveIsSearchedAndNoMoveIsReported) {
    ASSERT_EQ(ReadFen("7k/8/8/8/8/8/6q1/7K w - -"), 1);  // only Kxg2
    Move m = 0;
    ASSERT_EQ(Decide(&m, 3), 1);
    EXPECT_EQ(Text(m), "h1g2");
    EXPECT_EQ(BestDepth, 3);

    for (const char *fen : {"7k/8/8/8/8/8/5q2/7K w - -",      // stalemate
                            "7k/8/8/8/8/8/6qr/7K w - -"}) {  // checkmate
        ASSERT_EQ(ReadFen(fen), 1);
        Move untouched = 12345;
        EXPECT_EQ(Decide(&untouched, 3), 0) << fen;
        EXPECT_EQ(untouched, Move(12345)) << fen;
    }
}

// The book entries of the positions after two replies of the start position.
BookEntry *AddBookReply(const char *move, int score) {
    Move m = 0;
    EXPECT_EQ(TextToMove(move, &m), 1);
    MakeMove(m);
    BookEntry *entry = BookNewEntry();
    UnmakeMove(m);
    EXPECT_NE(entry, nullptr);
    entry->score = score;
    entry->origin = 16;
    entry->book = 1;
    BookInsert(entry);
    return entry;
}

struct EntryState {
    const BookEntry *entry;
    int score, depth;
    bool operator==(const EntryState &o) const {
        return entry == o.entry && score == o.score && depth == o.depth;
    }
};
std::vector<EntryState> Snapshot() {
    std::vector<EntryState> all;
    for (const BookEntry *head : BookTable)
        for (const BookEntry *e = head; e; e = e->next) all.push_back({e, e->score, e->depth});
    return all;
}

TEST_F(Decision, BookMovesScoreZeroLeaveTheTableAloneAndSkipBadReplies) {
    LoadConfig("book move=\"auto\"\n");
    ASSERT_EQ(SetStartPosition(), 1);
    AddBookReply("e2e4", 0);
    BookEntry *d4 = AddBookReply("d2d4", 0);

    // Learnt score 0 for both: either can come, and nothing is learnt from a book move.
    std::set<std::string> chosen;
    int bookDecisions = 0;
    for (uint32_t seed = 1; seed <= 24; ++seed) {
        std::vector<EntryState> before = Snapshot();
        Move m = 0;
        ASSERT_EQ(Decide(&m, 2, seed), 1);
        if (BestDepth != 0) continue;  // the one decision in six that searches
        ++bookDecisions;
        chosen.insert(Text(m));
        EXPECT_EQ(BestScore, 0);
        EXPECT_EQ(Snapshot(), before);
    }
    EXPECT_GE(bookDecisions, 12);
    EXPECT_LT(bookDecisions, 24);
    EXPECT_EQ(chosen, (std::set<std::string>{"e2e4", "d2d4"}));

    // A reply the opponent scored at 49 or more is never taken.
    d4->score = 49;
    for (uint32_t seed = 1; seed <= 24; ++seed) {
        Move m = 0;
        ASSERT_EQ(Decide(&m, 2, seed), 1);
        if (BestDepth == 0) {
            EXPECT_EQ(Text(m), "e2e4") << seed;
        }
    }
    // A learn file may hold any 32-bit score; the weighing must not overflow.
    d4->score = INT32_MIN;
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        Move m = 0;
        ASSERT_EQ(Decide(&m, 2, seed), 1);
        if (BestDepth == 0) {
            EXPECT_EQ(Text(m), "d2d4") << seed;
        }
    }
}

TEST_F(Decision, SearchedPositionIsLearntAndUpdatedInPlace) {
    ASSERT_EQ(ReadFen("r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq -"), 1);
    Move m = 0;
    ASSERT_EQ(Decide(&m, 4), 1);
    const BookEntry *entry = BookFind();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->score, BestScore);
    EXPECT_EQ(entry->depth, BestDepth);
    EXPECT_EQ(BestDepth, 4);
    EXPECT_EQ(entry->book, 0);
    int count = BookCount();

    ASSERT_EQ(Decide(&m, 5), 1);
    EXPECT_EQ(BookFind(), entry);
    EXPECT_EQ(entry->depth, 5);
    EXPECT_EQ(entry->score, BestScore);
    EXPECT_EQ(BookCount(), count);
}

TEST_F(Decision, UnknownPlayStyleIsReportedAndTheStyleKept) {
    ASSERT_EQ(SetStartPosition(), 1);
    PlayStyle = AttackMid;
    LoadConfig("play style=\"fast\"\n");
    Move m = 0;
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(Decide(&m, 2), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "# error: play style unknow \n#        use default play style - <attack mid> \n");
    EXPECT_EQ(PlayStyle, AttackMid);

    LoadConfig("play style=\"norm\"\n");
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(Decide(&m, 2), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(PlayStyle, Norm);
    PlayStyle = AttackMid;
}

TEST_F(Decision, StoppedSearchStillPlaysALegalMoveAndRestoresEverything) {
    // No budget at all, a tiny one, and a negative one: the clock stops the
    // search in the middle of a tree.
    for (int64_t budget : {int64_t(0), int64_t(3), int64_t(-100)}) {
        ASSERT_EQ(ReadFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"), 1);
        Position before = Pos;
        TimePerMove = budget;
        Move m = 0;
        ASSERT_EQ(Decide(&m), 1) << budget;
        EXPECT_EQ(StopFlag, 1) << budget;
        EXPECT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0) << budget;
        EXPECT_EQ(searchPly, 0);
        EXPECT_EQ(NullMoveActive, 0);
        EXPECT_EQ(ReducedSearch, 0);
        Move legal = 0;
        EXPECT_EQ(TextToMove(Text(m).c_str(), &legal), 1) << Text(m);
        EXPECT_EQ(legal, m);
    }
}

}  // namespace

// The deterministic pieces of the search: table replacement and probing, the
// clock's stop rule, the report line, move ordering keys and stages, history
// credit and ageing, the line tree, quiescence order, repetition draws and the
// remembered-score answers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/engine.h"
#include "app/game.h"
#include "board/board.h"
#include "book/book.h"
#include "eval/eval.h"
#include "search/alphabeta.h"
#include "search/clock.h"
#include "search/ordering.h"
#include "search/root.h"
#include "search/search.h"
#include "tests/engine_support.h"
#include "search/trans.h"

namespace {

class SearchParts : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitEngineQuietly("hash size=32\nplay style=\"attack mid\"\n");
    }
    void SetUp() override {
        searchPly = 0;
        ASSERT_EQ(SetStartPosition(), 1);
        ClearTrans();
        ClearKillers();
        ClearLineTree();
        AgeHistory(1);
        NullMoveActive = ReducedSearch = 0;
    }
    void TearDown() override {
        while (searchPly > 0) UnmakeMove(Pos.moveHistory[Pos.gamePly + searchPly - 1]);
    }
};

Move Parse(const char *text) {
    Move m = 0;
    EXPECT_EQ(TextToMove(text, &m), 1) << text;
    return m;
}

// Sets up a position and makes one move inside the search, so that the node
// under test is at ply 1 with that move as the previous one.
void SetUpNode(const char *fen, const char *previous) {
    ASSERT_EQ(ReadFen(fen), 1) << fen;
    Move m = Parse(previous);
    MakeMove(m);
    ASSERT_EQ(GenerateMoves(), 1);
}

// The moves of the node in the order NextMove hands them out, with their keys.
struct Picked {
    std::string move;
    int key;
};
std::vector<Picked> PickAll(MovePicker picker) {
    std::vector<Picked> out;
    Move m;
    while (NextMove(picker, &m)) {
        char text[8];
        out.push_back({MoveToText(m, text), MoveStack.sortKey[picker.next - 1]});
    }
    return out;
}

int IndexOf(const std::vector<Picked> &list, const char *move) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].move == move) return int(i);
    return -1;
}

// ---------------------------------------------------------------- table

TEST_F(SearchParts, TableKeepsTheEntryOfHigherDepthPlusTwiceBound) {
    struct Case {
        int bound, depth;
        bool replaces;
    } cases[] = {
        {LowerBound, 6, false},  // priority 10 against 11
        {UpperBound, 8, false},  // 10
        {Exact, 5, true},        // equal priority replaces
        {LowerBound, 7, true},   // 11
        {UpperBound, 1, false},  // a PvSearch store, priority 3
    };
    for (const Case &c : cases) {
        ClearTrans();
        StoreTrans(Exact, 111, 5, 0);
        StoreTrans(c.bound, 222, c.depth, 0);
        EXPECT_EQ(TransSlot().score == 222, c.replaces) << c.bound << " " << c.depth;
    }
}

TEST_F(SearchParts, ProbeCutsOnlyWhenAllowedAndDeepEnough) {
    Move e2e4 = Parse("e2e4");
    StoreTrans(LowerBound, 500, 4, e2e4);
    TransProbe cut = ProbeTrans(4, 0, 400, 1);
    EXPECT_EQ(cut.cut, 1);
    EXPECT_EQ(cut.score, 500);
    TransProbe onLine = ProbeTrans(4, 0, 400, 0);
    EXPECT_EQ(onLine.cut, 0);
    EXPECT_EQ(onLine.move, e2e4);
    TransProbe shallow = ProbeTrans(5, 0, 400, 1);
    EXPECT_EQ(shallow.cut, 0);
    EXPECT_EQ(shallow.move, e2e4);
    TransProbe aboveBeta = ProbeTrans(4, 0, 600, 1);  // a lower bound below beta does not cut
    EXPECT_EQ(aboveBeta.cut, 0);
    // The same placement with the other side to move lives in the other table.
    Pos.side ^= 1;
    Pos.xside ^= 1;
    EXPECT_EQ(ProbeTrans(1, -1000, 1000, 1).move, Move(0));
    Pos.side ^= 1;
    Pos.xside ^= 1;
}

TEST_F(SearchParts, HashSizeGivesTableSizeAndReportsTrueByteCount) {
    struct Case {
        const char *value;
        const char *out;
        const char *err;
        int ok;
    } cases[] = {
        {"33", "# hash table init: \n# get mem 3145728 byte(s) \n", "", 1},
        {"38", "# hash table init: \n# get mem 25165824 byte(s) \n", "", 1},
        // Above 32 bits the count must not wrap.
        {"52", "# hash table init: \n# get mem 3221225472 byte(s) \n", "", 1},
        {"31", "# hash table init: \n", "# error: \"hash size\"=31\n   \n", 0},
        {"-40", "# hash table init: \n", "# error: \"hash size\"=-40\n   \n", 0},
        {"62", "# hash table init: \n", "# error: \"hash size\"=62\n   \n", 0},
        {"many", "# hash table init: \n", "# error: \"hash size\"=many\n   \n", 0},
        {"32", "# hash table init: \n# get mem 3145728 byte(s) \n", "", 1},
    };
    for (const Case &c : cases) {
        LoadConfig(std::string("hash size=") + c.value + "\n");
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        int ok = HashInit();
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.out) << c.value;
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.err) << c.value;
        EXPECT_EQ(ok, c.ok) << c.value;
    }
    EXPECT_EQ(TransEntries, 65536);
    // The keys are drawn afresh from the generator's start and stay the same.
    uint64_t key = Pos.key;
    ASSERT_EQ(SetStartPosition(), 1);
    EXPECT_EQ(Pos.key, key);
}

// ---------------------------------------------------------------- clock and report

TEST_F(SearchParts, ClockStopsAtNinetyFivePercentReadEvery4096Nodes) {
    EXPECT_EQ(StopThreshold(750), 712);
    EXPECT_EQ(StopThreshold(-750), -712);
    EXPECT_EQ(StopThreshold(INT64_MAX), INT64_MAX / 100 * 95 + INT64_MAX % 100 * 95 / 100);

    TimePerMove = 750;
    StopFlag = 0;
    ClockStart = ReadClock() - 713;
    EXPECT_EQ(TestClock(), 1);
    StopFlag = 0;
    ClockStart = ReadClock() - 650;
    EXPECT_EQ(TestClock(), 0);
    // A clock that jumped back restarts the decision's time instead of going negative.
    ClockStart = ReadClock() + 100000;
    EXPECT_EQ(TestClock(), 0);
    EXPECT_EQ(ClockStart, ClockNow);

    // With no budget the first reading stops the search, but only at node 4096.
    TimePerMove = 0;
    NodeCount = 0;
    StopFlag = 0;
    ClockStart = ReadClock();
    int stops = 0;
    for (int i = 1; i < 4096; ++i) stops += CheckTime();
    EXPECT_EQ(stops, 0);
    EXPECT_EQ(CheckTime(), 1);
    EXPECT_EQ(CheckTime(), 1);
    StopFlag = 0;
    TimePerMove = START_TIME_PER_MOVE;
}

TEST_F(SearchParts, ClockKeepsCentisecondsOfA32BitMillisecondCount) {
    EXPECT_EQ(ClockFromTime(12, 345), 1234);
    EXPECT_EQ(ClockFromTime(4294967, 295), 429496729);  // 2^32 - 1 ms
    EXPECT_EQ(ClockFromTime(4294967, 296), 0);          // wrapped
    EXPECT_EQ(ClockFromTime(4294967, 306), 1);
}

TEST_F(SearchParts, ReportLineHasFixedColumnsAndAtMost14Moves) {
    Move e2e4 = MakeMoveWord(Pawn, 52, 36), e7e5 = MakeMoveWord(Pawn, 12, 28);
    Move e7e8q = MakeMoveWord(Queen, 12, 4) | PROMOTION;
    Move two[] = {e2e4, e7e5, 0};
    Move promotion[] = {e7e8q, 0};
    Move twenty[21] = {};
    for (int i = 0; i < 20; ++i) twenty[i] = i % 2 ? e7e5 : e2e4;
    std::string fourteen;
    for (int i = 0; i < 14; ++i) fourteen += i % 2 ? "e7e5 " : "e2e4 ";
    struct Case {
        int depth, score;
        int64_t elapsed;
        uint64_t nodes;
        const Move *line;
        std::string text;
    } cases[] = {
        {7, 1234, 345, 123456, two, " 7  123  345     123456 e2e4 e7e5 "},
        {7, -1234, 345, 123456, two, " 7 -123  345     123456 e2e4 e7e5 "},
        {5, 999994, 0, 0, promotion, " 5 99999    0          0 e7e8q "},
        {12, 0, 10, 99999999999ULL, twenty, "12    0   10 99999999999 " + fourteen},
    };
    for (const Case &c : cases) {
        char buffer[REPORT_LINE_BYTES];
        EXPECT_EQ(FormatSearchLine(buffer, c.depth, c.score, c.elapsed, c.nodes, c.line), c.text);
    }
}

TEST_F(SearchParts, RecordBestLineKeepsGameMovesAndTenMovesOfTheLine) {
    Move e2e4 = Parse("e2e4");
    ASSERT_EQ(InsertMoveInGame(e2e4, USER_MOVE_SCORE), 1);
    Move line[13] = {};
    for (int i = 0; i < 12; ++i) line[i] = MakeMoveWord(Knight, 1 + i, 18 + i);
    ClockStart = ClockNow = 0;
    ::testing::internal::CaptureStdout();
    RecordBestLine(-250, line[0], 15, line);
    std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.substr(0, 5), "15  -");
    EXPECT_EQ(BestMove, line[0]);
    EXPECT_EQ(BestScore, -250);
    EXPECT_EQ(BestDepth, 15);
    EXPECT_EQ(LastLine[0], e2e4);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(LastLine[1 + i], line[i]);
    EXPECT_EQ(LastLine[11], Move(0));
    EXPECT_EQ(LastLineGameKey, Pos.startKey);
}

// ---------------------------------------------------------------- ordering

TEST_F(SearchParts, GoodMovesCarryCaptureRecaptureAndPromotionKeys) {
    struct Case {
        const char *fen, *previous, *move;
        int key;
    } cases[] = {
        // Pawn takes the queen that has just arrived: 10000 - 1 + 5000.
        {"4k3/8/3q4/8/4P3/8/8/4K3 b - -", "d6d5", "e4d5", 14999},
        {"4k3/8/8/3q4/4P3/8/8/4K3 b - -", "e8f8", "e4d5", 9999},
        {"4k3/3p4/8/4P3/8/8/8/4K3 b - -", "d7d5", "e5d6", 2000},
        {"3r4/4P3/7k/8/8/8/8/K7 b - -", "h6h5", "e7e8q", 10000},
        {"3r4/4P3/7k/8/8/8/8/K7 b - -", "h6h5", "e7d8q", 14995},
        {"3r4/4P3/7k/8/8/8/8/K7 b - -", "h6h5", "e7d8n", 7998},
    };
    for (const Case &c : cases) {
        SetUpNode(c.fen, c.previous);
        std::vector<Picked> picked = PickAll(NewMovePicker(0, 0, 0));
        int i = IndexOf(picked, c.move);
        ASSERT_GE(i, 0) << c.move;
        EXPECT_EQ(picked[i].key, c.key) << c.fen << " " << c.move;
        UnmakeMove(Pos.moveHistory[Pos.gamePly]);
    }
}

TEST_F(SearchParts, HashMoveAndKillersRankAmongCapturesAndHintComesOnce) {
    const char *fen = "4k3/p7/8/1b5p/2P3P1/8/8/1N2K1N1 b - -";
    SetUpNode(fen, "a7a6");
    const Move g1f3 = MakeMoveWord(Knight, 62, 45), b1c3 = MakeMoveWord(Knight, 57, 42),
               b1a3 = MakeMoveWord(Knight, 57, 40);
    Killer[1] = b1c3;
    LineKiller[1] = b1a3;
    std::vector<Picked> picked = PickAll(NewMovePicker(0, g1f3, 0));
    ASSERT_GE(picked.size(), 5u);
    const Picked expected[] = {{"g1f3", 20000}, {"c4b5", 2999}, {"b1c3", 1990}, {"g4h5", 999}, {"b1a3", 990}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(picked[i].move, expected[i].move) << i;
        EXPECT_EQ(picked[i].key, expected[i].key) << i;
    }
    // A hint equal to the hash move is handed out first and only once.
    ASSERT_EQ(GenerateMoves(), 1);
    int moves = MoveStack.first[2] - MoveStack.first[1];
    std::vector<Picked> hinted = PickAll(NewMovePicker(0, g1f3, g1f3));
    EXPECT_EQ(int(hinted.size()), moves);
    EXPECT_EQ(hinted[0].move, "g1f3");
    int times = 0;
    for (const Picked &p : hinted) times += p.move == "g1f3";
    EXPECT_EQ(times, 1);
}

TEST_F(SearchParts, QuietMovesFollowHistoryThenDirection) {
    SetUpNode("4k3/8/8/8/8/8/4P3/R3K3 b - -", "e8d8");
    std::vector<Picked> picked = PickAll(NewMovePicker(0, 0, 0));
    int e4 = IndexOf(picked, "e2e4"), e3 = IndexOf(picked, "e2e3"), b1 = IndexOf(picked, "a1b1");
    EXPECT_LT(e4, e3);
    EXPECT_LT(e3, b1);
    EXPECT_EQ(picked[e4].key, 16 * 64 + 52 + 4096);
    // A little history outweighs any direction.
    ASSERT_EQ(GenerateMoves(), 1);
    HistoryTable[White][Rook][57] = 1;
    picked = PickAll(NewMovePicker(0, 0, 0));
    EXPECT_EQ(picked[0].move, "a1b1");
}

TEST_F(SearchParts, RootHandsOutExactlyTheTreeRootList) {
    ASSERT_EQ(GenerateLegalMoves(), 1);
    const char *order[] = {"g1f3", "e2e4", "d2d4"};
    for (int i = 2; i >= 0; --i) {
        Move line[] = {Parse(order[i]), 0};
        ASSERT_EQ(GenerateLegalMoves(), 1);  // TextToMove rebuilt the list
        InsertLine(line);
    }
    Killer[0] = Parse("b1c3");
    ASSERT_EQ(GenerateLegalMoves(), 1);
    std::vector<Picked> picked = PickAll(NewMovePicker(1, Parse("a2a3"), 0));
    ASSERT_EQ(picked.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(picked[i].move, order[i]);
}

TEST_F(SearchParts, HistoryCreditDependsOnBetaAndMate) {
    struct Case {
        int start, score, beta, expected;
    } cases[] = {
        {0, 999950, 1000000, 6}, {0, 999950, 999950, 5}, {0, 100, 200, 2},
        {0, 200, 200, 1},        {31999, 999950, 1000000, 32000},
    };
    Move m = MakeMoveWord(Knight, 62, 45);
    for (const Case &c : cases) {
        HistoryTable[White][Knight][45] = c.start;
        CreditHistory(m, c.score, c.beta);
        EXPECT_EQ(HistoryTable[White][Knight][45], c.expected) << c.score << " " << c.beta;
    }
}

TEST_F(SearchParts, AgeingFlattensOnlyEntriesAboveTheAverage) {
    HistoryTable[White][Pawn][1] = 10;
    HistoryTable[White][Knight][2] = 30;
    HistoryTable[Black][Queen][3] = 90;
    HistoryTable[Black][7][4] = 5000;  // piece code 7 is never counted or touched
    AgeHistory(0);
    EXPECT_EQ(HistoryTable[White][Pawn][1], 10);
    EXPECT_EQ(HistoryTable[White][Knight][2], 30);
    EXPECT_EQ(HistoryTable[Black][Queen][3], 2);
    EXPECT_EQ(HistoryTable[Black][7][4], 5000);

    AgeHistory(1);
    HistoryTable[White][Pawn][1] = HistoryTable[Black][King][2] = 1;
    AgeHistory(0);
    EXPECT_EQ(HistoryTable[White][Pawn][1], 1);
    EXPECT_EQ(HistoryTable[Black][King][2], 1);
}

TEST_F(SearchParts, InsertLineMovesKnownMovesToTheFront) {
    const Move a = 101, b = 102, c = 103, x = 201, y = 202;
    for (Move m : {c, b, a}) {
        Move line[] = {m, 0};
        InsertLine(line);
    }
    ASSERT_EQ(LineTree.count, 3);
    Move second[] = {b, x, y, 0};
    InsertLine(second);
    EXPECT_EQ(LineTree.count, 5);  // b found, x and y new
    std::vector<Move> roots;
    for (const LineNode *n = LineTree.rootChild; n; n = n->next) roots.push_back(n->move);
    EXPECT_EQ(roots, (std::vector<Move>{b, a, c}));
    ASSERT_NE(LineTree.rootChild->child, nullptr);
    EXPECT_EQ(LineTree.rootChild->child->move, x);
    EXPECT_EQ(LineTree.rootChild->child->child->move, y);

    // A full pool adds nothing but still follows the moves it has.
    LineTree.count = LINE_TREE_NODES;
    Move third[] = {c, x, 0};
    InsertLine(third);
    EXPECT_EQ(LineTree.rootChild->move, c);
    EXPECT_EQ(LineTree.rootChild->child, nullptr);
}

TEST_F(SearchParts, RootLinesBeyondThePoolAreSkippedNotWritten) {
    ClearLineQueue();
    const Move line[] = {301, 302, 0};
    for (int i = 0; i < LINE_BLOCK_POOL; ++i) AppendLine(CopyLine(line));
    EXPECT_EQ(CopyLine(line), nullptr);
    AppendLine(nullptr);
    const Move other[] = {303, 0};
    AppendLine(CopyLine(other));
    DrainLineQueue();
    EXPECT_EQ(LineQueueHead, nullptr);
    EXPECT_EQ(LineTree.count, 2);  // the one line, inserted many times
    EXPECT_EQ(LineTree.rootChild->move, Move(301));
    EXPECT_NE(CopyLine(other), nullptr);  // the pool is free again
    ClearLineQueue();
}

// ---------------------------------------------------------------- quiescence

TEST_F(SearchParts, QuiesceTakesTheRecaptureBonusIntoAccount) {
    struct Case {
        const char *fen, *previous, *first;
    } cases[] = {
        {"3q2k1/8/8/5r2/4P3/8/8/3Q2K1 b - -", "g8h8", "d1d8"},  // QxQ 9995 before PxR 4999
        {"3q1rk1/8/8/8/4P3/8/8/3Q2K1 b - -", "f8f5", "e4f5"},   // PxR on the square just reached: 9999
    };
    for (const Case &c : cases) {
        SetUpNode(c.fen, c.previous);
        Quiesce(-KING_CAPTURE_SCORE, KING_CAPTURE_SCORE);
        char text[8];
        EXPECT_STREQ(MoveToText(MoveStack.moves[MoveStack.first[1]], text), c.first) << c.fen;
        UnmakeMove(Pos.moveHistory[Pos.gamePly]);
    }
}

TEST_F(SearchParts, QuiesceOfAQuietPositionIsTheStandPatScore) {
    SetUpNode("4k3/8/8/8/8/8/4P3/4K3 b - -", "e8d8");
    int standPat = Evaluate(-KING_CAPTURE_SCORE, KING_CAPTURE_SCORE);
    EXPECT_EQ(Quiesce(-KING_CAPTURE_SCORE, KING_CAPTURE_SCORE), standPat);
    EXPECT_EQ(Quiesce(standPat + 10, standPat + 20), standPat + 10);
    StopFlag = 1;
    EXPECT_EQ(Quiesce(-100, 100), 0);
    StopFlag = 0;
}

// ---------------------------------------------------------------- draws

void PlayGame(std::initializer_list<const char *> moves) {
    for (const char *text : moves) ASSERT_EQ(InsertMoveInGame(Parse(text), USER_MOVE_SCORE), 1);
}
// Makes moves inside the search, found by their text among the legal moves.
void PlaySearch(std::initializer_list<const char *> moves) {
    for (const char *text : moves) {
        ASSERT_EQ(GenerateLegalMoves(), 1);
        Move m = 0;
        for (int i = MoveStack.first[searchPly]; i < MoveStack.first[searchPly + 1]; ++i) {
            char buffer[8];
            if (std::strcmp(MoveToText(MoveStack.moves[i], buffer), text) == 0) m = MoveStack.moves[i];
        }
        ASSERT_NE(m, Move(0)) << text;
        MakeMove(m);
    }
}

TEST_F(SearchParts, RepetitionCountsOnceInsideTheSearchAndTwiceBeforeIt) {
    struct Case {
        std::initializer_list<const char *> game, search;
        int draw;
    } cases[] = {
        {{"e2e4", "e7e5"}, {"g1f3", "b8c6", "f3g1", "c6b8"}, 1},  // the root again
        {{"e2e4", "e7e5"}, {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3"}, 1},  // a search node again
        {{"e2e4", "e7e5", "g1f3", "g8f6", "f3g1"}, {"f6g8"}, 0},  // once before the root
        {{"e2e4", "e7e5", "g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1"}, {"f6g8"}, 1},
        {{"e2e4", "e7e5"}, {"g1f3", "b8c6", "f3g1", "d7d6"}, 0},  // a pawn move breaks it
    };
    for (const Case &c : cases) {
        ASSERT_EQ(SetStartPosition(), 1);
        PlayGame(c.game);
        PlaySearch(c.search);
        EXPECT_EQ(RepetitionDraw(), c.draw) << c.game.size() << " " << c.search.size();
        while (searchPly > 0) UnmakeMove(Pos.moveHistory[Pos.gamePly + searchPly - 1]);
    }
}

TEST_F(SearchParts, FiftyReversiblePliesAreADraw) {
    // Only the history is read, so a synthetic one shows the count.
    struct Case {
        int plies;
        Move breaker;
        int draw;
    } cases[] = {
        {50, 0, 1},
        {49, 0, 0},
        {50, MakeMoveWord(Knight, 1, 18) | CAPTURE, 0},
        {50, MakeMoveWord(King, 60, 62) | CASTLE_KINGSIDE, 0},
        {50, MakeMoveWord(Pawn, 52, 44), 0},
    };
    for (const Case &c : cases) {
        Position saved = Pos;
        Pos.gamePly = 0;
        for (int i = 0; i < c.plies; ++i) {
            Pos.moveHistory[i] = MakeMoveWord(Rook, 56, 57);
            Pos.keyHistory[i] = 1000 + i;
        }
        if (c.breaker) Pos.moveHistory[c.plies / 2] = c.breaker;
        Pos.key = 1;
        searchPly = c.plies;
        EXPECT_EQ(RepetitionDraw(), c.draw) << c.plies;
        searchPly = 0;
        Pos = saved;
    }
}

// ---------------------------------------------------------------- remembered scores

TEST_F(SearchParts, RememberedScoresAnswerByDepthAndBookFlag) {
    struct Case {
        int entryDepth, book, stored, alpha, beta, depth;
        int answered, score;
    } cases[] = {
        {6, 0, 250, -50, 50, 5, 1, 250},   // searched deeper before: its score, whatever the window
        {5, 0, 250, 300, 400, 5, 1, 250},
        {4, 1, 250, -50, 50, 5, 0, 0},     // searched, but not deep enough
        {0, 1, 250, 16, 100, 5, 1, 16},    // a book position is worth at most 16
        {0, 1, 250, -100, -16, 5, 1, -16}, // and at least -16
        {0, 1, 250, 15, 100, 5, 0, 0},
        {0, 0, 250, 16, 100, 5, 0, 0},     // only a book position counts as balanced
        // A corrupt learnt score stays inside the search's range.
        {5, 0, INT32_MIN, -50, 50, 5, 1, -KING_CAPTURE_SCORE},
        {5, 0, INT32_MAX, -50, 50, 5, 1, KING_CAPTURE_SCORE},
    };
    BookEntry *entry = BookNewEntry();
    ASSERT_NE(entry, nullptr);
    BookInsert(entry);
    for (const Case &c : cases) {
        entry->score = c.stored;
        entry->depth = int8_t(c.entryDepth);
        entry->book = int8_t(c.book);
        int score = 0;
        EXPECT_EQ(ProbeBookScore(c.alpha, c.beta, c.depth, &score), c.answered) << c.entryDepth;
        if (c.answered) {
            EXPECT_EQ(score, c.score) << c.entryDepth;
        }
    }
    // The same placement with the other side to move is another position.
    entry->depth = 9;
    entry->side = int8_t(Black);
    int score = 0;
    EXPECT_EQ(ProbeBookScore(-50, 50, 5, &score), 0);
    BookClear();
}

}  // namespace

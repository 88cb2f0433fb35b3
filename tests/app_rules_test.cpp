// Move numbering, the time budget of "st" and "time", and the resign rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/engine.h"
#include "app/game.h"
#include "board/position.h"

namespace {

TEST(MoveNumber, CountsAWhiteMoveAndTheReplyAsOne) {
    const int expected[] = {0, 1, 1, 2, 2, 3};
    for (int ply = 0; ply < 6; ply++) EXPECT_EQ(PlyToMoveNumber(ply), expected[ply]) << ply;
    EXPECT_EQ(PlyToMoveNumber(78), 39);
    EXPECT_EQ(PlyToMoveNumber(79), 40);
}

TEST(TimeBudget, SecondsRoundToTheNearestCentisecondHalvesToEven) {
    struct Case {
        const char *text;
        int64_t centiseconds;
    } cases[] = {
        {"7.5", 750},   {"10", 1000},     {"0.004", 0},   {"0.005", 0},  // tie goes to even 0
        {"0.015", 2},   {"0.025", 2},     {"0.0251", 3},  {"0.0149", 1},
        {"0.006", 1},   {"1.999", 200},   {".5", 50},     {"3.", 300},
        {"-1.5", -150}, {"2.5junk", 250}, {"99999999999999999999999", 100000000000000LL},
    };
    for (const Case &c : cases) {
        int64_t budget = -7;
        EXPECT_EQ(SecondsToCentiseconds(c.text, &budget), 1) << c.text;
        EXPECT_EQ(budget, c.centiseconds) << c.text;
    }
    for (const char *notANumber : {"", "abc", ".", "-", "x7"}) {
        int64_t budget = 123;
        EXPECT_EQ(SecondsToCentiseconds(notANumber, &budget), 0) << notANumber;
        EXPECT_EQ(budget, 123);
    }
    int64_t budget = 123;
    EXPECT_EQ(SecondsToCentiseconds(nullptr, &budget), 0);
}

TEST(TimeBudget, ClockIsSharedByTheMovesLeftBeforeTheControl) {
    struct Case {
        const char *text;
        int gamePly;
        int64_t centiseconds;
    } cases[] = {
        {"30000", 0, 750},     // 40 moves to go
        {"30000", 1, 769},     // move 1 is under way: 39 to go
        {"30000", 78, 30000},  // move 39: one move left
        {"30000", 79, 750},    // move 40 starts the next control
        {"1000", 0, 25},
        {"1001", 0, 25},       // the fraction is dropped
    };
    for (const Case &c : cases) {
        int64_t budget = -7;
        EXPECT_EQ(BudgetFromClock(c.text, c.gamePly, &budget), 1);
        EXPECT_EQ(budget, c.centiseconds) << c.text << " at ply " << c.gamePly;
    }
    int64_t budget = 123;
    EXPECT_EQ(BudgetFromClock("soon", 0, &budget), 0);
    EXPECT_EQ(BudgetFromClock(nullptr, 0, &budget), 0);
    EXPECT_EQ(budget, 123);
}

TEST(ResignRule, CountsFallingEngineScoresAtOrBelowAQueen) {
    struct Case {
        std::vector<int32_t> engineScores;  // the engine's moves, in odd slots
        int expected;
    } cases[] = {
        {{-5000, -10000, -11000, -12000, -13000, -14000}, 4},
        {{-10000, -11000, -12000, -13000, -14000, -15000}, 5},  // a longer run no longer counts 4
        {{-9999, -20000, -30000}, 1},                            // the earlier score must be <= -10000
        {{-12000, -12000, -13000}, 1},                           // equal scores end the run
        {{-20000, -15000}, 0},                                   // rising
        {{0, -20000, -30000}, 1},                                // a book move (0) ends the run
        {{-30000}, 0},
    };
    for (const Case &c : cases) {
        for (int32_t &score : Pos.scoreHistory) score = USER_MOVE_SCORE;
        int slot = 1;
        for (int32_t score : c.engineScores) {
            Pos.scoreHistory[slot] = score;
            slot += 2;
        }
        EXPECT_EQ(CountLosingMoves(slot - 2), c.expected) << c.engineScores.size() << " moves";
    }
    // Slots 0 and 1 have nothing two plies before them.
    EXPECT_EQ(CountLosingMoves(1), 0);
    EXPECT_EQ(CountLosingMoves(0), 0);
}

}  // namespace

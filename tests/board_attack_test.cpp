// The attack tables and the attack and check tests.

#include <gtest/gtest.h>

#include "board/board.h"

namespace {

const bool Ready = (InitAttackTables(), FillPieceKeys(), true);

int Sq(const char *name) { return SquareFromName(name); }

TEST(AttackTables, HoldTheKindsAndStepsOfEachDifference) {
    ASSERT_TRUE(Ready);
    const struct {
        int difference, mask, step;
    } cases[] = {
        {1, ROOK_BIT | QUEEN_BIT | KING_BIT, 1},
        {-16, ROOK_BIT | QUEEN_BIT | KING_BIT, -16},
        {17, PAWN_BIT | BISHOP_BIT | QUEEN_BIT | KING_BIT, 17},
        {-15, PAWN_BIT | BISHOP_BIT | QUEEN_BIT | KING_BIT, -15},
        {7, ROOK_BIT | QUEEN_BIT, 1},
        {-112, ROOK_BIT | QUEEN_BIT, -16},
        {119, BISHOP_BIT | QUEEN_BIT, 17},
        {-105, BISHOP_BIT | QUEEN_BIT, -15},
        {33, KNIGHT_BIT, 0},
        {-14, KNIGHT_BIT, 0},
        {0, 0, 0},
        {23, 0, 0},  // h1 to a2: 15 apart as squares, on no line
        {8, 0, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(AttackMask[c.difference + 119], c.mask) << c.difference;
        EXPECT_EQ(AttackStep[c.difference + 119], c.step) << c.difference;
    }
}

TEST(SquareAttacked, FollowsPiecesLinesAndBlockers) {
    const struct {
        const char *fen;
        const char *target;
        int attacker, attacked;
    } cases[] = {
        {"7k/8/8/8/8/8/8/K2Q4 w", "d8", White, 1},
        {"7k/8/8/8/3p4/8/8/K2Q4 w", "d8", White, 0},  // blocked on d4 by a Black piece
        {"7k/8/8/8/3P4/8/8/K2Q4 w", "d8", White, 0},  // and by a White one
        {"7k/8/8/8/3P4/8/8/K2Q4 w", "d4", White, 1},  // the blocker itself is attacked
        {"7k/8/8/8/4P3/8/8/K7 w", "d5", White, 1},
        {"7k/8/8/8/4P3/8/8/K7 w", "f5", White, 1},
        {"7k/8/8/8/4P3/8/8/K7 w", "d3", White, 0},
        {"7k/8/8/8/4P3/8/8/K7 w", "e5", White, 0},
        {"7k/8/8/4p3/8/8/8/K7 w", "d4", Black, 1},
        {"7k/8/8/4p3/8/8/8/K7 w", "f4", Black, 1},
        {"7k/8/8/4p3/8/8/8/K7 w", "d6", Black, 0},
        {"7k/8/8/4p3/8/8/8/K7 w", "f6", Black, 0},
        {"7k/8/8/8/8/8/8/K7 w", "b2", White, 1},
        {"7k/8/8/8/8/8/8/K7 w", "c3", White, 0},
        {"7k/8/8/8/8/8/8/K7 w", "a1", White, 0},  // a piece does not attack its own square
        {"7k/8/8/8/8/2nnn3/2nNn3/K1nnn3 w", "c4", White, 1},  // a knight jumps
        {"7k/8/8/8/8/2nnn3/2nNn3/K1nnn3 w", "d4", White, 0},
        {"K6k/8/8/8/8/8/8/7R w", "a2", White, 0},  // no wrap across the edge
        {"K6k/8/8/8/8/8/8/7R w", "h8", White, 1},
        {"B6k/8/8/8/8/8/8/K7 w", "h1", White, 1},
        {"B6k/8/8/8/8/8/8/K7 w", "h2", White, 0},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(ReadFen(c.fen), 1) << c.fen;
        EXPECT_EQ(SquareAttacked(Sq(c.target), c.attacker), c.attacked) << c.fen << " " << c.target;
    }
}

TEST(InCheck, TellsWhetherTheSideToMoveIsAttacked) {
    const struct {
        const char *fen;
        int check;
    } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 0},
        {"4k3/8/8/8/1b6/8/8/4K3 w", 1},
        {"4k3/8/8/8/1b6/8/3P4/4K3 w", 0},
        {"4k3/8/8/8/1b6/8/8/4K3 b", 0},
        {"4k3/8/8/8/8/8/8/4K2r w", 1},
        {"4k3/8/8/8/8/8/8/4K1nr w", 0},
        {"4k3/8/8/8/8/8/5n2/4K3 w", 0},
        {"4k3/8/8/8/8/8/5p2/4K3 w", 1},
        {"4k3/8/8/8/8/5n2/8/4K3 w", 1},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(ReadFen(c.fen), 1) << c.fen;
        EXPECT_EQ(InCheck(), c.check) << c.fen;
    }
}

}  // namespace

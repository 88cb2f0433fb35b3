// Piece-square tables: the reach tables built at run time, the pawn tables and the
// king tables scaled by the opponent's material with exact halves-to-even rounding.
#include <gtest/gtest.h>

#include <array>

#include "board/board.h"
#include "eval/eval.h"
#include "eval/tables.h"

namespace {

using Table = std::array<int, 64>;

// White's tables, row 0 (rank 8) first; Black's are these turned top to bottom.
constexpr Table KnightReach = {
    8,  13, 17, 19, 19, 17, 13, 8,  13, 17, 24, 26, 26, 24, 17, 13, 15, 23, 31, 33, 33, 31,
    23, 15, 15, 23, 30, 34, 34, 30, 23, 15, 14, 20, 27, 30, 30, 27, 20, 14, 11, 16, 22, 24,
    24, 22, 16, 11, 7,  11, 15, 17, 17, 15, 11, 7,  4,  7,  9,  10, 10, 9,  7,  4};
constexpr Table BishopReach = {
    19, 17, 16, 15, 15, 16, 17, 19, 16, 22, 21, 20, 20, 21, 22, 16, 15, 20, 26, 26, 26, 26,
    20, 15, 14, 19, 25, 32, 32, 25, 19, 14, 15, 19, 25, 30, 30, 25, 19, 15, 16, 20, 25, 23,
    23, 25, 20, 16, 17, 22, 19, 18, 18, 19, 22, 17, 19, 16, 15, 14, 14, 15, 16, 19};
constexpr Table QueenReach = {
    23, 24, 24, 24, 24, 24, 24, 23, 23, 26, 27, 27, 27, 27, 26, 23, 23, 26, 29, 29, 29, 29,
    26, 23, 23, 26, 29, 32, 32, 29, 26, 23, 23, 26, 29, 31, 31, 29, 26, 23, 23, 26, 28, 28,
    28, 28, 26, 23, 22, 25, 25, 25, 25, 25, 25, 22, 22, 22, 22, 22, 22, 22, 22, 22};
constexpr Table KingReach = {
    10, 17, 20, 21, 21, 20, 17, 10, 16, 27, 32, 34, 34, 32, 27, 16, 16, 28, 34, 36, 36, 34,
    28, 16, 14, 24, 29, 30, 30, 29, 24, 14, 10, 18, 22, 23, 23, 22, 18, 10, 7,  12, 15, 15,
    15, 15, 12, 7,  4,  7,  8,  9,  9,  8,  7,  4,  1,  3,  3,  4,  4,  3,  3,  1};
constexpr int RookReachByRow[8] = {32, 31, 30, 29, 28, 28, 27, 26};

class EvalTablesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitAttackTables();
        FillPieceKeys();
    }
    static void Load(const char *fen) {
        ASSERT_EQ(ReadFen(fen), 1) << fen;
        BuildEvalTables();
    }
};

TEST_F(EvalTablesTest, ReachTablesMatchTheKnownValues) {
    Table rook;
    for (int sq = 0; sq < 64; sq++) rook[sq] = RookReachByRow[Row(sq)];
    const struct {
        int piece;
        const Table &white;
    } cases[] = {{Knight, KnightReach}, {Bishop, BishopReach}, {Rook, rook}, {Queen, QueenReach}, {King, KingReach}};
    for (const auto &c : cases) {
        int32_t white[64], black[64];
        BuildReachTable(White, c.piece, white);
        BuildReachTable(Black, c.piece, black);
        for (int sq = 0; sq < 64; sq++) {
            EXPECT_EQ(white[sq], c.white[sq]) << "piece " << c.piece << " White " << SquareName[sq];
            EXPECT_EQ(black[sq ^ 56], c.white[sq]) << "piece " << c.piece << " Black " << SquareName[sq ^ 56];
        }
    }
}

TEST_F(EvalTablesTest, PieceTablesAndPawnTables) {
    Load("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    for (int sq = 0; sq < 64; sq++) {
        EXPECT_EQ(PieceSquareTable[White][Knight][sq], KnightReach[sq]);
        EXPECT_EQ(PieceSquareTable[Black][Queen][sq ^ 56], QueenReach[sq]);
        EXPECT_EQ(PieceSquareTable[White][Pawn][sq], BasePawnTable[63 - sq]);
        EXPECT_EQ(PieceSquareTable[Black][Pawn][sq], BasePawnTable[sq]);
        EXPECT_EQ(PieceSquareTable[White][Empty][sq], 0);
        EXPECT_EQ(PieceSquareTable[Black][7][sq], 0);
    }
    const struct {
        int side;
        const char *square;
        int value;
    } pawns[] = {{White, "a2", 4}, {White, "c2", 4}, {White, "d2", 0}, {White, "e2", 0}, {White, "h2", 4},
                 {White, "d7", 32}, {White, "e7", 32}, {White, "c3", 2}, {Black, "d7", 0}, {Black, "a7", 4},
                 {Black, "d2", 32}, {Black, "e2", 32}, {Black, "c6", 2}};
    for (const auto &p : pawns)
        EXPECT_EQ(PieceSquareTable[p.side][Pawn][SquareFromName(p.square)], p.value) << p.side << " " << p.square;
}

// King tables: K multiplied by 1 - 2f, f the opponent's phase fraction, with the
// file offsets added once f passes one half. Each row is White's king table for
// the given position (Black's material decides White's scaling).
TEST_F(EvalTablesTest, KingTableScalesWithTheOpponentsMaterial) {
    const struct {
        const char *fen;
        const char *why;
        std::array<std::pair<const char *, int>, 4> squares;
    } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/8/4K3 w - -", "no White pawn: unscaled whatever Black has",
         {{{"e1", 4}, {"e6", 36}, {"a8", 10}, {"d5", 30}}}},
        {"3qkr2/8/8/8/8/8/4P3/4K3 w - -", "phase 20: f = 0.5, all zero", {{{"e1", 0}, {"e6", 0}, {"a8", 0}, {"d5", 0}}}},
        // 1 - 2f = -1/20: a8 (10) is -0.5 and goes to 0; e6 (36 + 4) is -2, c7 (32 + 3) -1.75, a1 (1) -0.05.
        {"2bqk1n1/8/8/8/8/8/4P3/4K3 w - -", "phase 21: negative, offsets added",
         {{{"a8", 0}, {"e6", -2}, {"c7", -2}, {"a1", 0}}}},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "phase 40: -(K + offset)",
         {{{"e1", -8}, {"e6", -40}, {"a8", -10}, {"c7", -35}}}},
        {"4kb2/8/8/8/8/8/4P3/4K3 w - -", "phase 4 counts as 0: unscaled", {{{"e1", 4}, {"e6", 36}, {"a8", 10}, {"a1", 1}}}},
        // 0.65 * K: a8 6.5 -> 6, d5 19.5 -> 20, e6 23.4 -> 23, b1 1.95 -> 2.
        {"4kb1n/8/8/8/8/8/4P3/4K3 w - -", "phase 7: 0.65, halves to even", {{{"a8", 6}, {"d5", 20}, {"e6", 23}, {"b1", 2}}}},
    };
    for (const auto &c : cases) {
        Load(c.fen);
        for (const auto &[name, value] : c.squares)
            EXPECT_EQ(PieceSquareTable[White][King][SquareFromName(name)], value) << c.why << ": " << name;
    }
    Load("3qkr2/8/8/8/8/8/4P3/4K3 w - -");
    for (int sq = 0; sq < 64; sq++) EXPECT_EQ(PieceSquareTable[White][King][sq], 0) << SquareName[sq];
}

TEST_F(EvalTablesTest, BlackKingTableIsScaledByWhitesMaterial) {
    // White has a queen, a bishop and a knight (21); Black keeps a pawn.
    Load("4k3/4p3/8/8/8/8/8/2BQK1N1 w - -");
    EXPECT_EQ(PieceSquareTable[Black][King][SquareFromName("a1")], 0);  // -0.5 -> 0
    EXPECT_EQ(PieceSquareTable[Black][King][SquareFromName("e3")], -2);
    EXPECT_EQ(PieceSquareTable[Black][King][SquareFromName("e8")], 0);  // -(4 + 4) / 20
    // White's own king is not scaled: White has no pawn.
    EXPECT_EQ(PieceSquareTable[White][King][SquareFromName("e6")], 36);
}

TEST_F(EvalTablesTest, RebuildingGivesTheSameTables) {
    Load("4kb1n/8/8/8/8/8/4P3/4K3 w - -");
    static int32_t first[2][8][64];
    std::copy(&PieceSquareTable[0][0][0], &PieceSquareTable[0][0][0] + 2 * 8 * 64, &first[0][0][0]);
    // A build for other material in between must leave no trace either.
    Load("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    Load("4kb1n/8/8/8/8/8/4P3/4K3 w - -");
    BuildEvalTables();
    EXPECT_TRUE(std::equal(&first[0][0][0], &first[0][0][0] + 2 * 8 * 64, &PieceSquareTable[0][0][0]));
}

TEST_F(EvalTablesTest, MaterialPhaseIsClamped) {
    const struct {
        const char *fen;
        int white, black;
    } cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", 40, 40},
        {"qqq1k3/8/8/8/8/8/8/2B1K3 w - -", 0, 40},  // a lone bishop is 4, which counts as 0; 42 is capped
        {"4k3/8/8/8/8/8/8/1N2K1N1 w - -", 6, 0},
        {"3rk3/8/8/8/8/8/8/1NB1K3 w - -", 7, 6},
    };
    for (const auto &c : cases) {
        Load(c.fen);
        EXPECT_EQ(MaterialPhase(White), c.white) << c.fen;
        EXPECT_EQ(MaterialPhase(Black), c.black) << c.fen;
    }
}

}  // namespace

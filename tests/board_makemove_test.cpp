// MakeMove and UnmakeMove: what each kind of move does to the record, and the
// abnormal end when a move does not fit the board.

#include <gtest/gtest.h>

#include <cstring>

#include "board/board.h"

namespace {

const bool Ready = (InitAttackTables(), FillPieceKeys(), true);

int Sq(const char *name) { return SquareFromName(name); }

Move Parse(const char *text) {
    Move m = 0;
    EXPECT_EQ(TextToMove(text, &m), 1) << text;
    return m;
}

TEST(MakeMove, RecordsTheMoveAndHandsOverTheTurn) {
    ASSERT_TRUE(Ready);
    ASSERT_EQ(SetStartPosition(), 1);
    const Move m = Parse("e2e4");
    MakeMove(m);
    EXPECT_EQ(Pos.moveHistory[0], m);
    EXPECT_EQ(Pos.keyHistory[0], Pos.key);
    EXPECT_EQ(Pos.undoHistory[0].castleRightsBefore, 15);
    EXPECT_EQ(searchPly, 1);
    EXPECT_EQ(Pos.side, Black);
    EXPECT_EQ(Pos.xside, White);
    EXPECT_EQ(Pos.castleRights, 15);
    EXPECT_EQ(Pos.pawnsOnRow[White][4], 1);
    UnmakeMove(m);
    EXPECT_EQ(searchPly, 0);
}

TEST(MakeMove, CastlingKeepsTheRookInItsSlot) {
    const struct {
        const char *fen, *move, *kingTo, *rookFrom, *rookTo;
        int side, rightsAfter;
    } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", "e1g1", "g1", "h1", "f1", White, 12},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", "e1c1", "c1", "a1", "d1", White, 12},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq", "e8g8", "g8", "h8", "f8", Black, 3},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq", "e8c8", "c8", "a8", "d8", Black, 3},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(ReadFen(c.fen), 1);
        const Position before = Pos;
        const int rookSlot = Pos.pieceSlot[Sq(c.rookFrom)];
        const Move m = Parse(c.move);
        MakeMove(m);
        EXPECT_EQ(Pos.board[Sq(c.kingTo)], King) << c.move;
        EXPECT_EQ(Pos.kingSquare[c.side], Sq(c.kingTo)) << c.move;
        EXPECT_EQ(Pos.board[Sq(c.rookFrom)], Empty) << c.move;
        EXPECT_EQ(Pos.pieceSlot[Sq(c.rookTo)], rookSlot) << c.move;
        EXPECT_EQ(Pos.pieceList[rookSlot], Sq(c.rookTo)) << c.move;
        EXPECT_EQ(Pos.castled[c.side], 1) << c.move;
        EXPECT_EQ(Pos.castleRights, c.rightsAfter) << c.move;
        EXPECT_EQ(Pos.material[c.side], before.material[c.side]) << c.move;
        UnmakeMove(m);
        EXPECT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0) << c.move;
    }
}

TEST(MakeMove, CastlingRightsFollowKingsAndRooks) {
    const struct {
        const char *fen, *move;
        int rightsAfter;
    } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", "h1h2", 15 & ~WhiteKingside},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", "a1a2", 15 & ~WhiteQueenside},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", "e1e2", BlackQueenside | BlackKingside},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", "h1h8", WhiteQueenside | BlackQueenside},  // both rooks
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq", "a8a1", WhiteKingside | BlackKingside},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq", "h8h7", 15 & ~BlackKingside},
        {"r3k3/8/8/8/8/8/8/R3K2N b KQq", "a8a1", WhiteKingside},          // a rook taken on a1
        {"4k2r/8/8/8/8/8/8/4K2N b KQk", "h8h1", WhiteQueenside | WhiteKingside},  // a knight taken on h1
        {"4k3/8/8/8/8/8/8/R3K2R w KQkq", "a1a8", 15 & ~WhiteQueenside},   // no rook on a8: rights stay
    };
    for (const auto &c : cases) {
        ASSERT_EQ(ReadFen(c.fen), 1) << c.fen;
        const Position before = Pos;
        const Move m = Parse(c.move);
        MakeMove(m);
        EXPECT_EQ(Pos.castleRights, c.rightsAfter) << c.fen << " " << c.move;
        UnmakeMove(m);
        EXPECT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0) << c.move;
    }
}

TEST(MakeMove, CapturesAndPromotionsKeepSlotsAndTotals) {
    ASSERT_EQ(ReadFen("1r2k3/P7/8/8/8/8/8/4K3 w"), 1);
    const int pawnSlot = Pos.pieceSlot[Sq("a7")], rookSlot = Pos.pieceSlot[Sq("b8")];
    const int listLast = Pos.listLast[Black];
    const Position before = Pos;
    const Move m = Parse("a7b8n");
    MakeMove(m);
    EXPECT_EQ(Pos.pieceList[rookSlot], -1);
    EXPECT_EQ(Pos.listLast[Black], listLast);
    EXPECT_EQ(Pos.pieceSlot[Sq("b8")], pawnSlot);
    EXPECT_EQ(Pos.board[Sq("b8")], Knight);
    EXPECT_EQ(Pos.pieceCount[White][Pawn], 0);
    EXPECT_EQ(Pos.pieceCount[White][Knight], 1);
    EXPECT_EQ(Pos.pawnsOnFile[White][0], 0);
    EXPECT_EQ(Pos.material[White], before.material[White] - 1000 + 3000);
    EXPECT_EQ(Pos.material[Black], before.material[Black] - 5000);
    EXPECT_EQ(Pos.pieceCount[Black][Rook], 0);
    EXPECT_EQ(Pos.undoHistory[0].capturedSquare, Sq("b8"));
    EXPECT_EQ(Pos.undoHistory[0].capturedPiece, Rook);
    EXPECT_EQ(Pos.undoHistory[0].capturedSlot, rookSlot);
    UnmakeMove(m);
    EXPECT_EQ(Pos.pieceList[rookSlot], Sq("b8"));
    EXPECT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0);
}

using MakeMoveDeathTest = testing::Test;

TEST(MakeMoveDeathTest, AbortsWhenTheMoveDoesNotFit) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        Move m;
        const char *why;
    } cases[] = {
        {MakeMoveWord(Knight, Sq("e2"), Sq("e4")), "no knight on e2"},
        {MakeMoveWord(Pawn, Sq("e2"), Sq("e7")), "e7 occupied"},
        {MakeMoveWord(Pawn, Sq("e7"), Sq("e5")), "a Black pawn with White to move"},
        {MakeMoveWord(Pawn, Sq("e2"), Sq("e4")) | CAPTURE, "nothing to capture"},
        {MakeMoveWord(King, Sq("e1"), Sq("g1")) | CASTLE_KINGSIDE, "f1 not empty for the rook"},
        {MakeMoveWord(King, Sq("d2"), Sq("f2")) | CASTLE_KINGSIDE, "castling from another square"},
        {MakeMoveWord(King, Sq("e2"), Sq("e4")) | PROMOTION, "promotion to a king"},
        {MakeMoveWord(Pawn, Sq("e2"), Sq("e4")) | CAPTURE | EN_PASSANT, "en passant off the board"},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(SetStartPosition(), 1);
        EXPECT_DEATH(MakeMove(c.m), "") << c.why;
    }
    ASSERT_EQ(SetStartPosition(), 1);
    const Move e2e4 = Parse("e2e4");
    MakeMove(e2e4);
    EXPECT_DEATH(UnmakeMove(Parse("e7e5")), "") << "unmaking a move that was not made";
    EXPECT_DEATH(UnmakeMove(MakeMoveWord(Pawn, Sq("d2"), Sq("d4"))), "") << "another pawn's move";
    UnmakeMove(e2e4);
    EXPECT_DEATH(UnmakeMove(e2e4), "") << "nothing left to unmake";
}

}  // namespace

// Move generation: order, castling, en passant, promotions, captures, the
// illegal-position report and the bound of the move stack.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "board/board.h"
#include "tests/board_support.h"

namespace {

const bool Ready = PrepareBoardTables();

std::string ListText() {
    std::string text;
    for (int i = MoveStack.first[searchPly]; i < MoveStack.first[searchPly + 1]; i++) {
        char buffer[6];
        if (!text.empty()) text += ' ';
        text += MoveToText(MoveStack.moves[i], buffer);
    }
    return text;
}

std::vector<Move> List() {
    return std::vector<Move>(MoveStack.moves + MoveStack.first[searchPly],
                             MoveStack.moves + MoveStack.first[searchPly + 1]);
}

Move Word(const char *from, const char *to, int piece, Move flags = 0) {
    return MakeMoveWord(piece, SquareFromName(from), SquareFromName(to)) | flags;
}

TEST(GenerateMoves, StartPositionOrder) {
    ASSERT_TRUE(Ready);
    ASSERT_EQ(SetStartPosition(), 1);
    ASSERT_EQ(GenerateMoves(), 1);
    EXPECT_EQ(ListText(),
              "a2a3 a2a4 b2b3 b2b4 c2c3 c2c4 d2d3 d2d4 e2e3 e2e4 f2f3 f2f4 g2g3 g2g4 h2h3 h2h4 "
              "b1c3 b1a3 g1h3 g1f3");
    ASSERT_EQ(GenerateLegalMoves(), 1);
    EXPECT_EQ(List().size(), 20u);
}

TEST(GenerateMoves, ListsInGenerationOrder) {
    const struct {
        const char *fen;
        int (*generator)();
        const char *moves;
    } cases[] = {
        // Push promotions Queen then Knight, then the captures towards file a.
        {"3r3k/4P3/8/8/8/8/8/K7 w", GenerateMoves, "e7e8q e7e8n e7d8q e7d8n a1b1 a1a2 a1b2"},
        {"3r3k/4P3/8/8/8/8/8/K7 w", GenerateCaptures, "e7e8q e7e8n e7d8q e7d8n"},
        // Lines by increasing distance, StepDelta order, first occupied square ends a line.
        {"7k/8/8/8/8/8/1p6/R1K5 w", GenerateMoves, "a1b1 a1a2 a1a3 a1a4 a1a5 a1a6 a1a7 a1a8 c1d1 c1b1 c1c2 c1d2 c1b2"},
        {"7k/8/8/8/8/8/1p6/R1K5 w", GenerateCaptures, "c1b2"},
        // Slots in board order (the king on a8 first); Black pawns move down
        // the board and capture towards file a first.
        {"k7/8/8/8/8/8/1p6/R1R4K b", GenerateMoves, "a8b8 a8a7 a8b7 b2b1q b2b1n b2a1q b2a1n b2c1q b2c1n"},
        // No castling and no quiet moves among the captures.
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq", GenerateCaptures, "a1a8 h1h8"},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(ReadFen(c.fen), 1) << c.fen;
        ASSERT_EQ(c.generator(), 1) << c.fen;
        EXPECT_EQ(ListText(), c.moves) << c.fen;
    }
}

TEST(GenerateMoves, CastlingIsGeneratedThenTestedForAttacks) {
    const struct {
        const char *fen;
        bool kingsideGenerated;
        int kingside, queenside;  // kept by the legal filter
    } cases[] = {
        {"4k3/8/8/8/8/8/8/R3K2R w KQ", true, 1, 1},
        {"4k3/8/8/8/8/8/8/R3K2R w -", false, 0, 0},
        {"4k3/8/8/8/8/8/8/R3K3 w KQ", false, 0, 1},    // rook gone from h1
        {"4k3/8/8/8/8/5r2/8/R3K2R w KQ", true, 0, 1},  // f1 attacked
        {"4k3/8/8/8/8/6r1/8/R3K2R w KQ", true, 0, 1},  // g1 attacked
        {"4k3/8/8/8/8/7r/8/R3K2R w KQ", true, 1, 1},   // only the rook attacked
        {"4k3/8/8/8/8/1r6/8/R3K2R w KQ", true, 1, 1},  // only b1 attacked
        {"4k3/8/8/8/8/2r5/8/R3K2R w KQ", true, 1, 0},  // c1 attacked
        {"4k3/8/8/8/8/4r3/8/R3K2R w KQ", true, 0, 0},  // in check
        {"4k3/8/8/8/8/8/8/RN2K1NR w KQ", false, 0, 0}, // blocked
        {"r3k2r/8/8/8/8/8/8/4K3 b kq", true, 1, 1},
        {"r3k2r/8/8/8/8/8/8/3RK3 b kq", true, 1, 0},   // d8 attacked
    };
    for (const auto &c : cases) {
        ASSERT_EQ(ReadFen(c.fen), 1) << c.fen;
        const int home = Pos.side == White ? SQ_E1 : SQ_E8;
        const Move kingside = MakeMoveWord(King, home, home + 2) | CASTLE_KINGSIDE;
        const Move queenside = MakeMoveWord(King, home, home - 2) | CASTLE_QUEENSIDE;
        EXPECT_EQ(CastleIsLegal(kingside), c.kingside) << c.fen;
        EXPECT_EQ(CastleIsLegal(queenside), c.queenside) << c.fen;
        ASSERT_EQ(GenerateMoves(), 1);
        bool generated = false;
        for (Move m : List()) generated |= m == kingside;
        EXPECT_EQ(generated, c.kingsideGenerated) << c.fen;
        ASSERT_EQ(GenerateLegalMoves(), 1);
        int found = 0;
        for (Move m : List()) found += (m == kingside ? 1 : 0) + (m == queenside ? 2 : 0);
        EXPECT_EQ(found, c.kingside + 2 * c.queenside) << c.fen;
    }
}

TEST(GenerateMoves, EnPassantOnlyRightAfterTheDoubleStep) {
    ASSERT_EQ(SetStartPosition(), 1);
    PlayGameMoves({"e2e4", "d7d5", "e4e5", "f7f5"});
    ASSERT_EQ(GenerateMoves(), 1);
    EXPECT_EQ(List().front(), Word("e5", "f6", Pawn, CAPTURE | EN_PASSANT));
    PlayGameMoves({"a2a3", "a7a6"});
    ASSERT_EQ(GenerateMoves(), 1);
    for (Move m : List()) EXPECT_FALSE(m & EN_PASSANT);

    // From the FEN square, only until the first move is made; both capturing
    // pawns, the one on the higher file first.
    ASSERT_EQ(ReadFen("4k3/8/8/8/3pPp2/8/8/4K3 b - e3"), 1);
    ASSERT_EQ(GenerateMoves(), 1);
    std::vector<Move> list = List();
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list[0], Word("f4", "e3", Pawn, CAPTURE | EN_PASSANT));
    EXPECT_EQ(list[1], Word("d4", "e3", Pawn, CAPTURE | EN_PASSANT));
    MakeMove(0);
    MakeMove(0);
    ASSERT_EQ(GenerateMoves(), 1);
    for (Move m : List()) EXPECT_FALSE(m & EN_PASSANT);
    UnmakeMove(0);
    UnmakeMove(0);

    // The capture removes the pawn behind the target square.
    ASSERT_EQ(ReadFen("4k3/8/8/8/3pPp2/8/8/4K3 b - e3"), 1);
    const Move ep = Word("f4", "e3", Pawn, CAPTURE | EN_PASSANT);
    MakeMove(ep);
    EXPECT_EQ(Pos.board[SquareFromName("e4")], Empty);
    EXPECT_EQ(Pos.pawnsOnFile[White][4], 0);
    EXPECT_EQ(Pos.board[SquareFromName("e3")], Pawn);
    UnmakeMove(ep);
}

TEST(GenerateMoves, CapturesAreASubset) {
    ASSERT_EQ(ReadFen("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -"), 1);
    PlayGameMoves({"a2a4"});  // gives Black an en-passant capture b4a3
    ASSERT_EQ(GenerateMoves(), 1);
    std::vector<Move> all = List();
    ASSERT_EQ(GenerateCaptures(), 1);
    std::vector<Move> captures = List();
    EXPECT_GT(captures.size(), 3u);
    size_t expected = 0;
    for (Move m : all)
        if ((m & CAPTURE) && !(m & EN_PASSANT)) expected++;
    EXPECT_EQ(captures.size(), expected);
    for (Move m : captures) {
        EXPECT_TRUE((m & CAPTURE) || (m & PROMOTION));
        EXPECT_FALSE(m & EN_PASSANT);
    }
}

TEST(GenerateMoves, ReportsAnIllegalPosition) {
    // The side to move could take the other king.
    for (const char *fen : {"4k3/8/8/8/8/8/8/4R1K1 w", "4k3/3P4/8/8/8/8/8/4K3 w", "4k3/8/3N4/8/8/8/8/4K3 w",
                            "4k3/8/8/8/8/8/8/r3K3 b"}) {
        ASSERT_EQ(ReadFen(fen), 1);
        MoveStack.first[searchPly + 1] = 77;
        EXPECT_EQ(GenerateMoves(), 0) << fen;
        EXPECT_EQ(MoveStack.first[searchPly + 1], MoveStack.first[searchPly]);
        MoveStack.first[searchPly + 1] = 77;
        EXPECT_EQ(GenerateCaptures(), 0) << fen;
        EXPECT_EQ(MoveStack.first[searchPly + 1], MoveStack.first[searchPly]);
        EXPECT_EQ(GenerateLegalMoves(), 0) << fen;
    }
}

TEST(GenerateLegalMoves, MateAndStalemateGiveAnEmptyList) {
    for (const char *fen : {"7k/6Q1/6K1/8/8/8/8/8 b", "7k/5Q2/6K1/8/8/8/8/8 b"}) {
        ASSERT_EQ(ReadFen(fen), 1);
        EXPECT_EQ(GenerateLegalMoves(), 1) << fen;
        EXPECT_TRUE(List().empty()) << fen;
    }
}

TEST(GenerateLegalMoves, KeepsGenerationOrderAndClearsTheSlot) {
    ASSERT_EQ(ReadFen("4k3/8/8/8/1b6/8/3P4/R3K2R w KQ"), 1);  // d2 pawn pinned
    Pos.moveHistory[0] = 12345;  // as a kept redo move would be
    ASSERT_EQ(GenerateMoves(), 1);
    std::vector<Move> pseudo = List();
    ASSERT_EQ(GenerateLegalMoves(), 1);
    std::vector<Move> legal = List();
    size_t at = 0;
    for (Move m : pseudo)
        if (at < legal.size() && legal[at] == m) at++;
    EXPECT_EQ(at, legal.size());  // a subsequence of the pseudo-legal list
    for (Move m : legal) EXPECT_NE(MoveFrom(m), SquareFromName("d2"));
    EXPECT_EQ(Pos.moveHistory[0], 0u);
}

TEST(MoveStack, ListsNearTheEndAreCutShort) {
    ASSERT_EQ(SetStartPosition(), 1);
    const int saved = MoveStack.first[0];
    for (int start : {MOVE_STACK_SIZE - 5, MOVE_STACK_SIZE, MOVE_STACK_SIZE + 50, -3}) {
        MoveStack.first[0] = start;
        GenerateMoves();
        EXPECT_LE(MoveStack.first[1], MOVE_STACK_SIZE) << start;
        EXPECT_GE(MoveStack.first[1], 0) << start;
        GenerateCaptures();
        EXPECT_LE(MoveStack.first[1], MOVE_STACK_SIZE) << start;
    }
    MoveStack.first[0] = MOVE_STACK_SIZE - 5;
    ASSERT_EQ(GenerateMoves(), 1);
    EXPECT_EQ(MoveStack.first[1], MOVE_STACK_SIZE);
    MoveStack.first[0] = saved;
    const int savedPly = searchPly;
    searchPly = MOVE_STACK_PLIES - 1;  // first[ply + 1] would lie outside
    EXPECT_EQ(GenerateMoves(), 0);
    EXPECT_EQ(GenerateCaptures(), 0);
    EXPECT_EQ(GenerateLegalMoves(), 0);
    searchPly = savedPly;
}

}  // namespace

// Perft figures against the published ones, and make/unmake checked byte for
// byte and key for key over whole move trees.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/perft.h"

namespace {

const bool Ready = (InitAttackTables(), FillPieceKeys(), true);

struct PerftCase {
    const char *fen;
    std::vector<uint64_t> leaves;  // depth 1, 2, ...
};

const PerftCase PerftCases[] = {
    {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", {20, 400, 8902, 197281, 4865609}},
    {"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -", {48, 2039, 97862, 4085603}},
    {"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", {14, 191, 2812, 43238, 674624}},
    {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -", {6, 264, 9467, 422333}},
    {"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -", {44, 1486, 62379}},
    {"r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -", {46, 2079, 89890, 3894594}},
};

TEST(Perft, MatchesPublishedFiguresWithAllPromotions) {
    ASSERT_TRUE(Ready);
    for (const PerftCase &c : PerftCases) {
        ASSERT_EQ(ReadFen(c.fen), 1) << c.fen;
        for (size_t depth = 1; depth <= c.leaves.size(); depth++) {
            Position before = Pos;
            EXPECT_EQ(Perft(int(depth), 1), c.leaves[depth - 1]) << c.fen << " depth " << depth;
            EXPECT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0) << c.fen;
            EXPECT_EQ(searchPly, 0);
        }
    }
}

TEST(Perft, EngineModeLeavesOutRookAndBishopPromotions) {
    // b7b8 four ways with -a, Queen and Knight only for the engine.
    ASSERT_EQ(ReadFen("4k3/1P6/8/8/8/8/8/4K3 w"), 1);
    EXPECT_EQ(Perft(1, 1) - Perft(1, 0), 2u);
}

// The key of the placement alone, as the FEN reader computes it: the board and
// side of WriteFen's text read back into a scratch position.
uint64_t KeyFromScratch() {
    char text[FEN_BUFFER_BYTES];
    WriteFen(text);
    std::string boardAndSide(text, std::strchr(text, ' ') + 2);
    Position saved = Pos;
    EXPECT_EQ(ReadFen(boardAndSide.c_str()), 1) << boardAndSide;
    const uint64_t key = Pos.key;
    Pos = saved;
    return key;
}

// Walks the pseudo-legal tree: every move must be undone to the byte, and the
// incremental key must equal the key computed from the board.
void CheckTree(int depth, int *nodes) {
    if (!GenerateMoves()) return;
    const int first = MoveStack.first[searchPly], last = MoveStack.first[searchPly + 1];
    for (int i = first; i < last; i++) {
        const Move m = MoveStack.moves[i];
        Position before = Pos;
        MakeMove(m);
        ++*nodes;
        ASSERT_EQ(Pos.key, KeyFromScratch()) << MoveToText(m);
        ASSERT_EQ(Pos.keyHistory[Pos.gamePly + searchPly - 1], Pos.key);
        if (depth > 1) CheckTree(depth - 1, nodes);
        UnmakeMove(m);
        ASSERT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0) << "after " << MoveToText(m);
    }
}

TEST(MakeUnmake, RestoresEveryByteAndKeepsTheKey) {
    // Castling both ways for both colours, en passant for both colours,
    // promotions with and without capture, rook captures on corners.
    const char *const fens[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R b KQkq -",
        "rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6",
        "rnbqkbnr/pppp1ppp/8/8/3Pp3/8/PPP1PPPP/RNBQKBNR b KQkq d3",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
        "r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ -",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
        "r3k2r/1P6/8/8/8/8/6p1/R3K2R w KQkq -",
    };
    for (const char *fen : fens) {
        ASSERT_EQ(ReadFen(fen), 1) << fen;
        int nodes = 0;
        CheckTree(3, &nodes);
        EXPECT_GT(nodes, 1000) << fen;
        EXPECT_EQ(PositionIsConsistent(Pos), 1) << fen;
    }
}

TEST(MakeUnmake, NullMovesToggleOnlyTheirKeys) {
    ASSERT_EQ(SetStartPosition(), 1);
    const uint64_t start = Pos.key;
    Move e2e4;
    ASSERT_EQ(TextToMove("e2e4", &e2e4), 1);
    MakeMove(e2e4);
    const uint64_t afterMove = Pos.key;
    Position before = Pos;
    MakeMove(0);  // Black passes
    EXPECT_EQ(Pos.key, afterMove ^ PieceKey[Black][Pawn][0]);
    EXPECT_EQ(Pos.side, White);
    MakeMove(0);  // White passes
    EXPECT_EQ(Pos.key, afterMove ^ PieceKey[Black][Pawn][0] ^ PieceKey[White][Pawn][0]);
    EXPECT_EQ(PositionIsConsistent(Pos), 1);
    UnmakeMove(0);
    UnmakeMove(0);
    EXPECT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0);
    UnmakeMove(e2e4);
    EXPECT_EQ(Pos.key, start);
    EXPECT_EQ(searchPly, 0);
}

}  // namespace

// Position keys, set-up from FEN with its refusals, and the identity text of WriteFen.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "board/board.h"
#include "tests/board_support.h"

namespace {

const bool Ready = PrepareBoardTables();

const char *const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

std::string FenText() {
    char text[FEN_BUFFER_BYTES];
    WriteFen(text);
    return text;
}

TEST(Keys, FollowTheGeneratorRule) {
    ASSERT_TRUE(Ready);
    EXPECT_EQ(PieceKey[White][Pawn][SQ_A8], 0x9904662fb3c24ae1u);
    EXPECT_EQ(PieceKey[White][Pawn][8], 0xfba07e96bb3ec509u);
    EXPECT_EQ(PieceKey[Black][King][SQ_H1], 0xcbfc7d465e9dc8b5u);
    EXPECT_EQ(PieceKey[White][Empty][10], 0u);
    EXPECT_EQ(PieceKey[Black][7][10], 0u);
    ASSERT_EQ(SetStartPosition(), 1);
    EXPECT_EQ(Pos.key, 0x8185b8dd72b98120u);
    PlayGameMoves({"e2e4"});
    EXPECT_EQ(Pos.key, 0xca1faf99339a336bu);
    EXPECT_EQ(Pos.startKey, 0x8185b8dd72b98120u);
}

TEST(Keys, RefillGivesTheSameKeys) {
    const uint64_t before = PieceKey[Black][Queen][27];
    RandomSeed(12345);
    FillPieceKeys();
    EXPECT_EQ(PieceKey[Black][Queen][27], before);
}

TEST(SquareNames, MatchExactlyOnTheFirstTwoCharacters) {
    const struct {
        const char *text;
        int square;
    } cases[] = {{"a8", 0}, {"h1", 63}, {"e3", 44}, {"e3junk", 44}, {"E3", -1}, {"i1", -1},
                 {"a9", -1}, {"a0", -1}, {"e", -1}, {"", -1}};
    for (const auto &c : cases) EXPECT_EQ(SquareFromName(c.text), c.square) << c.text;
    for (int sq = 0; sq < 64; sq++) EXPECT_EQ(SquareFromName(SquareName[sq]), sq);
}

TEST(ReadFen, SetsUpTheStartPosition) {
    ASSERT_EQ(SetStartPosition(), 1);
    EXPECT_EQ(Pos.listLast[White], 15);
    EXPECT_EQ(Pos.listLast[Black], 31);
    EXPECT_EQ(Pos.material[White], 1040000);
    EXPECT_EQ(Pos.material[Black], 1040000);
    EXPECT_EQ(Pos.pawnsOnRow[White][6], 8);
    EXPECT_EQ(Pos.pawnsOnRow[Black][1], 8);
    EXPECT_EQ(Pos.castleRights, 15);
    EXPECT_EQ(Pos.epSquare, 0);
    EXPECT_EQ(Pos.key, Pos.startKey);
    // Slots follow the board from a8 to h1.
    EXPECT_EQ(Pos.pieceList[0], SquareFromName("a2"));
    EXPECT_EQ(Pos.pieceList[8], SquareFromName("a1"));
    EXPECT_EQ(Pos.pieceList[16], SQ_A8);
    EXPECT_EQ(Pos.pieceList[24], SquareFromName("a7"));
    EXPECT_EQ(PositionIsConsistent(Pos), 1);
}

TEST(ReadFen, AcceptsWhatTheRulesAllow) {
    const struct {
        const char *fen;
        int side, castleRights, epSquare;
    } cases[] = {
        {"8/8/8/8/8/8/8/K6k", White, 0, 0},
        {"  8/8/8/8/8/8/8/K6k\n\nb", Black, 0, 0},
        {"8/8/8/8/8/8/8/K6k - -", White, 0, 0},
        {"8/8/8/8/8/8/8/K6k w KQkq", White, 15, 0},
        {"8/8/8/8/8/8/8/K6k w kkQ", White, BlackKingside | WhiteQueenside, 0},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3", Black, 15, 44},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3junk 0 1 more", Black, 15, 44},
        {"rnbqkbnr/ppp1pppp/8/3p4/8/8/PPPPPPPP/RNBQKBNR w KQkq d6 0 2", White, 15, 19},
        {"K6k", White, 0, 0},  // fewer than 64 squares: the rest stays empty
    };
    for (const auto &c : cases) {
        ASSERT_EQ(ReadFen(c.fen), 1) << c.fen;
        EXPECT_EQ(Pos.side, c.side) << c.fen;
        EXPECT_EQ(Pos.xside, c.side ^ 1) << c.fen;
        EXPECT_EQ(Pos.castleRights, c.castleRights) << c.fen;
        EXPECT_EQ(Pos.epSquare, c.epSquare) << c.fen;
        EXPECT_EQ(PositionIsConsistent(Pos), 1) << c.fen;
    }
    ASSERT_EQ(ReadFen("8/8/8/8/8/8/8/K6k"), 1);
    EXPECT_EQ(Pos.kingSquare[White], SQ_A1);
    EXPECT_EQ(Pos.kingSquare[Black], SQ_H1);
    EXPECT_EQ(Pos.listLast[White], 0);
    EXPECT_EQ(Pos.listLast[Black], 16);
    EXPECT_EQ(Pos.pieceList[1], -1);
}

TEST(ReadFen, RefusesAndKeepsThePositionWithItsHistory) {
    const char *const refused[] = {
        "",
        " \n ",
        "k",                                        // no White king
        "KKk",                                      // two White kings
        "8/8/8/8/8/8/8/K6k/Q",                      // piece past the last square
        "P6k/8/8/8/8/8/8/K7 w",                     // a pawn on rank 8
        "7k/8/8/8/8/8/8/K5p1 w",                    // a pawn on rank 1
        "QQQQQQQQ/QQQQQQQQ/K7/8/8/8/8/7k w",        // 17 White pieces
        "8/8/8/8/8/8/8/K6x",                        // not a piece symbol
        "8/8/8/8/8/8/8/K6k\tw",                     // a tab is part of the field
        "8/8/8/8/8/8/8/K6k W",
        "8/8/8/8/8/8/8/K6k white",
        "8/8/8/8/8/8/8/K6k w KQx",
        "8/8/8/8/8/8/8/K6k w K-",
        "8/8/8/8/8/8/8/K6k w - e",
        "8/8/8/8/8/8/8/K6k w - x3",
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e6",  // wrong row for Black to move
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq d3",  // no pawn on d4
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e3",  // wrong row for White to move
        "rnbqkbnr/pppppppp/8/8/4P3/4N3/PPPP1PPP/RNBQKB1R b KQkq e3",  // e3 occupied
        "rnbqkbnr/pppppppp/8/8/4P3/8/PPPPBPPP/RNBQK1NR b KQkq e3",    // e2 occupied
    };
    ASSERT_EQ(SetStartPosition(), 1);
    PlayGameMoves({"e2e4", "e7e5", "g1f3"});
    const Position before = Pos;
    for (const char *fen : refused) {
        EXPECT_EQ(ReadFen(fen), 0) << fen;
        EXPECT_EQ(std::memcmp(&before, &Pos, sizeof Pos), 0) << fen;
    }
    EXPECT_EQ(ReadFen(nullptr), 0);
    // A text far longer than any working buffer is read in place.
    std::string longText = std::string(START) + std::string(5000, ' ') + "junk";
    EXPECT_EQ(ReadFen(longText.c_str()), 1);
    std::string longBoard = std::string(3000, '/') + "K6k";
    EXPECT_EQ(ReadFen(longBoard.c_str()), 1);
    std::string tooManyDigits = std::string(3000, '8') + "K";
    EXPECT_EQ(ReadFen(tooManyDigits.c_str()), 0);
}

TEST(ReadFen, ClearsTheHistory) {
    ASSERT_EQ(SetStartPosition(), 1);
    PlayGameMoves({"e2e4", "e7e5"});
    ASSERT_EQ(ReadFen(START), 1);
    EXPECT_EQ(Pos.gamePly, 0);
    EXPECT_EQ(Pos.gameLength, 0);
    EXPECT_EQ(Pos.moveHistory[0], 0u);
    EXPECT_EQ(Pos.keyHistory[1], 0u);
}

TEST(WriteFen, WritesTheIdentityText) {
    const struct {
        const char *fen;
        std::initializer_list<const char *> moves;
        const char *text;
    } cases[] = {
        {START, {}, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w QKqk"},
        {START, {"e2e4"}, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b QKqk e1"},
        {START, {"e2e4", "e7e5"}, "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w QKqk e8"},
        {START, {"g1f3"}, "rnbqkbnr/pppppppp/8/8/8/5N2/PPPPPPPP/RNBQKB1R b QKqk"},
        {"8/8/8/8/8/8/8/K6k", {}, "8/8/8/8/8/8/8/K6k w"},
        {"8/8/8/8/8/8/8/K6k b KQkq", {}, "8/8/8/8/8/8/8/K6k b"},
        {"4k3/8/8/8/8/8/4P3/4K2R w KQkq", {"e2e3"}, "4k3/8/8/8/8/4P3/8/4K2R b K e1"},
        {"4k3/8/8/8/8/8/4P3/4K2R w q", {"e2e3"}, "4k3/8/8/8/8/4P3/8/4K2R b - e1"},
        {"r3k3/8/8/8/8/8/8/4K3 b Qq", {}, "r3k3/8/8/8/8/8/8/4K3 b q"},
        // A promotion carries the new piece in its piece field: no pawn move.
        {"k7/4P3/8/8/8/8/8/K7 w", {"e7e8"}, "k3Q3/8/8/8/8/8/8/K7 b"},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(ReadFen(c.fen), 1) << c.fen;
        PlayGameMoves(c.moves);
        EXPECT_EQ(FenText(), c.text) << c.fen;
    }
    // The null move of a search counts as no pawn move.
    ASSERT_EQ(SetStartPosition(), 1);
    PlayGameMoves({"e2e4"});
    MakeMove(0);
    EXPECT_EQ(FenText(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w QKqk");
    UnmakeMove(0);
}

TEST(WriteFen, StaysWithinItsBuffer) {
    // A crowded board with single empty squares, castling letters and a pawn
    // move last comes close to the longest text.
    ASSERT_EQ(ReadFen("r1bqk1nr/p1p1p1p1/1p1p1p1p/p1p1P1P1/1P1P1P1P/N1B1N1B1/1Q1Q1Q2/R3K2R w KQkq"), 1);
    PlayGameMoves({"b4b5"});
    char text[FEN_BUFFER_BYTES + 8];
    std::memset(text, 'x', sizeof text);
    WriteFen(text);
    EXPECT_STREQ(text, "r1bqk1nr/p1p1p1p1/1p1p1p1p/pPp1P1P1/3P1P1P/N1B1N1B1/1Q1Q1Q2/R3K2R b QKqk b3");
    EXPECT_EQ(text[std::strlen(text) + 1], 'x');
}

}  // namespace

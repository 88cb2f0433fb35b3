// PositionIsConsistent: records made by set-ups and moves pass, damaged records
// (as a corrupt game file would bring) are refused without reading out of bounds.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "board/board.h"
#include "tests/board_support.h"

namespace {

constexpr int USER_SCORE = 1000001;  // what the game record stores with a user move

const bool Ready = PrepareBoardTables();

int Sq(const char *name) { return SquareFromName(name); }

void UndoGameMoveHere() {
    const Move m = Pos.moveHistory[Pos.gamePly - 1];
    UnmakeMove(m);
    Pos.moveHistory[Pos.gamePly - 1] = m;
    Pos.gamePly--;
    searchPly = 0;
}

// A game with a capture, both castlings, en passant and an under-promotion,
// with two moves taken back and kept for redo.
Position RichGame() {
    EXPECT_EQ(ReadFen("r3k2r/1P4pp/8/3pP3/8/8/6PP/R3K2R w KQkq d6"), 1);
    PlayGameMoves({"e5d6", "e8g8", "e1c1", "g7g5", "b7b8r", "a8b8", "h2h4", "g5h4"}, USER_SCORE);
    UndoGameMoveHere();
    UndoGameMoveHere();
    Pos.formatTag = GAME_FILE_TAG;
    return Pos;
}

TEST(PositionIsConsistent, AcceptsRecordsThatMovesMake) {
    ASSERT_TRUE(Ready);
    ASSERT_EQ(SetStartPosition(), 1);
    EXPECT_EQ(PositionIsConsistent(Pos), 1);
    const Position game = RichGame();
    EXPECT_EQ(PositionIsConsistent(game), 1);

    // In the middle of a search, null moves included; the check leaves the
    // live state alone.
    Pos = game;
    Move m;
    ASSERT_EQ(TextToMove("h2h4", &m), 1);
    MakeMove(m);
    MakeMove(0);
    const Position live = Pos;
    const MoveStackRecord stack = MoveStack;
    EXPECT_EQ(PositionIsConsistent(Pos), 1);
    EXPECT_EQ(std::memcmp(&live, &Pos, sizeof Pos), 0);
    EXPECT_EQ(std::memcmp(&stack, &MoveStack, sizeof MoveStack), 0);
    EXPECT_EQ(searchPly, 2);
    UnmakeMove(0);
    UnmakeMove(m);
}

TEST(PositionIsConsistent, RefusesDamagedRecords) {
    const Position game = RichGame();
    const int g8 = Sq("g8"), c1 = Sq("c1");
    const struct {
        const char *what;
        std::function<void(Position &)> damage;
    } cases[] = {
        {"format tag", [](Position &p) { p.formatTag = 12; }},
        {"padding", [](Position &p) { p.padding = 1; }},
        {"piece code", [](Position &p) { p.board[Sq("a2")] = 9; }},
        {"piece without colour", [](Position &p) { p.colour[Sq("c1")] = NoColour; }},
        {"empty square with a slot", [](Position &p) { p.pieceSlot[Sq("e4")] = 3; }},
        {"slot out of range", [](Position &p) { p.pieceSlot[Sq("c1")] = 1000; }},
        {"slot of the other colour", [](Position &p) { p.pieceSlot[Sq("c1")] = 20; }},
        {"list pointing nowhere", [](Position &p) { p.pieceList[15] = 99; }},
        {"list last", [](Position &p) { p.listLast[White] = 40; }},
        {"list first", [](Position &p) { p.listFirst[Black] = 15; }},
        {"piece count", [](Position &p) { p.pieceCount[White][Rook]++; }},
        {"count of code 7", [](Position &p) { p.pieceCount[Black][7] = 1; }},
        {"material", [](Position &p) { p.material[Black] += 1; }},
        {"pawns on file", [](Position &p) { p.pawnsOnFile[White][3]++; }},
        {"pawns on row", [](Position &p) { p.pawnsOnRow[Black][1]++; }},
        {"side", [](Position &p) { p.side = 5; }},
        {"xside", [](Position &p) { p.xside = p.side; }},
        {"castle rights", [](Position &p) { p.castleRights = 16; }},
        {"castled count", [](Position &p) { p.castled[White] = 0; }},
        {"king square", [](Position &p) { p.kingSquare[Black] = 70; }},
        {"en-passant square", [](Position &p) { p.epSquare = 1000; }},
        {"key", [](Position &p) { p.key ^= 1; }},
        {"start key", [](Position &p) { p.startKey ^= 1; }},
        {"game ply past length", [](Position &p) { p.gamePly = p.gameLength + 1; }},
        {"game length", [](Position &p) { p.gameLength = 401; }},
        {"negative game ply", [](Position &p) { p.gamePly = -1; }},
        {"move word", [](Position &p) { p.moveHistory[2] |= 0x100000u; }},
        {"move of another piece", [](Position &p) { p.moveHistory[0] ^= Move(Pawn ^ Knight) << 12; }},
        {"null game move", [](Position &p) { p.moveHistory[1] = 0; }},
        {"key history", [](Position &p) { p.keyHistory[3] ^= 1; }},
        {"key history after the last move", [](Position &p) { p.keyHistory[7] = 5; }},
        {"captured piece", [](Position &p) { p.undoHistory[0].capturedPiece = King; }},
        {"captured slot", [](Position &p) { p.undoHistory[0].capturedSlot = -7; }},
        {"captured square", [](Position &p) { p.undoHistory[0].capturedSquare = 64; }},
        {"rights before", [](Position &p) { p.undoHistory[1].castleRightsBefore = 7; }},
        {"undo data on a free slot", [](Position &p) { p.undoHistory[9].capturedPiece = 1; }},
        {"move past the game length", [](Position &p) { p.moveHistory[8] = MakeMoveWord(Pawn, 52, 44); }},
        {"illegal redo move", [](Position &p) { p.moveHistory[6] = MakeMoveWord(Pawn, Sq("g2"), Sq("g3")); }},
        {"pawn on the last rank",
         [](Position &p) {
             const int from = Sq("h2"), to = Sq("h8");
             p.board[to] = Pawn, p.colour[to] = White, p.pieceSlot[to] = p.pieceSlot[from];
             p.pieceList[p.pieceSlot[from]] = to;
             p.board[from] = Empty, p.colour[from] = NoColour, p.pieceSlot[from] = -1;
             p.pawnsOnRow[White][6]--, p.pawnsOnRow[White][0]++;
         }},
        {"second king", [](Position &p) { p.board[Sq("b8")] = King; p.pieceCount[Black][Rook]--; p.pieceCount[Black][King]++; }},
    };
    ASSERT_EQ(game.board[g8], King);
    ASSERT_EQ(game.board[c1], King);
    for (const auto &c : cases) {
        Position p = game;
        c.damage(p);
        EXPECT_EQ(PositionIsConsistent(p), 0) << c.what;
    }
    // Scores are not made by moves: any value passes.
    Position p = game;
    p.scoreHistory[3] = -123456;
    p.scoreHistory[300] = 7;
    EXPECT_EQ(PositionIsConsistent(p), 1);
}

TEST(PositionIsConsistent, SurvivesRandomDamage) {
    const Position game = RichGame();
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> offsetIn(0, 1200), anyOffset(0, int(sizeof(Position)) - 1);
    std::uniform_int_distribution<int> byte(0, 255), count(1, 4);
    int refused = 0;
    for (int round = 0; round < 3000; round++) {
        Position p = game;
        unsigned char *bytes = reinterpret_cast<unsigned char *>(&p);
        for (int n = count(random); n > 0; n--)
            bytes[round % 2 ? offsetIn(random) : anyOffset(random)] = static_cast<unsigned char>(byte(random));
        refused += PositionIsConsistent(p) == 0;
    }
    EXPECT_GT(refused, 2000);
}

}  // namespace

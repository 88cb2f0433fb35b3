// The game record: recording a game move with its score, taking it back and
// replaying it. The moves live in the history slots of the position record,
// so that a game file can carry board and record together.
#include "app/game.h"

#include <cstdio>

#include "app/engine.h"
#include "board/board.h"

namespace {

// Byte sum of the whole record, used to prove that a make/unmake pair of a new
// game move restores every byte before the move is made for good.
uint32_t PositionByteSum() {
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(&Pos);
    uint32_t total = 0;
    for (size_t i = 0; i < POSITION_BYTES; i++) total += bytes[i];
    return total;
}

}  // namespace

int InsertMoveInGame(Move m, int score) {
    if (Pos.gamePly < 0 || Pos.gamePly >= MAX_GAME_MOVES) return 0;
    uint32_t before = PositionByteSum();
    MakeMove(m);
    UnmakeMove(m);
    if (PositionByteSum() != before) {
        fputs("---> InsertMoveInGame: error control summ ?! \n", stderr);
        AssertOrAbort(false);
    }
    MakeMove(m);
    Pos.gamePly += 1;
    searchPly = 0;
    // Moves that could have been redone are dropped, and their slots cleared:
    // a move left there would belong to no game, and a saved game holding one
    // would not replay as a game when it is loaded.
    for (int i = Pos.gamePly; i < Pos.gameLength && i < HISTORY_SLOTS; i++) Pos.moveHistory[i] = 0;
    Pos.gameLength = Pos.gamePly;
    Pos.scoreHistory[Pos.gamePly - 1] = score;
    return 1;
}

void UndoGameMove() {
    if (Pos.gamePly <= 0) return;
    searchPly = 0;
    Move m = Pos.moveHistory[Pos.gamePly - 1];
    UnmakeMove(m);  // clears the slot's move, key and undo data
    Pos.moveHistory[Pos.gamePly - 1] = m;  // kept for "redo"
    Pos.gamePly -= 1;
    searchPly = 0;
}

void RedoGameMove() {
    if (Pos.gamePly < 0 || Pos.gamePly >= Pos.gameLength || Pos.gamePly >= HISTORY_SLOTS) return;
    Move m = Pos.moveHistory[Pos.gamePly];
    // A legal-move generation at this ply since the undo has cleared the slot.
    if (m == 0) return;
    searchPly = 0;
    MakeMove(m);
    Pos.gamePly += 1;
    searchPly = 0;
}

// The resign rule: how many times in a row the engine's own score (two plies
// apart) fell, each time from a score already at or below a queen down.
// A user's move (USER_MOVE_SCORE) or a book move (0) in a compared slot ends
// the run, since neither is at or below the threshold.
int CountLosingMoves(int lastPly) {
    constexpr int32_t LOSING_SCORE = -10000;
    int count = 0;
    int i = lastPly < HISTORY_SLOTS ? lastPly : HISTORY_SLOTS - 1;
    while (i >= 2) {
        int32_t earlier = Pos.scoreHistory[i - 2];
        int32_t later = Pos.scoreHistory[i];
        if (!(earlier > later && earlier <= LOSING_SCORE)) break;
        count++;
        i -= 2;
    }
    return count;
}

// What the board, book and consistency tests share: the tables every board
// operation needs, and game moves played from their text as the game record
// plays them (searchPly back to 0 after each).
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "board/board.h"

inline bool PrepareBoardTables() {
    InitAttackTables();
    FillPieceKeys();
    return true;
}

inline void PlayGameMoves(std::initializer_list<const char *> moves, int score = 0) {
    for (const char *text : moves) {
        Move m;
        ASSERT_EQ(TextToMove(text, &m), 1) << text;
        MakeMove(m);
        Pos.gamePly++;
        Pos.gameLength = Pos.gamePly;
        Pos.scoreHistory[Pos.gamePly - 1] = score;
        searchPly = 0;
    }
}

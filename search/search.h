// Move decision and the search behind it; the transposition tables.
// ChooseMove is called by the command loop; HashInit once at start-up.
#pragma once

#include <cstdint>

#include "board/position.h"

constexpr int MATE_SCORE = 999999;
constexpr int MATE_BOUND = 999900;
constexpr int KING_CAPTURE_SCORE = 1000000;

extern Move BestMove;
extern int32_t BestScore;
extern int32_t BestDepth;

int HashInit();                // prints its messages; 0 when the tables cannot be made
int ChooseMove(Move *out);     // 1 with a move, 0 when there is none

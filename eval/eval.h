// Static evaluation: piece-square tables and play styles, the evaluation itself
// and king safety. Called by the search at its leaves and by the "score" command.
#pragma once

#include <cstdint>

enum PlayStyleCode : int { AttackLow = 0, AttackMid = 1, AttackHigh = 2, Norm = 3, MinMax = 4 };
extern int PlayStyle;  // starts as AttackMid; set by the move decision, read by the root search
extern const char *const PlayStyleName[5];  // "attack low", ..., "min max"

void BuildEvalTables();
int Evaluate(int alpha, int beta);  // score for the side to move
int KingSafety(int side);

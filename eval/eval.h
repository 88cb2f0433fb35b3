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

// Mobility and pin score of a bishop or rook of `side` on `square`, read from the
// side's own attack map and the enemy's (both AttackMap rows of the current build).
int SliderMobility(int square, int piece, int side, const uint32_t *ownMap, const uint32_t *enemyMap);

// One side's sum in the full evaluation: its material plus the terms of all its
// pieces, read from the attack maps of the last BuildAttackMaps (eval/attackmap.h).
// A full Evaluate returns the side to move's sum minus the other side's.
int SideEvaluation(int side);

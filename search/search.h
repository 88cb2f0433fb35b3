// Move decision and the search behind it; the transposition tables.
// ChooseMove is called by the command loop; HashInit once at start-up.
// This header also holds the score scale and the decision's globals that every search file reads.
#pragma once

#include <cstdint>

#include "board/position.h"

constexpr int MATE_SCORE = 999999;
constexpr int MATE_BOUND = 999900;
constexpr int KING_CAPTURE_SCORE = 1000000;
constexpr int MAX_SEARCH_PLY = 96;  // nodes deeper than this are not expanded
constexpr int DRAW_CONTEMPT = 8;    // the engine scores its own draws slightly below zero

constexpr int FIRST_ITERATION = 2;
constexpr int LAST_ITERATION = 90;
constexpr int LAST_LINE_MOVES = 500;

extern Move BestMove;
extern int32_t BestScore;
extern int32_t BestDepth;

extern int32_t RootSide;        // side to move when the decision began
extern int32_t IterationDepth;  // depth of the iteration under way
extern int32_t QueensOnBoard;   // both sides had a queen at the root: null moves allowed
// The game's moves followed by the principal line of the last root improvement,
// zero-terminated, and the start key of the game it belongs to.
extern Move LastLine[LAST_LINE_MOVES];
extern uint64_t LastLineGameKey;

int HashInit();                // prints its messages; 0 when the tables cannot be made
int ChooseMove(Move *out);     // 1 with a move, 0 when there is none

// A decision with a fixed seed and a depth limit instead of the clock seed and
// the full deepening; the bench and the tests use it so their results repeat.
struct DecisionSettings {
    int fixedSeed;     // 1: seed the generator with seed instead of the clock
    uint32_t seed;
    int lastIteration; // deepen at most to this depth (LAST_ITERATION for play)
};
int ChooseMoveWith(const DecisionSettings &settings, Move *out);

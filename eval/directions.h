// Square88 steps of the pieces and small geometric helpers shared by the attack
// maps, the piece terms and king safety. Header only; the evaluation's own copies
// are constexpr so that the inner loops see them as constants.
#pragma once

#include "board/position.h"

constexpr int DiagonalSteps[4] = {15, 17, -15, -17};
constexpr int OrthogonalSteps[4] = {1, 16, -1, -16};
constexpr int KnightSteps[8] = {14, -14, 18, -18, 31, -31, 33, -33};
constexpr int KingSteps[8] = {1, 16, -1, -16, 15, 17, -15, -17};

// Whether a piece moves along a diagonal (or, when !diagonal, along a file or rank).
constexpr bool SlidesAlong(int piece, bool diagonal) {
    return piece == Queen || piece == (diagonal ? Bishop : Rook);
}

// King-move distance and file-plus-rank distance between two squares.
inline int KingDistance(int a, int b) {
    int dr = Row(a) - Row(b), df = File(a) - File(b);
    if (dr < 0) dr = -dr;
    if (df < 0) df = -df;
    return dr > df ? dr : df;
}
inline int ManhattanDistance(int a, int b) {
    int dr = Row(a) - Row(b), df = File(a) - File(b);
    return (dr < 0 ? -dr : dr) + (df < 0 ? -df : df);
}

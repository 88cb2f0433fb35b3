// Board geometry of the evaluation: the squares along every ray and the jump,
// ring and pawn-attack squares of every square, worked out at compile time so
// that the inner loops of the attack maps, the piece terms and king safety walk
// plain square lists instead of stepping and testing Square88 values.
#pragma once

#include <array>
#include <cstdint>

#include "board/position.h"

// Direction indexes of Rays: 0-3 along files and ranks, 4-7 along diagonals.
constexpr int FIRST_ORTHOGONAL = 0, FIRST_DIAGONAL = 4;
constexpr bool IsDiagonal(int direction) { return direction >= FIRST_DIAGONAL; }

// Up to seven squares from a square to the edge of the board, nearest first.
struct SquareRay {
    int8_t length;
    int8_t squares[7];
};
// Up to eight target squares (knight jumps, king ring, pawn captures).
struct SquareSet {
    int8_t count;
    int8_t squares[8];
};

using RayTable = std::array<std::array<SquareRay, 8>, 64>;  // [square][direction]
using SquareSetTable = std::array<SquareSet, 64>;           // [square]

extern const RayTable Rays;
extern const SquareSetTable KnightJumps;
extern const SquareSetTable KingRing;
extern const std::array<SquareSetTable, 2> PawnCaptures;  // [colour]: the squares its pawn attacks

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

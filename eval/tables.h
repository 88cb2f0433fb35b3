// Piece-square tables and the material phase that scales them.
// Owns PieceSquareTable (built by BuildEvalTables, read by the evaluation) and the
// rounding helper that keeps every fractional step of the evaluation exact.
#pragma once

#include <cstdint>

// [side][piece code][square]; piece codes 0 and 7 stay zero.
extern int32_t PieceSquareTable[2][8][64];

// The largest value each reach table may take, by piece code (pawn and king
// tables come from elsewhere or are scaled later).
extern const int ReachWeight[8];
// Pawn values in Black's orientation; White uses the table turned by 180 degrees.
extern const int BasePawnTable[64];
// Added to the king table, by file, once the opponent's material turns it into a penalty.
extern const int KingFileOffset[8];

// The phase fraction of a side is MaterialPhase(side) / PHASE_DENOMINATOR: the
// clamped sum of 14 per queen, 6 per rook, 4 per bishop and 3 per knight, where a
// sum of 4 or less counts as 0 and one above 40 as 40. Keeping it as a whole
// number of fortieths lets every scaled term be rounded exactly.
constexpr int PHASE_DENOMINATOR = 40;
int MaterialPhase(int side);

// Fills table[64] with the run-time reach table of a knight, bishop, rook, queen
// or king for the side; exposed so that the tests can compare it with known values.
void BuildReachTable(int side, int piece, int32_t table[64]);

// num / den rounded to the nearest integer, halves to the even one; den > 0.
// The evaluation's fractional steps are all multiples of 1/40 (or coarser), so
// doing them as one integer division avoids doubles landing a hair off a half.
constexpr int RoundedDivide(int num, int den) {
    int q = num / den;
    int r = num % den;
    if (r < 0) {  // make the remainder non-negative so q is the floor
        r += den;
        q -= 1;
    }
    if (2 * r > den || (2 * r == den && (q & 1))) q += 1;
    return q;
}
static_assert(RoundedDivide(13, 2) == 6 && RoundedDivide(15, 2) == 8);
static_assert(RoundedDivide(-13, 2) == -6 && RoundedDivide(-15, 2) == -8);
static_assert(RoundedDivide(-14, 4) == -4 && RoundedDivide(7, 5) == 1 && RoundedDivide(-7, 5) == -1);

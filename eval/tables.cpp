// Builds the piece-square tables: reach tables from the geometry of the moves on
// an empty board, the fixed pawn table, and king tables that turn from "go to the
// centre" into "stay home" as the opponent's attacking material grows.
#include "eval/tables.h"

#include <cstring>

#include "board/position.h"
#include "eval/eval.h"

int32_t PieceSquareTable[2][8][64];
int PlayStyle = AttackMid;
const char *const PlayStyleName[5] = {"attack low", "attack mid", "attack high", "norm", "min max"};

const int ReachWeight[8] = {0, 0, 34, 32, 32, 32, 36, 0};

const int BasePawnTable[64] = {
    0,  0,  0,  0,  0,  0,  0,  0,   //
    4,  4,  4,  0,  0,  4,  4,  4,   //
    6,  8,  2,  10, 10, 2,  8,  6,   //
    6,  8,  12, 16, 16, 12, 8,  6,   //
    8,  12, 16, 24, 24, 16, 12, 8,   //
    12, 16, 24, 32, 32, 24, 16, 12,  //
    12, 16, 24, 32, 32, 24, 16, 12,  //
    0,  0,  0,  0,  0,  0,  0,  0,   //
};

const int KingFileOffset[8] = {0, 0, 3, 4, 4, 3, 0, 0};

int MaterialPhase(int side) {
    const int32_t *count = Pos.pieceCount[side];
    int sum = 14 * count[Queen] + 6 * count[Rook] + 4 * count[Bishop] + 3 * count[Knight];
    if (sum <= 4) return 0;
    return sum > PHASE_DENOMINATOR ? PHASE_DENOMINATOR : sum;
}

// Adds, for every square, the start values of all squares the piece reaches from
// it on an empty board; three rounds of this spread "how far forward can I get"
// into "how much of the board do I command".
void BuildReachTable(int side, int piece, int32_t table[64]) {
    int32_t start[64];
    int32_t sum[64] = {};
    int32_t largest = 0;
    for (int sq = 0; sq < 64; sq++) start[sq] = side == White ? 7 - Row(sq) : Row(sq);
    const bool slides = ((1 << piece) & SLIDER_BITS) != 0;
    for (int pass = 0; pass < 3; pass++) {
        for (int sq = 0; sq < 64; sq++) {
            for (int i = StepFirst[piece]; i <= StepLast[piece]; i++) {
                for (int to = Square88(sq) + StepDelta[i]; OnBoard88(to); to += StepDelta[i]) {
                    sum[sq] += start[SquareFrom88(to)];
                    if (!slides) break;
                }
            }
            if (sum[sq] > largest) largest = sum[sq];
        }
        std::memcpy(start, sum, sizeof start);
    }
    for (int sq = 0; sq < 64; sq++) table[sq] = start[sq] * ReachWeight[piece] / largest;
}

// The king wants the centre while the opponent can no longer mate it, and its
// back rank while the opponent still has the pieces to attack. f is the
// opponent's phase fraction (0 for a side without pawns, whose king must stay
// active); the table is multiplied by 1 - 2f, and once that turns negative the
// central files are punished a little more.
static void ScaleKingTable(int side) {
    int phase = Pos.pieceCount[side][Pawn] > 0 ? MaterialPhase(side ^ 1) : 0;
    int32_t *king = PieceSquareTable[side][King];
    // 1 - 2f = (20 - phase) / 20 with phase in fortieths.
    for (int sq = 0; sq < 64; sq++) {
        int value = king[sq];
        if (2 * phase > PHASE_DENOMINATOR) value += KingFileOffset[File(sq)];
        king[sq] = RoundedDivide(value * (PHASE_DENOMINATOR / 2 - phase), PHASE_DENOMINATOR / 2);
    }
}

void BuildEvalTables() {
    std::memset(PieceSquareTable, 0, sizeof PieceSquareTable);
    for (int side = White; side <= Black; side++) {
        for (int piece = Knight; piece <= King; piece++) BuildReachTable(side, piece, PieceSquareTable[side][piece]);
        for (int sq = 0; sq < 64; sq++)
            PieceSquareTable[side][Pawn][sq] = side == Black ? BasePawnTable[sq] : BasePawnTable[63 - sq];
        ScaleKingTable(side);
    }
}

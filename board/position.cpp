// The one position, the move stack, the constant tables, the position keys and
// the program's pseudo-random generator.

#include "board/position.h"

#include <cstdlib>

Position Pos;
MoveStackRecord MoveStack;
int32_t searchPly = 0;

// Square88 steps: orthogonal 0..3, diagonal 4..7, knight jumps 8..15.
const int StepDelta[16] = {1, 16, -1, -16, 15, 17, -15, -17, 14, -14, 18, -18, 31, -31, 33, -33};
const int StepFirst[7] = {6, 4, 8, 4, 0, 0, 0};
const int StepLast[7] = {7, 5, 15, 7, 3, 7, 7};
const int PawnStep[2] = {-8, 8};
const int PromotionRow[2] = {0, 7};
const int PawnStartRow[2] = {6, 1};
const int PieceValue[8] = {0, 1000, 3000, 3000, 5000, 10000, 1000000, 0};
const char *const SquareName[64] = {
    "a8", "b8", "c8", "d8", "e8", "f8", "g8", "h8",  //
    "a7", "b7", "c7", "d7", "e7", "f7", "g7", "h7",  //
    "a6", "b6", "c6", "d6", "e6", "f6", "g6", "h6",  //
    "a5", "b5", "c5", "d5", "e5", "f5", "g5", "h5",  //
    "a4", "b4", "c4", "d4", "e4", "f4", "g4", "h4",  //
    "a3", "b3", "c3", "d3", "e3", "f3", "g3", "h3",  //
    "a2", "b2", "c2", "d2", "e2", "f2", "g2", "h2",  //
    "a1", "b1", "c1", "d1", "e1", "f1", "g1", "h1",
};

uint64_t PieceKey[2][8][64];

// The generator's state starts at 1, so the keys drawn first are the same in
// every run; stored learn files depend on that.
static uint32_t RandomState = 1;

int RandomDraw() {
    RandomState = RandomState * 214013u + 2531011u;
    return int((RandomState >> 16) & 0x7fff);
}

void RandomSeed(uint32_t seed) { RandomState = seed; }

void FillPieceKeys() {
    // Start from the program's initial state so that a second fill (tests,
    // tools) gives the same keys as the first one in a fresh process.
    RandomSeed(1);
    for (int colour = White; colour <= Black; colour++) {
        for (int piece = 0; piece < 8; piece++) {
            for (int sq = 0; sq < 64; sq++) {
                if (piece < Pawn || piece > King) {
                    PieceKey[colour][piece][sq] = 0;
                    continue;
                }
                uint64_t key = 0;
                for (int shift = 60; shift >= 0; shift -= 15) key ^= uint64_t(RandomDraw()) << shift;
                PieceKey[colour][piece][sq] = key;
            }
        }
    }
}

int SquareFromName(const char *text) {
    if (text == nullptr || text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8') return -1;
    return ('8' - text[1]) * 8 + (text[0] - 'a');
}

void AssertOrAbort(bool condition) {
    if (!condition) std::abort();
}

// Compile-time construction of the evaluation's square lists (see geometry.h).
#include "eval/geometry.h"

#include <array>

namespace {

constexpr int RaySteps[8] = {1, 16, -1, -16, 15, 17, -15, -17};  // Square88 steps, files/ranks first
constexpr int KnightSteps[8] = {14, -14, 18, -18, 31, -31, 33, -33};
static_assert(IsDiagonal(4) && !IsDiagonal(3));

constexpr RayTable MakeRays() {
    RayTable rays{};
    for (int sq = 0; sq < 64; sq++) {
        for (int d = 0; d < 8; d++) {
            SquareRay &ray = rays[sq][d];
            for (int to = Square88(sq) + RaySteps[d]; OnBoard88(to); to += RaySteps[d])
                ray.squares[ray.length++] = int8_t(SquareFrom88(to));
        }
    }
    return rays;
}

constexpr SquareSetTable MakeSteps(const int *steps, int count) {
    SquareSetTable sets{};
    for (int sq = 0; sq < 64; sq++) {
        for (int i = 0; i < count; i++) {
            const int to = Square88(sq) + steps[i];
            if (OnBoard88(to)) sets[sq].squares[sets[sq].count++] = int8_t(SquareFrom88(to));
        }
    }
    return sets;
}

constexpr int WhitePawnSteps[2] = {-17, -15};
constexpr int BlackPawnSteps[2] = {15, 17};

}  // namespace

constexpr RayTable Rays = MakeRays();
constexpr SquareSetTable KnightJumps = MakeSteps(KnightSteps, 8);
constexpr SquareSetTable KingRing = MakeSteps(RaySteps, 8);
constexpr std::array<SquareSetTable, 2> PawnCaptures = {MakeSteps(WhitePawnSteps, 2), MakeSteps(BlackPawnSteps, 2)};

static_assert(Rays[SQ_A1][0].length == 7 && Rays[SQ_A1][3].length == 7 && Rays[SQ_A1][6].length == 7);
static_assert(Rays[SQ_A1][6].squares[0] == SQ_A1 - 7 && Rays[SQ_H8][2].squares[6] == SQ_A8);
static_assert(KnightJumps[SQ_A8].count == 2 && KingRing[SQ_E1].count == 5);
static_assert(PawnCaptures[White][SQ_A1 - 8].count == 1 && PawnCaptures[Black][SQ_E8 + 8].squares[1] == SQ_E8 + 17);

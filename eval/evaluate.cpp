// The static evaluation: material, piece-square values, attacked and hanging
// pieces, and the terms of each piece type, summed per side in one walk of each
// piece list. Nothing here allocates; the attack maps are a reused global.
#include <bit>
#include <iterator>

#include "board/position.h"
#include "eval/attackmap.h"
#include "eval/geometry.h"
#include "eval/eval.h"
#include "eval/tables.h"

namespace {

// Half a pawn: when the material alone is this far outside the window, the
// positional terms are taken not to bring the score back into it.
constexpr int LAZY_MARGIN = 500;

constexpr int ExchangeWeight[8] = {0, 1, 3, 3, 5, 10, 20, 0};

constexpr int BishopMobility[19] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 10, 11, 11, 12, 12, 12, 12, 12, 12};
constexpr int RookMobility[20] = {0, 1, 2, 3, 4, 5, 5, 6, 7, 8, 8, 9, 9, 9, 10, 10, 10, 10, 10, 10};
constexpr int QueenMobility[40] = {0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 3, 4, 4, 4, 4, 4,
                                   5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6};
// A bishop reaches at most 13 empty squares, a rook 14, a queen 27.
static_assert(std::size(BishopMobility) > 13 && std::size(RookMobility) > 14 && std::size(QueenMobility) > 27);

constexpr int PassedBonus[2][8] = {{0, 64, 32, 16, 8, 4, 2, 0}, {0, 2, 4, 8, 16, 32, 64, 0}};
constexpr int RookFileBonus[8] = {0, 0, 1, 1, 1, 1, 0, 0};
constexpr int BishopDiagonalBonus[64] = {
    2, 1, 0, 0, 0, 0, 1, 2,  //
    1, 2, 1, 0, 0, 1, 2, 1,  //
    0, 1, 2, 1, 1, 2, 1, 0,  //
    0, 0, 1, 2, 2, 1, 0, 0,  //
    0, 0, 1, 2, 2, 1, 0, 0,  //
    0, 1, 2, 1, 1, 2, 1, 0,  //
    1, 2, 1, 0, 0, 1, 2, 1,  //
    2, 1, 0, 0, 0, 0, 1, 2,  //
};

// Mobility and pins along the rays of a slider. Mobility counts the empty squares
// up to the first piece. Behind that piece (a pawn or a king there ends the look)
// an enemy piece that is dearer than the slider, or undefended, is the target: an
// enemy piece in between is pinned to it, an own piece in between can uncover it.
inline void WalkSlider(int square, int piece, int side, const uint32_t *ownMap, const uint32_t *enemyMap,
                       int firstDirection, int lastDirection, int &mobility, int &pins) {
    for (int d = firstDirection; d <= lastDirection; d++) {
        const SquareRay &ray = Rays[square][d];
        int i = 0;
        while (i < ray.length && Pos.board[ray.squares[i]] == Empty) i++;
        mobility += i;
        if (i == ray.length) continue;
        const int first = ray.squares[i];
        if (Pos.board[first] == Pawn || Pos.board[first] == King) continue;
        for (i++; i < ray.length && Pos.board[ray.squares[i]] == Empty; i++) {
        }
        if (i == ray.length) continue;
        const int behind = ray.squares[i];
        if (Pos.colour[behind] != (side ^ 1)) continue;
        const int target = Pos.board[behind];
        if (ExchangeWeight[target] <= ExchangeWeight[piece] && enemyMap[behind] != 0) continue;
        if (Pos.colour[first] == side) {
            pins += target == King ? 8 : 5;
        } else {
            pins += 6;
            if (target == King) pins += (ownMap[first] & ATTACK_COUNT) <= 1 ? 1 : 2;
        }
    }
}

struct PawnCounters {
    int doubled;
    int isolated;
};

int PawnTerm(int side, int square, const uint32_t *ownMap, const uint32_t *enemyMap, int enemyPhase,
             PawnCounters &counters) {
    const int enemy = side ^ 1;
    const int row = Row(square), file = File(square);
    const int forward = side == White ? -8 : 8;
    const int stop = square + forward;
    // A pawn on its promotion row (only a hand-made position has one) has no stop
    // square: it counts as unsupported and unblocked, and nothing lies ahead of it.
    const bool stopOnBoard = stop >= 0 && stop < 64;
    int score = 0;

    if (Pos.pawnsOnFile[enemy][file] == 0) score += 1;
    if (!stopOnBoard || !(ownMap[stop] & PAWN_ATTACK)) {
        score -= 1;
        if (stopOnBoard && Pos.colour[stop] == enemy) score -= 2;
    }
    if (Pos.pawnsOnFile[side][file] > 1) {
        counters.doubled++;
        score -= counters.doubled == 3 ? 8 : 2;
    }
    const int left = file > 0 ? Pos.pawnsOnFile[side][file - 1] : 0;
    const int right = file < 7 ? Pos.pawnsOnFile[side][file + 1] : 0;
    if (left == 0 && right == 0) {
        counters.isolated++;
        score -= 8;
        if (counters.isolated == 3) score -= 6;
    }

    for (int ahead = stop; ahead >= 0 && ahead < 64; ahead += forward) {
        if (enemyMap[ahead] & PAWN_ATTACK) return score;
        if (Pos.board[ahead] == Pawn && Pos.colour[ahead] == enemy) return score;
    }
    score += PassedBonus[side][row] + 12;
    if ((ownMap[square] & PAWN_ATTACK) || (stopOnBoard && (ownMap[stop] & PAWN_ATTACK))) score += 4;

    // Against a bare king (pawns aside) a pawn outside its square cannot be caught.
    const int32_t *enemyCount = Pos.pieceCount[enemy];
    if (enemyPhase == 0 && enemyCount[Knight] + enemyCount[Bishop] + enemyCount[Rook] == 0) {
        const int promotionRow = PromotionRow[side];
        const int promotionSquare = promotionRow * 8 + file;
        const int pawnDistance = row > promotionRow ? row - promotionRow : promotionRow - row;
        if (pawnDistance < KingDistance(Pos.kingSquare[enemy], promotionSquare))
            score += 8 * PassedBonus[side][row];
    }
    return score;
}

int KnightTerm(int side, int square, uint32_t own, uint32_t ownMerged) {
    int score = 50;
    if (own & KNIGHT_ATTACK) score += 1;
    score += (Pos.pieceCount[White][Pawn] + Pos.pieceCount[Black][Pawn]) / 2;
    score -= KingDistance(square, Pos.kingSquare[side ^ 1]) + 1;
    if (ownMerged & PAWN_ATTACK) score += 1;
    return score;
}

// Unlike the other terms, the rook's works on the running score of its side: the
// scaling step rounds the sum, so the result depends on what came before.
int AddRookTerm(int running, int side, int square, uint32_t ownMerged, const uint32_t *ownMap,
                const uint32_t *enemyMap, int enemyPhase) {
    const int enemy = side ^ 1;
    const int file = File(square), row = Row(square);
    running += RookFileBonus[file] + 40 + SliderMobility(square, Rook, side, ownMap, enemyMap);

    // The seventh rank matters only while the enemy king is still on its back
    // rank or enemy pawns still stand on their start row.
    const bool seventh = side == White ? Row(Pos.kingSquare[Black]) == 0 || Pos.pawnsOnRow[Black][1] > 0
                                       : Row(Pos.kingSquare[White]) == 7 || Pos.pawnsOnRow[White][6] > 0;
    if (seventh) {
        if (Pos.pawnsOnFile[side][file] == 0) {
            running += 4;
            if (Pos.pawnsOnFile[enemy][file] == 0) running += 6;
        }
        const int fileGap = file - File(Pos.kingSquare[enemy]);
        running += (fileGap < 0 ? -fileGap : fileGap) / 2;
        const int homeRow = side == White ? 7 : 0, seventhRow = side == White ? 1 : 6;
        if (row == homeRow) running += 1;
        if (row == seventhRow) running += 8;
    }
    if (ownMerged & ROOK_ATTACK) running += 1;
    // running + 10 * (1 - f), with f = enemyPhase / 40, rounded exactly.
    running = RoundedDivide(4 * running + (PHASE_DENOMINATOR - enemyPhase), 4);
    if (Pos.pieceCount[side][Rook] > 1) running += 1;
    return running;
}

int QueenTerm(int side, int square, uint32_t own, uint32_t ownMerged, const uint32_t *ownMap,
              const uint32_t *enemyMap) {
    int mobility = 0, pins = 0;
    WalkSlider(square, Queen, side, ownMap, enemyMap, 0, 7, mobility, pins);
    int score = pins + 110 + QueenMobility[mobility] - 3;
    if (ownMerged & ROOK_ATTACK) score += 1;
    if (own & BISHOP_ATTACK) score += 1;
    const int enemyKing = Pos.kingSquare[side ^ 1];
    if (KingDistance(square, Pos.kingSquare[side]) > 2) score -= 1;
    if (KingDistance(square, enemyKing) <= 3) score += 5;
    score += (14 - ManhattanDistance(square, enemyKing)) / 2;
    const int32_t *count = Pos.pieceCount[side];
    const int helpers = count[Rook] + count[Bishop] + count[Knight];
    if (helpers >= 2)
        score += 6;
    else if (helpers == 1)
        score += 2;
    return score;
}

}  // namespace

int SideEvaluation(int side) {
    const int enemy = side ^ 1;
    const uint32_t *ownMap = AttackMap[side];
    const uint32_t *enemyMap = AttackMap[enemy];
    const int enemyPhase = MaterialPhase(enemy);
    const int32_t(*table)[64] = PieceSquareTable[side];
    int score = 0, hanging = 0;
    PawnCounters pawns = {0, 0};

    for (int slot = Pos.listFirst[side]; slot <= Pos.listLast[side]; slot++) {
        const int square = Pos.pieceList[slot];
        if (square < 0) continue;
        const int piece = Pos.board[square];
        score += table[piece][square];

        const uint32_t own = ownMap[square];
        const uint32_t ownMerged = MergedView(own);
        const uint32_t enemyMerged = MergedView(enemyMap[square]);
        if (enemyMerged != 0) {
            score -= int(enemyMerged & ATTACK_COUNT);
            const uint32_t pieceClass = MergedAttackClass[piece];
            const uint32_t enemyClasses = enemyMerged & ATTACK_CLASSES;
            const uint32_t ownClasses = ownMerged & ATTACK_CLASSES;
            if (ownMerged == 0 || (enemyClasses & ~(2 * pieceClass - 1)) != 0) {
                // Undefended, or attacked by something cheaper: it will be lost.
                hanging++;
                score -= hanging == 2 ? 10 : 4;
                if (piece == Pawn) score -= 1;
            } else {
                if (piece == Pawn && !(ownMerged & PAWN_ATTACK) &&
                    (ownMerged & ATTACK_COUNT) < (enemyMerged & ATTACK_COUNT))
                    score -= 1;
                // The cheapest attacker is cheaper than the cheapest defender.
                if (std::bit_floor(enemyClasses) > ownClasses) score -= 1;
            }
        }

        switch (piece) {
        case Pawn:
            score += PawnTerm(side, square, ownMap, enemyMap, enemyPhase, pawns);
            break;
        case Knight:
            score += KnightTerm(side, square, own, ownMerged);
            break;
        case Bishop:
            score += SliderMobility(square, Bishop, side, ownMap, enemyMap) + 54 + BishopDiagonalBonus[square];
            if (Pos.pieceCount[side][Bishop] > 1) score += 8;
            break;
        case Rook:
            score = AddRookTerm(score, side, square, ownMerged, ownMap, enemyMap, enemyPhase);
            break;
        case Queen:
            score += QueenTerm(side, square, own, ownMerged, ownMap, enemyMap);
            break;
        case King:
            score += KingSafety(side);
            break;
        default:
            break;
        }
    }

    const int pawnCount = Pos.pieceCount[side][Pawn];
    score += pawnCount - 8;
    if (pawnCount == 0) score -= 16;
    return Pos.material[side] + score;
}

namespace {

// No pawns, no major pieces and at most a lone minor (or two knights) on each
// side: nobody can force mate.
bool IsDeadDraw() {
    for (int side = White; side <= Black; side++) {
        const int32_t *count = Pos.pieceCount[side];
        if (count[Pawn] || count[Queen] || count[Rook]) return false;
        if (4 * count[Bishop] + 3 * count[Knight] >= 7) return false;
    }
    return true;
}

}  // namespace

int SliderMobility(int square, int piece, int side, const uint32_t *ownMap, const uint32_t *enemyMap) {
    int mobility = 0, pins = 0;
    if (piece == Bishop) {
        WalkSlider(square, Bishop, side, ownMap, enemyMap, FIRST_DIAGONAL, 7, mobility, pins);
        return pins + BishopMobility[mobility] - 3;
    }
    WalkSlider(square, Rook, side, ownMap, enemyMap, FIRST_ORTHOGONAL, FIRST_DIAGONAL - 1, mobility, pins);
    return pins + RookMobility[mobility] - 3;
}

int Evaluate(int alpha, int beta) {
    if (IsDeadDraw()) return 0;
    const int material = Pos.material[Pos.side] - Pos.material[Pos.xside];
    if (alpha >= material + LAZY_MARGIN || beta <= material - LAZY_MARGIN) return material;

    BuildAttackMaps();
    return SideEvaluation(Pos.side) - SideEvaluation(Pos.xside);
}

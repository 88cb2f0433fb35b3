// King safety: shelter, attacks on the king and its flight squares, enemy lines
// that reach it and the castling options left, weighed by how much attacking
// material the opponent still has. Reads the attack maps of the last full build.
#include <iterator>

#include "board/position.h"
#include "eval/attackmap.h"
#include "eval/geometry.h"
#include "eval/eval.h"
#include "eval/tables.h"

namespace {

constexpr int ShieldBonus[8] = {4, 6, 2, 0, 0, 2, 6, 4};

// Cost of n attacked squares on the lines to the king. It peaks at ten: beyond
// that the lines are so open that the king's surroundings count for little.
constexpr int LineAttackPenalty[27] = {0,  9,  19, 27, 35, 42, 49, 53, 57, 59, 60, 59, 57, 53,
                                       49, 42, 35, 27, 19, 9,  0,  0,  0,  0,  0,  0,  0};
// Rays and jumps can count up to 13 + 14 + 8 squares; the table's tail is zero,
// and so is every count past its end.
constexpr int MAX_LINE_COUNT = 13 + 14 + 8;
static_assert(MAX_LINE_COUNT == 35);
inline int LinePenalty(int n) { return n < int(std::size(LineAttackPenalty)) ? LineAttackPenalty[n] : 0; }

// Counts the squares along the rays from the king that the enemy attacks with one
// of `classes`. An enemy piece closes the ray uncounted; an own piece closes it
// after being counted.
int CountLineAttacks(int side, int kingSquare, int firstDirection, uint32_t classes) {
    const uint32_t *enemyMap = AttackMap[side ^ 1];
    int n = 0;
    for (int d = firstDirection; d < firstDirection + 4; d++) {
        const SquareRay &ray = Rays[kingSquare][d];
        for (int i = 0; i < ray.length; i++) {
            const int sq = ray.squares[i];
            if (Pos.colour[sq] == (side ^ 1)) break;
            if (enemyMap[sq] & classes) n++;
            if (Pos.board[sq] != Empty) break;
        }
    }
    return n;
}

// Cost of the castling options that are left, against an enemy queen.
int CastlingOptionsPenalty(int side) {
    const int home = side == White ? SQ_E1 : SQ_E8;
    const int aCorner = side == White ? SQ_A1 : SQ_A8;
    const int hCorner = side == White ? SQ_H1 : SQ_H8;
    const bool atHome = Pos.kingSquare[side] == home;
    const bool aSide = atHome && Pos.board[aCorner] == Rook && Pos.colour[aCorner] == side &&
                       (Pos.castleRights & (1 << (2 * side)));
    const bool hSide = atHome && Pos.board[hCorner] == Rook && Pos.colour[hCorner] == side &&
                       (Pos.castleRights & (2 << (2 * side)));
    if (aSide && hSide) return 0;
    if (hSide) return 2;
    if (aSide) return 4;
    return 18;
}

}  // namespace

int KingSafety(int side) {
    const int enemy = side ^ 1;
    const int phase = MaterialPhase(enemy);  // the enemy's phase fraction, in fortieths
    if (phase == 0) return 0;

    const uint32_t *enemyMap = AttackMap[enemy];
    const int32_t *enemyCount = Pos.pieceCount[enemy];
    const int king = Pos.kingSquare[side];
    const int kingRow = Row(king), kingFile = File(king);
    int ks = 0, flight = 0, shield = 0;
    bool ownPawnNear = false;

    // Step 1. The ring around the king: attacked squares, free flight squares and
    // the pawn shield in front.
    const SquareSet &ring = KingRing[king];
    for (int i = 0; i < ring.count; i++) {
        const int sq = ring.squares[i];
        const int attacks = int(enemyMap[sq] & ATTACK_COUNT);
        if (attacks)
            ks -= attacks;
        else if (Pos.colour[sq] != side)
            flight++;
        if (Pos.board[sq] == Pawn && Pos.colour[sq] == side) {
            ownPawnNear = true;
            const bool inFront = side == White ? Row(sq) < kingRow : Row(sq) > kingRow;
            if (inFront) {
                shield++;
                ks += ShieldBonus[File(sq)];
            }
        }
    }
    if (!ownPawnNear) ks -= 4;
    if (shield == 0) ks -= 8;

    // Step 2. No own pawn on the king's file: the file may open.
    if (Pos.pawnsOnFile[side][kingFile] == 0) ks -= 4;

    // Step 3. In check with nowhere to go.
    if (enemyMap[king] != 0 && flight == 0) ks -= 10;

    // Step 4. An enemy pawn already bears on the square in front of the king.
    const int front = king + (side == White ? -8 : 8);
    if (enemyCount[Pawn] > 0 && front >= 0 && front < 64 && (enemyMap[front] & PAWN_ATTACK)) ks -= 4;

    // Step 5. Enemy lines and knight jumps that reach the king.
    int lines = 0;
    if (enemyCount[Bishop] + enemyCount[Queen] > 0)
        lines += CountLineAttacks(side, king, FIRST_DIAGONAL, BISHOP_ATTACK | QUEEN_ATTACK);
    if (enemyCount[Rook] + enemyCount[Queen] > 0)
        lines += CountLineAttacks(side, king, FIRST_ORTHOGONAL, ROOK_ATTACK | QUEEN_ATTACK);
    if (enemyCount[Knight] > 0) {
        const SquareSet &jumps = KnightJumps[king];
        for (int i = 0; i < jumps.count; i++) {
            const int sq = jumps.squares[i];
            if (Pos.colour[sq] != enemy && (enemyMap[sq] & KNIGHT_ATTACK)) lines++;
        }
    }
    int flag = 0;
    if (lines > 0) {
        flag = 1;
        if (flight == 0) ks -= 4;
        if (flight == 1) ks -= 2;
    }
    ks -= LinePenalty(lines);

    // Step 6. Castling: a castled king is rewarded; an uncastled one pays for the
    // options it has lost while the enemy queen is on the board.
    if (Pos.castled[side] > 0) {
        const int bonus = kingFile <= 4 ? 6 : 8;
        ks = RoundedDivide(PHASE_DENOMINATOR * ks + bonus * phase, PHASE_DENOMINATOR);
    } else if (enemyCount[Queen] > 0) {
        ks -= CastlingOptionsPenalty(side);
    }

    // flag + ks * f, rounded exactly.
    return RoundedDivide(PHASE_DENOMINATOR * flag + ks * phase, PHASE_DENOMINATOR);
}

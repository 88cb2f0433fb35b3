// Quiescence search: captures and promotions until the position is quiet, so
// that the static evaluation is never taken in the middle of an exchange.

#include "board/board.h"
#include "eval/eval.h"
#include "search/alphabeta.h"
#include "search/clock.h"
#include "search/ordering.h"
#include "search/search.h"

// Lists at least this long are sorted at once where every capture is likely to be searched.
constexpr int QUIESCE_SORT_MOVES = 20;

int Quiesce(int alpha, int beta) {
    if (CheckTime()) return 0;
    // Stand pat: the side to move may decline every capture.
    int standPat = Evaluate(alpha, beta);
    int best = standPat > alpha ? standPat : alpha;
    if (standPat >= beta) return best;
    if (searchPly > MAX_SEARCH_PLY || MoveStackFull()) return best;

    // Captures are made without a legality test: a capture that leaves the king
    // attacked is refuted one ply down, where the king can be taken.
    if (!GenerateCaptures()) return KING_CAPTURE_SCORE - searchPly;
    const int lo = MoveStack.first[searchPly];
    const int hi = MoveStack.first[searchPly + 1];
    if (lo == hi) return best;

    const int prevTo = PreviousTo();
    int maxVictim = -KING_CAPTURE_SCORE;
    for (int i = lo; i < hi; ++i) {
        Move m = MoveStack.moves[i];
        MoveStack.sortKey[i] = CaptureKey(m, prevTo);
        if ((m & CAPTURE) && !(m & EN_PASSANT)) {
            int victim = PieceValue[Pos.board[MoveTo(m)] & 7];
            if (victim > maxVictim) maxVictim = victim;
        }
    }
    // When even the best capture cannot bring the balance up to best, nearly
    // every capture gets searched, and one sort is cheaper than many scans.
    int sorted = 0;
    if (hi - lo > QUIESCE_SORT_MOVES &&
        Pos.material[Pos.side] - Pos.material[Pos.xside] + maxVictim < best) {
        SortMoves(lo, hi - 1);
        sorted = 1;
    }
    for (int next = lo; next < hi; ++next) {
        if (!sorted) {
            int pick = next;
            for (int i = next + 1; i < hi; ++i)
                if (MoveStack.sortKey[i] > MoveStack.sortKey[pick]) pick = i;
            if (pick != next) SwapMoveEntries(pick, next);
        }
        Move m = MoveStack.moves[next];
        MakeMove(m);
        int score = -Quiesce(-beta, -best);
        UnmakeMove(m);
        if (score > best) best = score;
        if (best >= beta) return best;
    }
    return best;
}

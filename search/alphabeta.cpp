// Alpha-beta search of the nodes below the root, with the draw and
// remembered-score tests it shares with the root search.

#include "search/alphabeta.h"

#include <algorithm>
#include <cstring>

#include "board/board.h"
#include "book/book.h"
#include "eval/eval.h"
#include "search/clock.h"
#include "search/ordering.h"
#include "search/search.h"
#include "search/trans.h"

int32_t NullMoveActive = 0;
int32_t ReducedSearch = 0;

int DrawScore() { return Pos.side == RootSide ? -DRAW_CONTEMPT : 0; }

int RepetitionDraw() {
    int n = Pos.gamePly + searchPly - 1;
    if (searchPly < 1 || n < 4) return 0;
    int reversible = 0, repetitions = 0;
    for (int j = n; j >= 0; --j) {
        Move m = Pos.moveHistory[j];
        if (m == 0 || MovePiece(m) == Pawn || (m & (CAPTURE | PROMOTION | CASTLE_FLAGS))) return 0;
        if (++reversible == REPETITION_PLIES) return 1;
        if (j == 0) return 0;
        if (Pos.keyHistory[j - 1] == Pos.key) {
            // Inside the search (or at the root) one repetition is enough: the
            // side that can repeat once can repeat again. Before the root it takes two.
            if (++repetitions == 2 || j - 1 >= Pos.gamePly - 1) return 1;
        }
    }
    return 0;
}

int ProbeBookScore(int alpha, int beta, int depth, int *score) {
    const BookEntry *entry = BookTable[Pos.key & (BOOK_BUCKETS - 1)];
    // Key and side filter cheaply; the position text is built only when they match.
    char text[FEN_BUFFER_BYTES];
    int haveText = 0;
    for (; entry; entry = entry->next) {
        if (entry->key != Pos.key || entry->side != Pos.side) continue;
        if (!haveText) {
            WriteFen(text);
            haveText = 1;
        }
        if (std::strncmp(entry->text, text, FEN_BUFFER_BYTES) == 0) break;
    }
    if (!entry) return 0;
    if (entry->depth >= depth) {
        // The score may come from a learn file: keep it inside the search's
        // range, so that negating it up the tree cannot overflow.
        *score = std::clamp(entry->score, -KING_CAPTURE_SCORE, KING_CAPTURE_SCORE);
        return 1;
    }
    if (entry->book != 0 && entry->depth == 0) {
        if (alpha >= BOOK_DRAW_WINDOW) {
            *score = alpha;
            return 1;
        }
        if (beta <= -BOOK_DRAW_WINDOW) {
            *score = beta;
            return 1;
        }
    }
    return 0;
}

int AlphaBeta(int alpha, int beta, int depth, int inCheck, Move *line, int afterNull, int onLine,
              int allowNull, Move hintMove) {
    if (MoveStackFull()) return Evaluate(alpha, beta);
    const int ply = searchPly;
    int singleReply = 0;

    // Step 1. In check: only legal replies count, and a node in check is never
    // a quiescence node.
    if (inCheck) {
        if (!GenerateLegalMoves()) return KING_CAPTURE_SCORE - ply;
        int count = MoveStack.first[ply + 1] - MoveStack.first[ply];
        if (count == 0) return ply - MATE_SCORE;
        if (count == 1) singleReply = 1;
        if (depth < 1) depth = 1;
    }
    // Step 2. Depth cap: lines far longer than the iteration go to quiescence.
    if (!inCheck && ply > 3 * IterationDepth) depth = 0;
    // Step 3. Quiescence.
    if (depth <= 0) return Quiesce(alpha, beta);
    // Step 4. Clock.
    if (CheckTime()) return 0;
    // Step 5. Ply cap.
    if (ply > MAX_SEARCH_PLY) return Evaluate(alpha, beta);
    // Step 6. Repetition and no-progress draws.
    if (RepetitionDraw()) return DrawScore();
    // Step 7. Scores remembered from earlier decisions; not below a null move,
    // where the position cannot arise in a game.
    if (ply >= 5 && !NullMoveActive) {
        int remembered;
        if (ProbeBookScore(alpha, beta, depth, &remembered)) return remembered;
    }
    // Step 8. Transposition table; no cut-offs on remembered lines, which must
    // be searched to rebuild the principal line.
    TransProbe probe = ProbeTrans(depth, alpha, beta, !onLine);
    if (probe.cut) return probe.score;

    Move localLine[LINE_BUFFER_MOVES];
    int mateThreat = 0;

    // Step 9. Null move: a side that can pass and still reach beta is doing well
    // enough. Never in check (passing would be illegal), never twice in a row,
    // and only while both queens are on, where zugzwang is rare.
    if (allowNull && QueensOnBoard && !afterNull && !inCheck) {
        if (depth <= NULL_REDUCTION ||
            Evaluate(beta - NULL_EVAL_MARGIN - 1, beta - NULL_EVAL_MARGIN) >= beta - NULL_EVAL_MARGIN) {
            int savedNull = NullMoveActive;
            NullMoveActive = 1;
            MoveStack.first[ply + 1] = MoveStack.first[ply];
            MakeMove(0);
            localLine[ply + 1] = 0;
            int score = -AlphaBeta(-beta, -beta + 1, depth - NULL_REDUCTION, 0, localLine, 1, 0, 0, 0);
            UnmakeMove(0);
            NullMoveActive = savedNull;
            if (StopFlag) return 0;
            if (score >= beta) return beta;
            // Passing loses to a mate: every move here deserves a closer look.
            if (score < -MATE_BOUND && beta > -MATE_BOUND) mateThreat = 1;
        }
    }

    // Step 10. Move generation (in check the legal list of step 1 stands).
    if (!inCheck) {
        if (!GenerateMoves()) return KING_CAPTURE_SCORE - ply;
        if (MoveStack.first[ply + 1] == MoveStack.first[ply]) return 0;
    }

    // Step 11. Move loop.
    MovePicker picker = NewMovePicker(onLine, probe.move, hintMove);
    Move m;
    if (!NextMove(picker, &m)) return inCheck ? ply - MATE_SCORE : 0;
    const int mover = Pos.side;
    const int prevTo = PreviousTo();
    int legal = 0;
    Move bestMove = 0;
    do {
        // 11.1 Legality: pseudo-legal moves are tried and taken back when they
        // leave the king attacked.
        if (!MakeLegalMove(m, inCheck)) continue;
        ++legal;
        // 11.2 and 11.3 Extensions: one ply at most, for a check, a pawn on the
        // seventh, a mate threat or a forced reply.
        int givesCheck = InCheck();
        int pawnSeventh = PawnToSeventh(m, mover);
        int extend = givesCheck | pawnSeventh | mateThreat | singleReply;
        int newDepth = depth - 1 + (extend ? 1 : 0);
        int fromLine = picker.fromLine;
        int score;
        // 11.4 Late-move reduction: after the first moves, a quiet move is first
        // searched one ply shallower with a null window and searched fully only
        // when it beats alpha.
        localLine[ply + 1] = 0;
        if (legal <= FULL_WIDTH_MOVES || newDepth <= 0) {
            score = -AlphaBeta(-beta, -alpha, newDepth, givesCheck, localLine, 0, fromLine, 1, 0);
        } else {
            int reduction = (givesCheck || pawnSeventh) ? 0 : 1;
            int savedReduced = ReducedSearch;
            ReducedSearch = 1;
            score = -AlphaBeta(-alpha - 1, -alpha, newDepth - reduction, givesCheck, localLine, 0, fromLine,
                               1, 0);
            ReducedSearch = savedReduced;
            if (score > alpha && (score < beta || reduction == 1) && !StopFlag) {
                localLine[ply + 1] = 0;
                score = -AlphaBeta(-beta, -alpha, newDepth, givesCheck, localLine, 0, fromLine, 1, 0);
            }
        }
        // 11.5 and 11.6: take the move back; a stopped search's scores mean nothing.
        UnmakeMove(m);
        if (StopFlag) return 0;
        if (score <= alpha) continue;
        // 11.8 Improvement.
        bestMove = m;
        alpha = score;
        if (MoveTo(m) != prevTo) Killer[ply] = m;
        if (score >= beta) break;
        UpdateLine(line, localLine, m);
        LineKiller[ply] = m;
    } while (NextMove(picker, &m));

    // Step 12. End of node.
    if (legal == 0) return inCheck ? ply - MATE_SCORE : 0;
    int bound = bestMove == 0 ? UpperBound : alpha >= beta ? LowerBound : Exact;
    StoreTrans(bound, alpha, depth, bestMove);
    if (bestMove) CreditHistory(bestMove, alpha, beta);
    return alpha;
}

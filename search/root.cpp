// Root search and the search of principal-line nodes.

#include "search/root.h"

#include <cstring>

#include "board/board.h"
#include "eval/eval.h"
#include "search/clock.h"
#include "search/ordering.h"
#include "search/search.h"
#include "search/trans.h"

Move RootLine[ROOT_LINE_MOVES];
LineBlock *LineQueueHead = nullptr;
static LineBlock *LineQueueTail = nullptr;

// Line copies come from a fixed pool that the move decision empties after each
// iteration, so the search itself never allocates.
static LineBlock LineBlockPool[LINE_BLOCK_POOL];
static int LineBlocksUsed = 0;

LineBlock *CopyLine(const Move *line) {
    if (LineBlocksUsed >= LINE_BLOCK_POOL) return nullptr;
    LineBlock *block = &LineBlockPool[LineBlocksUsed++];
    std::memset(static_cast<void *>(block), 0, sizeof *block);
    for (int i = 0; i < LINE_BLOCK_MOVES - 1 && line[i] != 0; ++i) block->moves[i] = line[i];
    return block;
}

void AppendLine(LineBlock *block) {
    if (!block) return;
    block->next = nullptr;
    if (LineQueueTail)
        LineQueueTail->next = block;
    else
        LineQueueHead = block;
    LineQueueTail = block;
}

void DrainLineQueue() {
    for (LineBlock *block = LineQueueHead; block; block = block->next) InsertLine(block->moves);
    ClearLineQueue();
}

void ClearLineQueue() {
    LineQueueHead = LineQueueTail = nullptr;
    LineBlocksUsed = 0;
}

// The style zone: the upper part of the tree, where a move that beats alpha is
// confirmed by PvSearch after the play style's cheaper searches.
static inline int InStyleZone(int newDepth, int childPly) {
    if (newDepth < STYLE_ZONE_MIN_DEPTH) return 0;
    int half = IterationDepth / 2;
    int span = half > STYLE_ZONE_MIN_PLIES ? half : STYLE_ZONE_MIN_PLIES;
    return childPly == 1 || IterationDepth - childPly >= span;
}

// One full-window AlphaBeta search of the move just made, for the style procedures.
static inline int StyleSearch(int alpha, int beta, int depth, int givesCheck, Move *localLine,
                              int fromLine, Move hint) {
    localLine[searchPly] = 0;
    return -AlphaBeta(-beta, -alpha, depth, givesCheck, localLine, 0, fromLine, 1, hint);
}

// Searches the move just made (child at searchPly) by the procedure of PlayStyle.
static int SearchInStyleZone(int alpha, int beta, int newDepth, int givesCheck, Move *localLine,
                             int fromLine) {
    const int c = searchPly;
    auto confirm = [&]() {
        Move reply = localLine[c];
        localLine[c] = 0;
        return -PvSearch(-beta, -alpha, newDepth, givesCheck, localLine, fromLine, reply);
    };
    int score;
    switch (PlayStyle) {
    case AttackLow: {
        score = StyleSearch(alpha, beta, newDepth - 1, givesCheck, localLine, fromLine, 0);
        if (score <= alpha) return score;
        score = StyleSearch(alpha, beta, newDepth, givesCheck, localLine, fromLine, localLine[c]);
        if (score <= alpha || score >= beta) return score;
        return confirm();
    }
    case AttackHigh: {
        score = StyleSearch(alpha, beta, newDepth - 1, givesCheck, localLine, fromLine, 0);
        if (score <= alpha) {
            score = StyleSearch(alpha, beta, newDepth, givesCheck, localLine, fromLine, 0);
            if (score <= alpha) return score;
        }
        return score >= beta ? score : confirm();
    }
    case Norm:
        score = StyleSearch(alpha, beta, newDepth, givesCheck, localLine, fromLine, 0);
        return score > alpha ? confirm() : score;
    case MinMax: {
        int first = StyleSearch(alpha, beta, newDepth - 2, givesCheck, localLine, fromLine, 0);
        score = StyleSearch(alpha, beta, newDepth - 1, givesCheck, localLine, fromLine, localLine[c]);
        int hi = first > score ? first : score;
        int lo = first < score ? first : score;
        if (hi <= alpha || lo >= beta) return score;
        return confirm();
    }
    case AttackMid:
    default:
        score = StyleSearch(alpha, beta, newDepth - 1, givesCheck, localLine, fromLine, 0);
        if (score <= alpha || score >= beta) return score;
        return confirm();
    }
}

int PvSearch(int alpha, int beta, int depth, int inCheck, Move *line, int onLine, Move hintMove) {
    if (MoveStackFull()) return Evaluate(alpha, beta);
    const int ply = searchPly;
    int singleReply = 0;

    // Step 1. In check; the root keeps the legal list the move decision made.
    if (inCheck) {
        if (ply >= 1) {
            if (!GenerateLegalMoves()) return KING_CAPTURE_SCORE - ply;
            int count = MoveStack.first[ply + 1] - MoveStack.first[ply];
            if (count == 0) return ply - MATE_SCORE;
            if (count == 1) singleReply = 1;
        }
        if (depth < 1) depth = 1;
    }
    // Steps 2 to 5: depth cap, quiescence, clock, ply cap.
    if (!inCheck && ply > 3 * IterationDepth) depth = 0;
    if (depth <= 0) return Quiesce(alpha, beta);
    if (CheckTime()) return 0;
    if (ply > MAX_SEARCH_PLY) return Evaluate(alpha, beta);
    // Step 6. Draws and remembered scores, below the root only.
    if (ply >= 1) {
        if (RepetitionDraw()) return DrawScore();
        int remembered;
        if (ply >= 5 && ProbeBookScore(alpha, beta, depth, &remembered)) return remembered;
    }
    // Step 7. The table only suggests a move here: principal-line nodes are
    // always searched so that the line is rebuilt.
    TransProbe probe = ProbeTrans(depth, alpha, beta, 0);
    // Step 8. Move generation below the root.
    if (ply >= 1 && !inCheck) {
        if (!GenerateMoves()) return KING_CAPTURE_SCORE - ply;
        if (MoveStack.first[ply + 1] == MoveStack.first[ply]) return 0;
    }
    // Step 9.
    MovePicker picker = NewMovePicker(onLine, probe.move, hintMove);
    Move m;
    if (!NextMove(picker, &m)) return inCheck ? ply - MATE_SCORE : 0;

    // Step 10. Move loop.
    Move localLine[LINE_BUFFER_MOVES];
    const int mover = Pos.side;
    const int prevTo = PreviousTo();
    int legal = 0;
    Move bestMove = 0;
    do {
        if (!MakeLegalMove(m, inCheck)) continue;
        ++legal;
        int givesCheck = InCheck();
        // Root moves are never extended: every root move gets the same depth.
        int newDepth = depth - 1;
        if (ply >= 1 && (givesCheck | PawnToSeventh(m, mover) | singleReply)) newDepth += 1;
        int fromLine = picker.fromLine;
        int score;
        localLine[ply + 1] = 0;
        if (InStyleZone(newDepth, ply + 1))
            score = SearchInStyleZone(alpha, beta, newDepth, givesCheck, localLine, fromLine);
        else
            score = -AlphaBeta(-beta, -alpha, newDepth, givesCheck, localLine, 0, fromLine, 1, 0);
        UnmakeMove(m);
        if (StopFlag) return 0;
        if (score <= alpha) continue;

        // Improvement.
        bestMove = m;
        alpha = score;
        if (MoveTo(m) != prevTo) Killer[ply] = m;
        if (score >= beta && ply >= 1) break;
        UpdateLine(line, localLine, m);
        LineKiller[ply] = m;
        if (ply == 0) {
            // Every root improvement is reported and queued, a fail-high included,
            // so the next iteration starts from the newest line.
            AppendLine(CopyLine(line));
            RecordBestLine(score, m, depth, line);
            if (score >= beta) break;
        }
    } while (NextMove(picker, &m));

    // Step 11. End of node.
    if (legal == 0) return inCheck ? ply - MATE_SCORE : 0;
    if (ply >= 1) {
        int bound = bestMove == 0 ? UpperBound : alpha >= beta ? LowerBound : Exact;
        StoreTrans(bound, alpha, 1, bestMove);
    }
    if (bestMove) CreditHistory(bestMove, alpha, beta);
    return alpha;
}

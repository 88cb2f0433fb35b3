// Move ordering: staged picking, killers, history and the tree of remembered lines.

#include "search/ordering.h"

#include <cstring>

#include "search/alphabeta.h"
#include "search/search.h"

Move Killer[KILLER_SLOTS];
Move LineKiller[KILLER_SLOTS];
int32_t HistoryTable[2][8][64];
LineTreeRecord LineTree;

// Brings move m to position next when it is among the moves not handed out yet.
static inline int BringToFront(Move m, int next, int end) {
    for (int i = next; i < end; ++i)
        if (MoveStack.moves[i] == m) {
            SwapMoveEntries(i, next);
            return 1;
        }
    return 0;
}

// Swaps the first largest key of [next, end) to position next.
static inline void SelectBest(int next, int end) {
    int best = next;
    int32_t bestKey = MoveStack.sortKey[next];
    for (int i = next + 1; i < end; ++i)
        if (MoveStack.sortKey[i] > bestKey) {
            bestKey = MoveStack.sortKey[i];
            best = i;
        }
    if (best != next) SwapMoveEntries(best, next);
}

// Finds the tree's list of moves for the current node by following the moves
// made since the root; none when the path leaves the tree.
static const LineNode *FindLineList() {
    const LineNode *list = LineTree.rootChild;
    for (int i = 0; i < searchPly && list; ++i) {
        Move m = Pos.moveHistory[Pos.gamePly + i];
        const LineNode *node = list;
        while (node && node->move != m) node = node->next;
        if (!node) return nullptr;
        list = node->child;
    }
    return list;
}

// Stage 3: keys the captures, promotions, the hash move and the killers and
// gathers them at the front of the remaining moves.
static void KeyGoodMoves(MovePicker &p) {
    int prevTo = PreviousTo();
    p.killer = Killer[searchPly];
    p.lineKiller = LineKiller[searchPly];
    int front = p.next;
    for (int i = p.next; i < p.end; ++i) {
        Move m = MoveStack.moves[i];
        int key = CaptureKey(m, prevTo);
        if (m == p.hashMove) key += HASH_MOVE_BONUS;
        if (m == p.killer) key += KILLER_BONUS;
        if (m == p.lineKiller) key += LINE_KILLER_BONUS;
        if (key > 0) {
            MoveStack.moves[i] = MoveStack.moves[front];
            MoveStack.moves[front] = m;
            MoveStack.sortKey[front] = key;
            ++front;
        }
    }
    p.end = front;
    p.sorted = 0;
    if (p.end - p.next > FULL_SORT_MOVES) {
        SortMoves(p.next, p.end - 1);
        p.sorted = 1;
    }
}

// Stage 5: keys the quiet moves by history, then by direction and origin.
static void KeyQuietMoves(MovePicker &p) {
    p.next = p.end;
    p.end = MoveStack.first[searchPly + 1];
    const int side = Pos.side;
    const int32_t(*history)[64] = HistoryTable[side];
    for (int i = p.next; i < p.end; ++i) {
        Move m = MoveStack.moves[i];
        int f = MoveFrom(m), t = MoveTo(m);
        int h = history[MovePiece(m)][t];
        // History dominates; among equals forward moves first (square 0 is a8).
        MoveStack.sortKey[i] = side == White ? (f - t) * 64 + h * 16384 + f + 4096
                                             : (t - f) * 64 + h * 16384 - f + 4159;
    }
}

int NextMove(MovePicker &p, Move *out) {
    switch (p.stage) {
    case 0:
        p.next = MoveStack.first[searchPly];
        p.end = MoveStack.first[searchPly + 1];
        p.stage = 1;
        if (p.hintMove != 0 && BringToFront(p.hintMove, p.next, p.end)) {
            p.fromLine = 1;
            *out = MoveStack.moves[p.next++];
            return 1;
        }
        [[fallthrough]];
    case 1:
        p.lineCursor = nullptr;
        if (p.onLine && !NullMoveActive && !ReducedSearch) p.lineCursor = FindLineList();
        p.stage = 2;
        [[fallthrough]];
    case 2:
        while (p.lineCursor && p.next < p.end) {
            Move m = p.lineCursor->move;
            p.lineCursor = p.lineCursor->next;
            if (BringToFront(m, p.next, p.end)) {
                p.fromLine = 1;
                *out = MoveStack.moves[p.next++];
                return 1;
            }
        }
        p.lineCursor = nullptr;
        p.fromLine = 0;
        p.stage = 3;
        // The root searches exactly the moves of the tree's root list.
        if (searchPly == 0) return 0;
        [[fallthrough]];
    case 3:
        KeyGoodMoves(p);
        p.stage = 4;
        [[fallthrough]];
    case 4:
        if (p.next < p.end) {
            if (!p.sorted) SelectBest(p.next, p.end);
            *out = MoveStack.moves[p.next++];
            return 1;
        }
        p.stage = 5;
        [[fallthrough]];
    case 5:
        KeyQuietMoves(p);
        p.stage = 6;
        [[fallthrough]];
    case 6:
        if (p.next < p.end) {
            SelectBest(p.next, p.end);
            *out = MoveStack.moves[p.next++];
            return 1;
        }
        p.stage = 7;
        return 0;
    default:
        return 0;
    }
}

void SortMoves(int lo, int hi) {
    // Quicksort on the middle key, descending; recursion only into the smaller
    // part keeps the stack shallow.
    while (lo < hi) {
        int32_t pivot = MoveStack.sortKey[lo + (hi - lo) / 2];
        int i = lo, j = hi;
        while (i <= j) {
            while (MoveStack.sortKey[i] > pivot) ++i;
            while (MoveStack.sortKey[j] < pivot) --j;
            if (i <= j) SwapMoveEntries(i++, j--);
        }
        if (j - lo < hi - i) {
            SortMoves(lo, j);
            lo = i;
        } else {
            SortMoves(i, hi);
            hi = j;
        }
    }
}

void CreditHistory(Move move, int score, int beta) {
    int32_t &h = HistoryTable[Pos.side][MovePiece(move)][MoveTo(move)];
    int increment = score >= beta ? 1 : 2;
    if (score > MATE_BOUND) increment += 4;
    h = h + increment > HISTORY_MAX ? HISTORY_MAX : h + increment;
}

void AgeHistory(int clear) {
    if (clear) {
        std::memset(HistoryTable, 0, sizeof HistoryTable);
        return;
    }
    int64_t number = 0, sum = 0;
    int32_t maximum = 0;
    for (auto &colour : HistoryTable)
        for (int piece = Pawn; piece <= King; ++piece)
            for (int32_t entry : colour[piece])
                if (entry > 0) {
                    ++number;
                    sum += entry;
                    if (entry > maximum) maximum = entry;
                }
    int64_t average = sum / (number > 0 ? number : 1);
    if (average < 1) average = 1;
    int32_t threshold = (maximum / 3) * 2;
    // Moves that were much better than average keep only a small lead, so the
    // new decision learns its own preferences quickly.
    for (auto &colour : HistoryTable)
        for (int piece = Pawn; piece <= King; ++piece)
            for (int32_t &entry : colour[piece])
                if (entry > average) entry = entry > threshold ? 2 : 1;
}

void ClearLineTree() { std::memset(static_cast<void *>(&LineTree), 0, sizeof LineTree); }

void InsertLine(const Move *line) {
    LineNode **list = &LineTree.rootChild;
    for (int i = 0; i < LINE_INSERT_MOVES && line[i] != 0; ++i) {
        Move m = line[i];
        LineNode *head = *list;
        if (head && head->move == m) {
            list = &head->child;
            continue;
        }
        LineNode *prev = head;
        LineNode *node = head ? head->next : nullptr;
        while (node && node->move != m) {
            prev = node;
            node = node->next;
        }
        if (node) {
            // A later line wins: its move goes to the front of the list.
            prev->next = node->next;
            node->next = head;
            *list = node;
        } else if (LineTree.count < LINE_TREE_NODES) {
            node = &LineTree.nodes[LineTree.count++];
            node->move = m;
            node->next = head;
            node->child = nullptr;
            *list = node;
        } else {
            // Pool full: follow what is there, add nothing.
            if (!head) return;
            node = head;
        }
        list = &node->child;
    }
}

void ClearKillers() {
    std::memset(Killer, 0, sizeof Killer);
    std::memset(LineKiller, 0, sizeof LineKiller);
}

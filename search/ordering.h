// Move ordering: the staged move picker and the memory it orders by.
// Owns Killer, LineKiller, HistoryTable and LineTree; the searches drive NextMove,
// the move decision ages the history and feeds principal lines into the tree.
#pragma once

#include <cstdint>

#include "board/position.h"

constexpr int KILLER_SLOTS = 100;
constexpr int HISTORY_MAX = 32000;
constexpr int LINE_TREE_NODES = 10000;
constexpr int LINE_INSERT_MOVES = 80;  // moves of one line that InsertLine looks at
constexpr int FULL_SORT_MOVES = 30;    // a longer front part of good moves is sorted at once

// Ordering keys of the good moves.
constexpr int EN_PASSANT_KEY = 2000;
constexpr int RECAPTURE_BONUS = 5000;
constexpr int HASH_MOVE_BONUS = 20000;
constexpr int KILLER_BONUS = 1990;
constexpr int LINE_KILLER_BONUS = 990;

extern Move Killer[KILLER_SLOTS];
extern Move LineKiller[KILLER_SLOTS];
extern int32_t HistoryTable[2][8][64];  // side to move, piece (promoted piece), to-square

// One move of a remembered line; siblings are the alternatives at the same node,
// the most recently confirmed first.
struct LineNode {
    Move move;
    LineNode *next;
    LineNode *child;
};

struct LineTreeRecord {
    LineNode nodes[LINE_TREE_NODES];
    int32_t count;
    LineNode *rootChild;
};
// A fixed global pool: its size is known, so it is never allocated and can never be missing.
extern LineTreeRecord LineTree;

struct MovePicker {
    int32_t stage;  // 0..7, 7 when exhausted
    int32_t next;   // first move not handed out yet
    int32_t end;    // end of the range of the current stage
    int32_t sorted;
    int32_t fromLine;  // the move just handed out came from the hint or the tree
    int32_t onLine;    // input: the node lies on a remembered line
    Move hashMove;     // input
    Move killer;
    Move lineKiller;
    const LineNode *lineCursor;
    Move hintMove;  // input
};

// Exchanges two entries of the move stack together with their keys.
inline void SwapMoveEntries(int a, int b) {
    Move m = MoveStack.moves[a];
    MoveStack.moves[a] = MoveStack.moves[b];
    MoveStack.moves[b] = m;
    int32_t k = MoveStack.sortKey[a];
    MoveStack.sortKey[a] = MoveStack.sortKey[b];
    MoveStack.sortKey[b] = k;
}

inline MovePicker NewMovePicker(int onLine, Move hashMove, Move hintMove) {
    MovePicker p{};
    p.onLine = onLine;
    p.hashMove = hashMove;
    p.hintMove = hintMove;
    return p;
}

// The to-square of the move that led to the current node; 0 at the start of
// the history and after a null move.
inline int PreviousTo() {
    int i = Pos.gamePly + searchPly - 1;
    return i < 0 ? 0 : MoveTo(Pos.moveHistory[i]);
}

// Key of a capture or promotion before hash-move and killer terms; shared with Quiesce.
inline int CaptureKey(Move m, int prevTo) {
    int key = 0;
    if (m & CAPTURE) {
        if (m & EN_PASSANT)
            key = EN_PASSANT_KEY;
        else {
            key = PieceValue[Pos.board[MoveTo(m)] & 7] - MovePiece(m);
            if (MoveTo(m) == prevTo) key += RECAPTURE_BONUS;
        }
    }
    if (m & PROMOTION) key += PieceValue[MovePiece(m)];
    return key;
}

int NextMove(MovePicker &picker, Move *out);
void SortMoves(int lo, int hi);
void CreditHistory(Move move, int score, int beta);
void AgeHistory(int clear);
void ClearLineTree();
void InsertLine(const Move *line);
void ClearKillers();

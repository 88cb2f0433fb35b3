// Root search and principal-line search (PvSearch), with the play-style
// procedures of the upper tree and the queue of root lines.
// Owns RootLine and LineQueue; called by the move decision once or twice per iteration.
#pragma once

#include <cstdint>

#include "search/alphabeta.h"

constexpr int ROOT_LINE_MOVES = 100;
constexpr int LINE_BLOCK_MOVES = 100;  // a queued line holds at most 99 moves and its 0
// Root improvements of one iteration: at most one per root move in each of the
// iteration's two root searches, so this never runs out in a legal position.
constexpr int LINE_BLOCK_POOL = 512;
constexpr int STYLE_ZONE_MIN_DEPTH = 3;
constexpr int STYLE_ZONE_MIN_PLIES = 5;

extern Move RootLine[ROOT_LINE_MOVES];

// A queued copy of a root line; the queue is first in, first out.
struct LineBlock {
    Move moves[LINE_BLOCK_MOVES];
    LineBlock *next;
};
extern LineBlock *LineQueueHead;

int PvSearch(int alpha, int beta, int depth, int inCheck, Move *line, int onLine, Move hintMove);

// A copy of a zero-terminated line in a block of the pool; null when the pool is used up.
LineBlock *CopyLine(const Move *line);
// Links a block at the tail of the queue; a missing block is skipped.
void AppendLine(LineBlock *block);
// Feeds every queued line into the LineTree in order and empties the queue.
void DrainLineQueue();
// Empties the queue without using its lines.
void ClearLineQueue();

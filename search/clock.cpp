// Search clock, stop test and the report of root improvements.

#include "search/clock.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>

#include "app/engine.h"
#include "search/search.h"

int64_t ClockStart = 0;
int64_t ClockNow = 0;
uint64_t NodeCount = 0;
int32_t StopFlag = 0;

int64_t ClockFromTime(int64_t seconds, int64_t milliseconds) {
    // Only the low 32 bits of the millisecond count are kept, so the reading
    // wraps about every 49.7 days; TestClock copes with the jump back.
    uint32_t ms = uint32_t(uint64_t(seconds) * 1000u + uint64_t(milliseconds));
    return int64_t(ms / 10u);
}

int64_t ReadClock() {
    auto since = std::chrono::system_clock::now().time_since_epoch();
    int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return ClockFromTime(ms / 1000, ms % 1000);
}

int64_t StopThreshold(int64_t budget) {
    // budget * 95 / 100 truncated toward zero, split so that no budget overflows.
    return budget / 100 * STOP_PERCENT + budget % 100 * STOP_PERCENT / 100;
}

int TestClock() {
    int64_t now = ReadClock();
    // A clock that wrapped or was set back restarts the decision's time.
    if (now < ClockStart) ClockStart = now;
    ClockNow = now;
    if (now - ClockStart >= StopThreshold(TimePerMove)) {
        StopFlag = 1;
        return 1;
    }
    return StopFlag;
}

// Piece letters of promotions, indexed by piece code; code 7 never occurs.
static const char *const PromotionLetter[8] = {"", "p", "n", "b", "r", "q", "k", ""};

char *FormatSearchLine(char *buffer, int depth, int score, int64_t elapsed, uint64_t nodes,
                       const Move *line) {
    char nodeText[24];
    std::snprintf(nodeText, sizeof nodeText, "%" PRIu64, nodes);
    int used = std::snprintf(buffer, REPORT_LINE_BYTES, "%2d %4d %4" PRId64 " %10s ", depth,
                             score / 10, elapsed, nodeText);
    for (int i = 0; i < REPORT_LINE_MOVES && line[i] != 0; ++i) {
        Move m = line[i];
        const char *letter = (m & PROMOTION) ? PromotionLetter[MovePiece(m)] : "";
        // A report line holds at most 14 moves of 6 characters, far below the buffer.
        used += std::snprintf(buffer + used, REPORT_LINE_BYTES - size_t(used), "%s%s%s ",
                              SquareName[MoveFrom(m)], SquareName[MoveTo(m)], letter);
    }
    return buffer;
}

void PrintSearchLine(int depth, int score, int64_t elapsed, uint64_t nodes, const Move *line) {
    char buffer[REPORT_LINE_BYTES];
    std::printf("%s\n", FormatSearchLine(buffer, depth, score, elapsed, nodes, line));
}

void RecordBestLine(int score, Move move, int depth, const Move *line) {
    BestMove = move;
    BestDepth = depth;
    BestScore = score;
    // The game so far and the start of the new line: the next decision seeds its
    // move ordering with the rest of it when the game has followed it.
    int n = 0;
    for (int i = 0; i < Pos.gamePly && n < LAST_LINE_MOVES - 1; ++i) LastLine[n++] = Pos.moveHistory[i];
    int keep = depth < LAST_LINE_KEPT ? depth : LAST_LINE_KEPT;
    for (int i = 0; i < keep && line[i] != 0 && n < LAST_LINE_MOVES - 1; ++i) LastLine[n++] = line[i];
    LastLine[n] = 0;
    LastLineGameKey = Pos.startKey;
    PrintSearchLine(depth, score, ClockNow - ClockStart, NodeCount, line);
}

// Search clock, node counter, stop flag and the search report line.
// Owns ClockStart, ClockNow, NodeCount and StopFlag; the move decision resets them,
// every search node calls CheckTime, the root search calls RecordBestLine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "board/position.h"

// The clock is read only every this many nodes; a power of two so the test is a mask.
constexpr uint64_t CLOCK_CHECK_NODES = 4096;
static_assert((CLOCK_CHECK_NODES & (CLOCK_CHECK_NODES - 1)) == 0);
// The search stops itself at this share of the budget, leaving room to send the move.
constexpr int64_t STOP_PERCENT = 95;
constexpr int REPORT_LINE_MOVES = 14;  // moves shown in one report line
constexpr int LAST_LINE_KEPT = 10;     // moves of a new principal line kept for the next decision

extern int64_t ClockStart;
extern int64_t ClockNow;
extern uint64_t NodeCount;
extern int32_t StopFlag;

// Centiseconds of the wall clock, from a millisecond count that wraps at 2^32.
int64_t ReadClock();
// Centiseconds for a given wall-clock reading; ReadClock's arithmetic, kept apart to be testable.
int64_t ClockFromTime(int64_t seconds, int64_t milliseconds);

// Elapsed centiseconds at which a decision with this budget stops: 95 %, truncated.
int64_t StopThreshold(int64_t budget);

// The clock reading and stop test behind CheckTime; sets StopFlag when the budget is spent.
int TestClock();

// Counts one node and returns the stop state; reads the clock every 4096 nodes.
inline int CheckTime() {
    if ((++NodeCount & (CLOCK_CHECK_NODES - 1)) != 0 || StopFlag) return StopFlag;
    return TestClock();
}

constexpr size_t REPORT_LINE_BYTES = 256;
// Writes the report line without its newline; returns buffer.
char *FormatSearchLine(char *buffer, int depth, int score, int64_t elapsed, uint64_t nodes,
                       const Move *line);
void PrintSearchLine(int depth, int score, int64_t elapsed, uint64_t nodes, const Move *line);
void RecordBestLine(int score, Move move, int depth, const Move *line);

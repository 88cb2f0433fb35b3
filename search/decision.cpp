// The move decision: fresh tables, the root shuffle, the book choice, the play
// style, the expected line and iterative deepening; the result is learnt.

#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/config.h"
#include "app/engine.h"
#include "board/board.h"
#include "book/book.h"
#include "eval/eval.h"
#include "search/clock.h"
#include "search/ordering.h"
#include "search/root.h"
#include "search/search.h"
#include "search/trans.h"

Move BestMove = 0;
int32_t BestScore = 0;
int32_t BestDepth = 0;
int32_t RootSide = White;
int32_t IterationDepth = 0;
int32_t QueensOnBoard = 0;
Move LastLine[LAST_LINE_MOVES];
uint64_t LastLineGameKey = 0;

constexpr int ROOT_SHUFFLE_KEYS = 20;
constexpr int BOOK_CHANCE = 6;       // the book is consulted unless a draw mod 6 is 0
constexpr int BOOK_NOISE_RANGE = 32;
constexpr int BOOK_NOISE_TOP = 16;   // noise runs from -15 to 16
constexpr int BOOK_THRESHOLD = -33;  // a candidate must score strictly above this
constexpr int STOP_TEST_DEPTH = 5;   // deeper iterations may stop early
constexpr int LOSING_MATE_DEPTH = 6;
constexpr double TIME_FACTOR = 1.2;  // the next iteration takes longer than all before it
constexpr int MAX_ROOT_MOVES = 256;  // more legal moves than any position has

// Step 8: random keys give the root moves a fresh order at every decision, so
// the engine does not always play the same move among equals. The tree's root
// list ends up in the reverse of the sorted order.
static void ShuffleRootMoves(int first, int end) {
    for (int i = first; i < end; ++i) MoveStack.sortKey[i] = RandomDraw() % ROOT_SHUFFLE_KEYS;
    ClearLineTree();
    for (int i = first; i < end; ++i) {
        int best = i;
        for (int j = i + 1; j < end; ++j)
            if (MoveStack.sortKey[j] > MoveStack.sortKey[best]) best = j;
        SwapMoveEntries(best, i);
        const Move line[2] = {MoveStack.moves[i], 0};
        InsertLine(line);
    }
}

// Step 9: a book move weighted by what was learnt about the position it leads
// to; 0 when no candidate passes the threshold.
static Move ChooseBookMove(int rootMoves) {
    static BookEntry *entries[MAX_ROOT_MOVES];
    static Move moves[MAX_ROOT_MOVES];
    int count = 0;
    int last = (rootMoves < MAX_ROOT_MOVES ? rootMoves : MAX_ROOT_MOVES) - 1;
    if (!BookProbe(0, last, entries, moves, &count)) return 0;
    int64_t best = BOOK_THRESHOLD;
    Move chosen = 0;
    for (int i = 0; i < count && i < MAX_ROOT_MOVES; ++i) {
        // The stored score is the opponent's view of the position after the move;
        // 64-bit arithmetic because the score comes from the learn file.
        int64_t v = BOOK_NOISE_TOP - RandomDraw() % BOOK_NOISE_RANGE - int64_t(entries[i]->score);
        if (v > best) {
            best = v;
            chosen = moves[i];
        }
    }
    return chosen;
}

// Step 11: the configured play style, or a report and the style in force.
static void SetPlayStyle() {
    const char *text = GetConfigValue("play style");
    for (int style = AttackLow; style <= MinMax; ++style)
        if (std::strcmp(text, PlayStyleName[style]) == 0) {
            PlayStyle = style;
            return;
        }
    std::fprintf(stderr, "# error: play style unknow \n");
    std::fprintf(stderr, "#        use default play style - <%s> \n", 
                 PlayStyleName[PlayStyle >= AttackLow && PlayStyle <= MinMax ? PlayStyle : AttackMid]);
}

// Step 12: the line the previous search expected goes first into the tree when
// the game has followed it; the history is aged, or cleared for another game.
static void SeedExpectedLine() {
    Pos.moveHistory[Pos.gamePly] = 0;
    if (LastLineGameKey != Pos.startKey) {
        AgeHistory(1);
        return;
    }
    AgeHistory(0);
    int n = 0;
    while (n < LAST_LINE_MOVES && LastLine[n] != 0 && LastLine[n] == Pos.moveHistory[n]) ++n;
    if (n == Pos.gamePly && n < LAST_LINE_MOVES) InsertLine(&LastLine[n]);
}

int ChooseMoveWith(const DecisionSettings &settings, Move *out) {
    // Steps 1 to 5: a fresh decision.
    RandomSeed(settings.fixedSeed ? settings.seed : uint32_t(std::time(nullptr)));
    ClockStart = ClockNow = ReadClock();
    NodeCount = 0;
    StopFlag = 0;
    BuildEvalTables();
    ClearTrans();
    ClearKillers();
    std::memset(RootLine, 0, sizeof RootLine);
    ClearLineQueue();
    RootSide = Pos.side;
    BestMove = 0;
    BestScore = 0;
    BestDepth = 0;

    // Step 6.
    searchPly = 0;
    GenerateLegalMoves();
    const int rootMoves = MoveStack.first[1] - MoveStack.first[0];
    if (rootMoves <= 0) return 0;

    // Steps 7 to 9.
    ShuffleRootMoves(MoveStack.first[0], MoveStack.first[1]);
    if (std::strcmp(GetConfigValue("book move"), "auto") == 0 && RandomDraw() % BOOK_CHANCE != 0) {
        Move chosen = ChooseBookMove(rootMoves);
        if (chosen != 0) {
            BestMove = chosen;
            *out = chosen;
            return 1;
        }
    }

    // Steps 10 to 12.
    QueensOnBoard = Pos.pieceCount[White][Queen] != 0 && Pos.pieceCount[Black][Queen] != 0;
    SetPlayStyle();
    SeedExpectedLine();

    // Step 13: iterative deepening with a window that is widened only for mates.
    int last = settings.lastIteration < LAST_ITERATION ? settings.lastIteration : LAST_ITERATION;
    for (int d = FIRST_ITERATION; d <= last; ++d) {
        if (CheckTime()) break;
        IterationDepth = d;
        int s = PvSearch(-MATE_BOUND, MATE_BOUND, d, InCheck(), RootLine, 1, 0);
        if (!CheckTime()) {
            if (s <= -MATE_BOUND)
                s = PvSearch(-KING_CAPTURE_SCORE, MATE_BOUND, d, InCheck(), RootLine, 1, 0);
            else if (s >= MATE_BOUND)
                s = PvSearch(-MATE_BOUND, KING_CAPTURE_SCORE, d, InCheck(), RootLine, 1, 0);
        }
        DrainLineQueue();
        if (d > STOP_TEST_DEPTH) {
            if (s > MATE_BOUND) break;
            if (s < -MATE_BOUND && d > LOSING_MATE_DEPTH) break;
            if (double(ClockNow - ClockStart) * TIME_FACTOR > double(TimePerMove)) break;
        }
    }

    // Steps 14 and 15: the move, and what was learnt about the position.
    *out = BestMove;
    if (BestMove == 0) return 0;
    BookRecordResult(BestScore, BestDepth);
    return 1;
}

int ChooseMove(Move *out) {
    const DecisionSettings play = {0, 0, LAST_ITERATION};
    return ChooseMoveWith(play, out);
}

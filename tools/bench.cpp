// bench [DEPTH]: searches a fixed set of positions to a fixed iteration depth
// with a fixed random seed and prints the total node count (the signature of
// the search and evaluation: it changes only when they do) and the speed.
// The last two lines are "Nodes: N" and "NPS: X".

#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/config.h"
#include "app/engine.h"
#include "board/board.h"
#include "search/clock.h"
#include "search/search.h"

constexpr int DEFAULT_DEPTH = 9;  // about ten seconds on a small machine
constexpr int MAX_DEPTH = 30;
constexpr uint32_t BENCH_SEED = 20260101u;
// Large enough that only the depth limit ends a search.
constexpr int64_t BENCH_TIME_PER_MOVE = 100LL * 3600 * 24;

// Openings, middlegames, tactics and endgames.
static const char *const BenchPositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq -",
    "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq -",
    "rnbqkb1r/ppp2ppp/4pn2/3p4/2PP4/2N5/PP2PPPP/R1BQKBNR w KQkq -",
    "rnbq1rk1/ppp1ppbp/3p1np1/8/2PPP3/2N2N2/PP3PPP/R1BQKB1R w KQ -",
    "rnbqkbnr/ppp2ppp/4p3/3p4/3PP3/8/PPP2PPP/RNBQKBNR w KQkq -",
    "rnbqkbnr/pp2pppp/2p5/3p4/3PP3/8/PPP2PPP/RNBQKBNR w KQkq -",
    "r1bqk1nr/pppp1ppp/2n5/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq -",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ -",
    "r2q1rk1/pb1nbppp/1p2pn2/2pp4/2PP4/1PN1PN2/PB2BPPP/R2Q1RK1 w - -",
    "2rq1rk1/pp1bppbp/3p1np1/4n3/3NP3/1BN1BP2/PPPQ2PP/2KR3R w - -",
    "r1b2rk1/2q1bppp/p2ppn2/1p6/3BPP2/2N2B2/PPPQ2PP/R4RK1 w - -",
    "r3r1k1/pp3pbp/1qp3p1/2B5/2BP2b1/Q1n2N2/P4PPP/3R1K1R b - -",
    "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -",
    "r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq -",
    "r1b1k2r/ppppnppp/2n2q2/2b5/3NP3/2P1B3/PP3PPP/RN1QKB1R w KQkq -",
    "1k1r4/pp1b1R2/3q2pp/4p3/2B5/4Q3/PPP2B2/2K5 b - -",
    "3r1k2/4npp1/1ppr3p/p6P/P2PPPP1/1NR5/5K2/2R5 w - -",
    "2q1rr1k/3bbnnp/p2p1pp1/2pPp3/PpP1P1P1/1P2BNNP/2BQ1PRK/7R b - -",
    "rnbqkb1r/p3pppp/1p6/2ppP3/3N4/2P5/PPP1QPPP/R1B1KB1R w KQkq -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "8/8/8/8/8/8/6k1/4K2R w K -",
    "8/pp3k2/2p5/3p4/3P4/2P5/PP3K2/8 w - -",
    "8/8/1k6/8/2PK4/8/8/8 w - -",
    "4k3/8/8/8/8/8/4P3/4K3 w - -",
    "8/5k2/8/3R4/8/8/2r5/4K3 w - -",
    "6k1/5p2/6p1/8/7p/8/6PP/6K1 w - -",
    "8/3k4/8/2b5/8/8/3N4/4K3 w - -",
    "2k5/8/8/8/8/8/Q7/4K3 w - -",
    "8/8/4kpp1/3p1b2/p6P/2B5/6P1/6K1 b - -",
};

// The engine reads its settings from a file; the bench writes its own so that
// the results do not depend on the shipped configuration.
static int LoadBenchConfig() {
    char path[] = "/tmp/tarnvik-bench-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) return 0;
    static const char text[] = "hash size=40\nbook move=\"off\"\nplay style=\"attack mid\"\n";
    int ok = write(fd, text, sizeof text - 1) == ssize_t(sizeof text - 1);
    close(fd);
    ok = ok && ReadConfig(path);
    unlink(path);
    return ok;
}

int main(int argc, char **argv) {
    int depth = DEFAULT_DEPTH;
    if (argc > 1) {
        char *end = nullptr;
        long value = std::strtol(argv[1], &end, 10);
        if (*end != '\0' || value < 2 || value > MAX_DEPTH) {
            std::fprintf(stderr, "usage: bench [DEPTH 2..%d]\n", MAX_DEPTH);
            return 1;
        }
        depth = int(value);
    }
    if (!LoadBenchConfig()) {
        std::fprintf(stderr, "bench: cannot write its configuration\n");
        return 1;
    }
    // The search report lines would drown the summary; they go to /dev/null.
    std::fflush(stdout);
    int console = dup(1);
    FILE *sink = std::fopen("/dev/null", "w");
    if (console < 0 || !sink) return 1;
    dup2(fileno(sink), 1);
    if (!InitEngine()) return 1;
    TimePerMove = BENCH_TIME_PER_MOVE;

    uint64_t totalNodes = 0;
    double totalSeconds = 0;
    char lines[sizeof BenchPositions / sizeof BenchPositions[0]][160];
    int count = 0;
    for (const char *fen : BenchPositions) {
        if (!ReadFen(fen)) {
            std::snprintf(lines[count++], sizeof lines[0], "refused FEN %s", fen);
            continue;
        }
        const DecisionSettings settings = {1, BENCH_SEED, depth};
        Move move = 0;
        auto start = std::chrono::steady_clock::now();
        int found = ChooseMoveWith(settings, &move);
        std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
        totalSeconds += spent.count();
        totalNodes += NodeCount;
        char text[8];
        std::snprintf(lines[count], sizeof lines[0], "%2d %-6s %8d %12" PRIu64, count + 1,
                      found ? MoveToText(move, text) : "none", BestScore, NodeCount);
        ++count;
    }
    std::fflush(stdout);
    dup2(console, 1);
    close(console);
    std::fclose(sink);

    for (int i = 0; i < count; ++i) std::printf("%s\n", lines[i]);
    std::printf("Depth: %d\n", depth);
    std::printf("Nodes: %" PRIu64 "\n", totalNodes);
    std::printf("NPS: %.0f\n", totalSeconds > 0 ? double(totalNodes) / totalSeconds : 0.0);
    return 0;
}

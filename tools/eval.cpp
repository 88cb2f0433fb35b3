// Evaluation tool: prints the static score of each FEN line read from standard
// input ("invalid" when the FEN is refused), or with --bench measures how many
// evaluations per second the release build does over a fixed set of positions.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "board/board.h"
#include "eval/eval.h"

namespace {

constexpr int FULL_WINDOW = 1000000;

// Openings, middle games with both kings castled or not, and endings, so that the
// bench exercises every piece term and both exits.
const char *const BenchPositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    "r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP1B1PPP/R2QKB1R w KQ -",
    "2rq1rk1/pb1nbppp/1p2pn2/2pp4/2PP4/1PN1PN2/PB2BPPP/2RQ1RK1 b - -",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - -",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
    "6k1/5ppp/8/8/8/8/3R1PPP/6K1 b - -",
    "8/8/4k3/3p4/3P4/4K3/8/8 w - -",
    "4k3/8/8/8/8/8/8/4KBN1 w - -",
};
constexpr int BENCH_ROUNDS = 100000;

void StripLineEnd(std::string &line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
}

int RunBench() {
    const int count = int(sizeof BenchPositions / sizeof BenchPositions[0]);
    long long evaluations = 0, checksum = 0;
    std::chrono::duration<double> elapsed{0};
    for (int i = 0; i < count; i++) {
        if (!ReadFen(BenchPositions[i])) {
            std::fprintf(stderr, "# bench position %d refused\n", i);
            return 1;
        }
        BuildEvalTables();
        const auto start = std::chrono::steady_clock::now();
        for (int round = 0; round < BENCH_ROUNDS; round++) checksum += Evaluate(-FULL_WINDOW, FULL_WINDOW);
        elapsed += std::chrono::steady_clock::now() - start;
        evaluations += BENCH_ROUNDS;
    }
    const double seconds = elapsed.count();
    std::printf("# %d positions, %lld evaluations in %.3f s (checksum %lld)\n", count, evaluations, seconds,
                checksum);
    std::printf("%.0f evaluations per second\n", seconds > 0 ? double(evaluations) / seconds : 0.0);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    InitAttackTables();
    FillPieceKeys();
    if (argc > 1 && std::strcmp(argv[1], "--bench") == 0) return RunBench();

    std::string line;
    while (std::getline(std::cin, line)) {
        StripLineEnd(line);
        if (!ReadFen(line.c_str())) {
            std::printf("invalid\n");
            continue;
        }
        BuildEvalTables();
        std::printf("%d\n", Evaluate(-FULL_WINDOW, FULL_WINDOW));
    }
    return 0;
}

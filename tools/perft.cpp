// perft [-a] DEPTH [FEN...]: counts the leaves of the legal move tree from a
// position (the start position when no FEN is given), one line per root move,
// then the total and the speed. -a also counts Rook and Bishop promotions,
// which the engine never generates but published figures include.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "board/perft.h"

constexpr int MAX_PERFT_DEPTH = 20;
constexpr int FEN_TEXT_BYTES = 1024;

static int Usage() {
    std::fprintf(stderr, "usage: perft [-a] DEPTH [FEN]\n"
                         "  -a  also count Rook and Bishop promotions\n");
    return 1;
}

int main(int argc, char **argv) {
    int arg = 1, allPromotions = 0;
    if (arg < argc && (std::strcmp(argv[arg], "-a") == 0 || std::strcmp(argv[arg], "--all-promotions") == 0)) {
        allPromotions = 1;
        arg++;
    }
    if (arg >= argc) return Usage();
    char *end = nullptr;
    const long depth = std::strtol(argv[arg], &end, 10);
    if (*end != '\0' || depth < 1 || depth > MAX_PERFT_DEPTH) return Usage();
    arg++;

    // The FEN may come as one argument or as its fields in several.
    char fen[FEN_TEXT_BYTES] = "";
    size_t used = 0;
    for (; arg < argc; arg++) {
        const size_t length = std::strlen(argv[arg]);
        if (used + length + 2 > sizeof fen) {
            std::fprintf(stderr, "perft: FEN text too long\n");
            return 1;
        }
        if (used > 0) fen[used++] = ' ';
        std::memcpy(fen + used, argv[arg], length + 1);
        used += length;
    }

    InitAttackTables();
    FillPieceKeys();
    if (!(used > 0 ? ReadFen(fen) : SetStartPosition())) {
        std::fprintf(stderr, "perft: FEN refused: %s\n", fen);
        return 1;
    }

    const auto start = std::chrono::steady_clock::now();
    Move moves[1024];
    const int count = PerftMoves(allPromotions, moves, 1024);
    uint64_t total = 0;
    for (int i = 0; i < count; i++) {
        MakeMove(moves[i]);
        const uint64_t leaves = Perft(int(depth) - 1, allPromotions);
        UnmakeMove(moves[i]);
        total += leaves;
        std::printf("%s %llu\n", MoveToText(moves[i]), static_cast<unsigned long long>(leaves));
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double rate = seconds > 0 ? double(total) / seconds / 1e6 : 0.0;
    std::printf("%llu leaves in %.2f s: %.2f M leaves/s\n", static_cast<unsigned long long>(total), seconds,
                rate);
    return 0;
}

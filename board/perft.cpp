// Leaf counting with bulk counts at the last ply.

#include "board/perft.h"

#include "board/board.h"

namespace {

inline bool IsQueenPromotion(Move m) { return (m & PROMOTION) && MovePiece(m) == Queen; }

inline Move WithPiece(Move m, int piece) { return (m & ~(Move(7) << 12)) | Move(piece) << 12; }

uint64_t CountBelow(Move m, int depth, int allPromotions) {
    MakeMove(m);
    const uint64_t leaves = Perft(depth, allPromotions);
    UnmakeMove(m);
    return leaves;
}

}  // namespace

uint64_t Perft(int depth, int allPromotions) {
    if (depth <= 0) return 1;
    if (!GenerateLegalMoves()) return 0;
    const int ply = searchPly;
    const int first = MoveStack.first[ply], last = MoveStack.first[ply + 1];
    uint64_t leaves = 0;
    if (depth == 1) {
        // Bulk count: the legal list is exactly the set of leaves. A Rook or
        // Bishop promotion is legal exactly when the Queen promotion is.
        leaves = uint64_t(last - first);
        if (allPromotions)
            for (int i = first; i < last; i++)
                if (IsQueenPromotion(MoveStack.moves[i])) leaves += 2;
        return leaves;
    }
    for (int i = first; i < last; i++) {
        const Move m = MoveStack.moves[i];
        leaves += CountBelow(m, depth - 1, allPromotions);
        if (allPromotions && IsQueenPromotion(m)) {
            leaves += CountBelow(WithPiece(m, Rook), depth - 1, allPromotions);
            leaves += CountBelow(WithPiece(m, Bishop), depth - 1, allPromotions);
        }
    }
    return leaves;
}

int PerftMoves(int allPromotions, Move *out, int capacity) {
    if (!GenerateLegalMoves()) return 0;
    const int ply = searchPly;
    int n = 0;
    for (int i = MoveStack.first[ply]; i < MoveStack.first[ply + 1]; i++) {
        const Move m = MoveStack.moves[i];
        if (n < capacity) out[n++] = m;
        if (allPromotions && IsQueenPromotion(m)) {
            if (n < capacity) out[n++] = WithPiece(m, Rook);
            if (n < capacity) out[n++] = WithPiece(m, Bishop);
        }
    }
    return n;
}

// Saving and loading game files. A save goes to a temporary file beside the
// target and replaces it by a rename only once every byte is written, so a
// failed or interrupted save never destroys the previous game. A load is
// decoded into a separate record and replaces the position only after the
// image has been checked, so a corrupt or hostile file cannot make the board
// code index outside its tables later.
#include "app/gamefile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/engine.h"
#include "app/game.h"
#include "board/board.h"

namespace {

// The image is one sequence of 32- and 64-bit little-endian integers; the same
// walk over the fields drives both directions, so they cannot disagree.
struct ImageWriter {
    uint8_t *out;
    size_t at;
    void U32(uint32_t v) {
        for (int i = 0; i < 4; i++) out[at++] = uint8_t(v >> (8 * i));
    }
    void I32(int32_t v) { U32(uint32_t(v)); }
    void U64(uint64_t v) {
        for (int i = 0; i < 8; i++) out[at++] = uint8_t(v >> (8 * i));
    }
};

struct ImageReader {
    const uint8_t *in;
    size_t at;
    void U32(uint32_t &v) {
        v = 0;
        for (int i = 0; i < 4; i++) v |= uint32_t(in[at++]) << (8 * i);
    }
    void I32(int32_t &v) {
        uint32_t u;
        U32(u);
        v = int32_t(u);
    }
    void U64(uint64_t &v) {
        v = 0;
        for (int i = 0; i < 8; i++) v |= uint64_t(in[at++]) << (8 * i);
    }
};

template <class Record, class Codec, size_t N>
void I32Array(Codec &c, Record (&values)[N]) {
    for (size_t i = 0; i < N; i++) c.I32(values[i]);
}

template <class P, class Codec>
void VisitPositionFields(P &p, Codec &c) {
    c.I32(p.formatTag);
    I32Array(c, p.board);
    I32Array(c, p.colour);
    I32Array(c, p.pieceSlot);
    I32Array(c, p.pieceList);
    I32Array(c, p.listFirst);
    I32Array(c, p.listLast);
    for (auto &perColour : p.pieceCount) I32Array(c, perColour);
    I32Array(c, p.material);
    for (auto &perColour : p.pawnsOnFile) I32Array(c, perColour);
    for (auto &perColour : p.pawnsOnRow) I32Array(c, perColour);
    c.I32(p.castleRights);
    c.I32(p.side);
    c.I32(p.xside);
    I32Array(c, p.castled);
    I32Array(c, p.kingSquare);
    c.I32(p.epSquare);
    c.I32(p.padding);
    c.U64(p.key);
    c.U64(p.startKey);
    c.I32(p.gamePly);
    c.I32(p.gameLength);
    for (auto &m : p.moveHistory) c.U32(m);
    for (auto &k : p.keyHistory) c.U64(k);
    for (auto &u : p.undoHistory) {
        c.I32(u.capturedSquare);
        c.I32(u.capturedPiece);
        c.I32(u.capturedSlot);
        c.I32(u.castleRightsBefore);
    }
    I32Array(c, p.scoreHistory);
}

// Working copies for loading and checking; static because each is 17 KB.
Position LoadedImage;
Position SavedPosition;
uint8_t FileBytes[GAME_FILE_BYTES];

bool InRange(int32_t v, int32_t low, int32_t high) { return v >= low && v <= high; }

// Bounds of every field that the board code uses as an index, checked before
// anything reads the record. PositionIsConsistent then checks that the fields
// agree with each other.
bool FieldsInRange(const Position &p) {
    if (p.formatTag != GAME_FILE_TAG || p.padding != 0) return false;
    for (int sq = 0; sq < 64; sq++) {
        if (!InRange(p.board[sq], Empty, King) || !InRange(p.colour[sq], White, NoColour) ||
            !InRange(p.pieceSlot[sq], -1, 31))
            return false;
        // A pawn on its first or last rank would make generation step off the board.
        if (p.board[sq] == Pawn && (Row(sq) == 0 || Row(sq) == 7)) return false;
    }
    for (int slot = 0; slot < 32; slot++) {
        if (!InRange(p.pieceList[slot], -1, 63)) return false;
    }
    if (p.listFirst[White] != 0 || p.listFirst[Black] != 16) return false;
    if (!InRange(p.listLast[White], 0, 15) || !InRange(p.listLast[Black], 16, 31)) return false;
    if (!InRange(p.side, White, Black) || p.xside != (p.side ^ 1)) return false;
    if (!InRange(p.castleRights, 0, 15) || !InRange(p.epSquare, 0, 63)) return false;
    if (!InRange(p.kingSquare[White], 0, 63) || !InRange(p.kingSquare[Black], 0, 63)) return false;
    if (!InRange(p.gamePly, 0, MAX_GAME_MOVES) || !InRange(p.gameLength, p.gamePly, MAX_GAME_MOVES))
        return false;
    // Slots from the cursor on were last cleared by an unmake: only a move kept
    // for "redo" (or left over from an earlier line) may remain there.
    for (int i = 0; i < HISTORY_SLOTS; i++) {
        const UndoRecord &u = p.undoHistory[i];
        if (i < p.gamePly) {
            if (p.moveHistory[i] == 0) return false;
        } else if (p.keyHistory[i] != 0 || u.capturedSquare != 0 || u.capturedPiece != 0 ||
                   u.capturedSlot != 0 || u.castleRightsBefore != 0) {
            return false;
        }
    }
    return true;
}

// Whether UnmakeMove can take back m, the last game move, without tripping its
// own checks or reading outside the tables; it answers for the global position.
bool UnmakeFits(Move m, const UndoRecord &u) {
    const int mover = Pos.xside;
    const int opponent = Pos.side;
    const int from = MoveFrom(m), to = MoveTo(m), piece = MovePiece(m);
    const bool promotion = (m & PROMOTION) != 0;
    const bool capture = (m & CAPTURE) != 0;
    const bool kingside = (m & CASTLE_KINGSIDE) != 0;
    const bool queenside = (m & CASTLE_QUEENSIDE) != 0;
    if ((m & 0x07FF8000u) != 0 || !InRange(piece, Pawn, King)) return false;
    if (promotion && !InRange(piece, Knight, Queen)) return false;
    if ((m & EN_PASSANT) != 0 && (!capture || piece != Pawn || promotion)) return false;
    if (!InRange(u.castleRightsBefore, 0, 15)) return false;

    // The piece must stand on its destination; lifting it empties that square.
    if (Pos.board[to] != piece || Pos.colour[to] != mover) return false;
    const int slot = Pos.pieceSlot[to];
    if (slot < 0 || Pos.pieceList[slot] != to) return false;
    auto emptyAfterLift = [&](int sq) { return sq == to || Pos.board[sq] == Empty; };

    if (capture) {
        const int square = u.capturedSquare, slotOfCaptured = u.capturedSlot;
        if (!InRange(square, 0, 63) || !InRange(u.capturedPiece, Pawn, Queen)) return false;
        if (!InRange(slotOfCaptured, 16 * opponent, Pos.listLast[opponent])) return false;
        if (slotOfCaptured == slot || Pos.pieceList[slotOfCaptured] != -1) return false;
        if (!emptyAfterLift(square) || square == from) return false;
    } else if (u.capturedSquare != 0 || u.capturedPiece != 0 || u.capturedSlot != 0) {
        return false;
    }

    if (kingside || queenside) {
        const int kingFrom = mover == White ? SQ_E1 : SQ_E8;
        if (kingside == queenside || capture || promotion || piece != King || from != kingFrom)
            return false;
        if (to != (kingside ? from + 2 : from - 2)) return false;
        const int rookFrom = kingside ? from + 3 : from - 4;
        const int rookTo = kingside ? from + 1 : from - 1;
        if (Pos.board[rookTo] != Rook || Pos.colour[rookTo] != mover) return false;
        if (Pos.board[rookFrom] != Empty) return false;
    }
    return emptyAfterLift(from);
}

// The move at the cursor, tested against the legal moves of the position.
// Rook and Bishop promotions come from user input and match the generated
// Queen promotion of the same squares.
bool IsLegalAtCursor(Move m) {
    searchPly = 0;
    GenerateLegalMoves();
    for (int i = MoveStack.first[0]; i < MoveStack.first[1]; i++) {
        Move legal = MoveStack.moves[i];
        if (legal == m) return true;
        if ((legal & PROMOTION) && (m & PROMOTION) && InRange(MovePiece(m), Knight, Queen) &&
            (legal & ~0x7000u) == (m & ~0x7000u))
            return true;
    }
    return false;
}

// The en-passant square is only ever set by the FEN reader, with its rules.
bool EnPassantSquareFits() {
    const int sq = Pos.epSquare;
    if (sq == 0) return true;
    if (Row(sq) != (Pos.side == White ? 2 : 5)) return false;
    const int pawn = sq - PawnStep[Pos.side];
    const int origin = sq + PawnStep[Pos.side];
    return Pos.board[pawn] == Pawn && Pos.colour[pawn] == Pos.xside && Pos.board[sq] == Empty &&
           Pos.board[origin] == Empty;
}

// Takes the made moves back to the start of the game, then plays every move
// again, made ones and those kept for "redo", as legal moves. The replayed
// record must equal the image byte for byte up to the cursor.
bool GameReplays(const Position &image) {
    for (int i = image.gamePly - 1; i >= 0; i--) {
        if (!UnmakeFits(Pos.moveHistory[i], Pos.undoHistory[i])) return false;
        Pos.gamePly = i + 1;
        searchPly = 0;
        UnmakeMove(Pos.moveHistory[i]);
        Pos.gamePly = i;
        searchPly = 0;
    }
    if (!FieldsInRange(Pos) || !PositionIsConsistent(Pos) || !EnPassantSquareFits() ||
        Pos.key != Pos.startKey || Pos.castled[White] != 0 || Pos.castled[Black] != 0)
        return false;
    for (int i = 0; i < image.gameLength; i++) {
        const Move m = image.moveHistory[i];
        if (i >= image.gamePly && m == 0) break;  // "redo" stops at the first empty slot
        Pos.gamePly = i;
        if (!IsLegalAtCursor(m)) return false;
        MakeMove(m);
        Pos.gamePly = i + 1;
        searchPly = 0;
        if (Pos.gamePly == image.gamePly && memcmp(&Pos, &image, sizeof(Position)) != 0) return false;
    }
    return true;
}

bool WriteAll(int fd, const uint8_t *bytes, size_t count) {
    while (count > 0) {
        ssize_t written = write(fd, bytes, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        count -= size_t(written);
    }
    return true;
}

void CopyGameFileName(const char *name) { JoinText(GameFileName, sizeof GameFileName, name); }

}  // namespace

void EncodePosition(const Position &p, uint8_t out[GAME_FILE_BYTES]) {
    ImageWriter writer{out, 0};
    VisitPositionFields(p, writer);
    AssertOrAbort(writer.at == GAME_FILE_BYTES);
}

void DecodePosition(const uint8_t in[GAME_FILE_BYTES], Position *p) {
    ImageReader reader{in, 0};
    VisitPositionFields(*p, reader);
    AssertOrAbort(reader.at == GAME_FILE_BYTES);
}

int GameImageIsSound(const Position &image) {
    if (!FieldsInRange(image) || !PositionIsConsistent(image)) return 0;
    SavedPosition = Pos;
    const int savedSearchPly = searchPly;
    Pos = image;
    searchPly = 0;
    bool sound = GameReplays(image);
    Pos = SavedPosition;
    searchPly = savedSearchPly;
    return sound ? 1 : 0;
}

int SaveGame(const char *path) {
    if (path == nullptr || path[0] == '\0') return 0;
    char temporary[TEXT_BUFFER_BYTES + 32];
    int length = snprintf(temporary, sizeof temporary, "%s.%ld.tmp", path, long(getpid()));
    if (length < 0 || size_t(length) >= sizeof temporary) return 0;
    int fd = open(temporary, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) return 0;

    const int32_t oldTag = Pos.formatTag;
    Pos.formatTag = GAME_FILE_TAG;
    EncodePosition(Pos, FileBytes);
    bool written = WriteAll(fd, FileBytes, GAME_FILE_BYTES) && fsync(fd) == 0;
    written = (close(fd) == 0) && written;
    if (!written || rename(temporary, path) != 0) {
        unlink(temporary);
        Pos.formatTag = oldTag;
        return 0;
    }
    if (path != GameFileName) CopyGameFileName(path);
    return 1;
}

int LoadGame(const char *path) {
    if (path == nullptr || path[0] == '\0') return 0;
    FILE *file = fopen(path, "rb");
    if (file == nullptr) return 0;
    size_t count = fread(FileBytes, 1, GAME_FILE_BYTES, file);
    fclose(file);
    if (count < GAME_FILE_BYTES) return 0;
    DecodePosition(FileBytes, &LoadedImage);
    if (LoadedImage.formatTag != GAME_FILE_TAG) return 0;
    if (!GameImageIsSound(LoadedImage)) return 0;
    Pos = LoadedImage;
    searchPly = 0;
    if (path != GameFileName) CopyGameFileName(path);
    return 1;
}

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

// Working copies for loading and saving; static because each is 17 KB.
Position LoadedImage;
uint8_t FileBytes[GAME_FILE_BYTES];

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
    return image.formatTag == GAME_FILE_TAG && PositionIsConsistent(image) ? 1 : 0;
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
    if (!GameImageIsSound(LoadedImage)) return 0;
    Pos = LoadedImage;
    searchPly = 0;
    if (path != GameFileName) CopyGameFileName(path);
    return 1;
}

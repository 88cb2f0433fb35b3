// The learn file: the whole book table written out record by record, and read
// back at start-up. Records are encoded byte by byte, little-endian, so the file
// does not depend on how the host lays out a BookEntry.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "book/book.h"

// Field offsets of one record.
constexpr int REC_KEY = 0, REC_NEXT = 8, REC_SCORE = 16, REC_ORIGIN = 20, REC_SIZE = 22,
              REC_SIDE = 24, REC_DEPTH = 25, REC_BOOK = 26, REC_CHECK = 27, REC_TEXT = 28;
static_assert(REC_TEXT == BOOK_ENTRY_HEADER);

static inline void PutLittle(uint8_t *p, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; i++) p[i] = uint8_t(value >> (8 * i));
}

static inline uint64_t GetLittle(const uint8_t *p, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; i++) value |= uint64_t(p[i]) << (8 * i);
    return value;
}

// Checks the record at `p` with `left` bytes of file after it; its size, or 0
// for a bad record. The text must end inside the record and match its check byte.
static int ValidRecordSize(const uint8_t *p, size_t left) {
    if (left < 32) return 0;  // cut off inside the fixed part
    int size = int16_t(GetLittle(p + REC_SIZE, 2));
    if (size < BOOK_RECORD_MIN || size_t(size) > left) return 0;
    uint8_t sum = 0;
    for (int i = REC_TEXT; i < size; i++) {
        if (p[i] == 0) return sum == p[REC_CHECK] ? size : 0;
        sum = uint8_t(sum + p[i]);
    }
    return 0;  // no terminating zero inside the record
}

static BookEntry *DecodeRecord(const uint8_t *p, int size) {
    BookEntry *entry = BookAllocEntry(size);
    if (!entry) return nullptr;
    entry->key = GetLittle(p + REC_KEY, 8);
    entry->next = nullptr;  // the stored link means nothing
    entry->score = int32_t(uint32_t(GetLittle(p + REC_SCORE, 4)));
    entry->origin = uint16_t(GetLittle(p + REC_ORIGIN, 2));
    entry->size = int16_t(size);
    entry->side = int8_t(p[REC_SIDE]);
    entry->depth = int8_t(p[REC_DEPTH]);
    entry->book = int8_t(p[REC_BOOK]);
    entry->check = p[REC_CHECK];
    memcpy(entry->text, p + REC_TEXT, size_t(size - REC_TEXT));
    return entry;
}

// Reads the whole file into a fresh buffer; null on any failure.
static uint8_t *ReadWholeFile(FILE *file, size_t *length) {
    // Only a regular file has a size worth believing: a directory opens for
    // reading too, and its seek end is no length to allocate.
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) return nullptr;
    if (fseek(file, 0, SEEK_END) != 0) return nullptr;
    long end = ftell(file);
    if (end < 0 || fseek(file, 0, SEEK_SET) != 0) return nullptr;
    *length = size_t(end);
    uint8_t *buffer = static_cast<uint8_t *>(malloc(end > 0 ? size_t(end) : 1));
    if (!buffer) return nullptr;
    // A file that is shorter or longer than its size said was changed while we
    // read it; it is not taken in part.
    if (fread(buffer, 1, *length, file) != *length || fgetc(file) != EOF) {
        free(buffer);
        return nullptr;
    }
    return buffer;
}

int LearnLoad(const char *path) {
    FILE *file = fopen(path, "rb");
    if (!file) return 0;
    size_t length = 0;
    uint8_t *buffer = ReadWholeFile(file, &length);
    fclose(file);
    int ok = buffer != nullptr;

    // Check every record before linking any, so a bad file is refused whole.
    for (size_t p = 0; ok && p < length;) {
        int size = ValidRecordSize(buffer + p, length - p);
        if (!size) ok = 0;
        p += size_t(size);
    }
    for (size_t p = 0; ok && p < length;) {
        int size = int16_t(GetLittle(buffer + p + REC_SIZE, 2));
        BookEntry *entry = DecodeRecord(buffer + p, size);
        if (!entry) {
            ok = 0;
            break;
        }
        BookInsert(entry);
        p += size_t(size);
    }
    free(buffer);
    if (!ok) BookClear();
    return ok;
}

// Encodes one entry; the bytes after the text's zero (the tail, and anything a
// loaded record carried there) are written as zeros.
static int EncodeRecord(BookEntry *entry, uint8_t *record) {
    int size = entry->size;
    if (size < BOOK_RECORD_MIN) return 0;
    entry->check = BookTextCheck(entry);
    memset(record, 0, size_t(size));
    PutLittle(record + REC_KEY, entry->key, 8);
    PutLittle(record + REC_SCORE, uint32_t(entry->score), 4);
    PutLittle(record + REC_ORIGIN, entry->origin, 2);
    PutLittle(record + REC_SIZE, uint16_t(entry->size), 2);
    record[REC_SIDE] = uint8_t(entry->side);
    record[REC_DEPTH] = uint8_t(entry->depth);
    record[REC_BOOK] = uint8_t(entry->book);
    record[REC_CHECK] = entry->check;
    size_t length = strnlen(entry->text, size_t(size - REC_TEXT - 1));
    memcpy(record + REC_TEXT, entry->text, length);
    return size;
}

static uint8_t RecordBuffer[BOOK_RECORD_MAX];

// Writes to a temporary file beside the learn file and renames it over the old
// one only when every byte reached the disk, so a failed or interrupted write
// leaves the previous learn file as it was.
int LearnSave(const char *path) {
    char temporary[1100];
    int n = snprintf(temporary, sizeof temporary, "%s.tmp", path);
    if (n < 0 || size_t(n) >= sizeof temporary) return 0;
    FILE *file = fopen(temporary, "wb");
    if (!file) return 0;

    int ok = 1;
    for (int bucket = 0; ok && bucket < BOOK_BUCKETS; bucket++) {
        for (BookEntry *e = BookTable[bucket]; ok && e; e = e->next) {
            int size = EncodeRecord(e, RecordBuffer);
            ok = size > 0 && fwrite(RecordBuffer, 1, size_t(size), file) == size_t(size);
        }
    }
    ok = ok && fflush(file) == 0 && fsync(fileno(file)) == 0;
    ok = (fclose(file) == 0) && ok;
    ok = ok && rename(temporary, path) == 0;
    if (!ok) remove(temporary);
    return ok;
}

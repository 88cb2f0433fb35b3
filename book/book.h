// The book position table (opening book and learnt search results), the book
// text reader and the learn file. Filled at start-up, read and written by the
// move decision and the search, saved at the end of the run.
#pragma once

#include <cstdint>

#include "board/position.h"

// One known position. The bytes of an entry are exactly the record of the learn
// file (offsets below), followed in memory by the rest of the position text.
struct BookEntry {
    uint64_t key;
    BookEntry *next;
    int32_t score;
    uint16_t origin;
    int16_t size;  // 32 + length of the text
    int8_t side;
    int8_t depth;
    int8_t book;
    uint8_t check;
    char text[4];  // the position text runs on past this array inside the allocation
};
static_assert(sizeof(BookEntry) == 32);
static_assert(offsetof(BookEntry, score) == 16 && offsetof(BookEntry, size) == 22);
static_assert(offsetof(BookEntry, check) == 27 && offsetof(BookEntry, text) == 28);

constexpr int BOOK_BUCKETS = 65536;
extern BookEntry *BookTable[BOOK_BUCKETS];

void BookClear();
BookEntry *BookFind();
void BookInsert(BookEntry *entry);
BookEntry *BookNewEntry();
int BookProbe(int first, int last, BookEntry **entries, Move *moves, int *count);
void BookRecordResult(int score, int depth);

int BookLoad(const char *path);   // 0 only when the file cannot be opened
int LearnLoad(const char *path);  // 1 when the whole file was read
int LearnSave(const char *path);  // 1 when every record was written

// The book position table (opening book and learnt search results), the book
// text reader and the learn file. Filled at start-up, read and written by the
// move decision and the search, saved at the end of the run.
#pragma once

#include <cstdint>
#include <cstdio>

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
int LearnSave(const char *path);  // 1 when every record reached the file; else the old file stays

// Allocation and entry helpers shared by the book text reader and the learn file.
constexpr int BOOK_ENTRY_HEADER = 28;         // bytes before the position text
constexpr int BOOK_RECORD_MIN = 33;           // 32 fixed bytes and at least one text character
constexpr int BOOK_RECORD_MAX = INT16_MAX;    // the size field is signed 16-bit
constexpr uint16_t BOOK_ORIGIN_TEXT = 16;     // origin of entries made from the book text

// Zeroed block of at least `size` bytes for an entry of that record size; null
// when there is no memory. Entries live until the process ends.
BookEntry *BookAllocEntry(int size);
// Sum of the text bytes up to its zero, modulo 256: the learn file's check byte.
uint8_t BookTextCheck(const BookEntry *entry);
// Number of entries in the table, walking every chain.
int BookCount();

// The book text tokenizer: one flag per byte value (1 = separator) and the
// cursor into the current line. Reset for every line.
struct BookTokenizer {
    uint8_t separator[256];
    char *line;
    char *cursor;
};
constexpr int BOOK_LINE_BYTES = 65534;  // one read takes at most 65533 characters
extern const char BOOK_SEPARATORS[];    // " !?#,;\r\n"

void BookTokenizerInit(BookTokenizer *tokenizer, char *line, const char *separators);
void BookTokenizerReset(BookTokenizer *tokenizer);
// Next token of the line, zero-terminated in place; null when the line is done.
char *NextBookToken(BookTokenizer *tokenizer);
// Reads lines into `line` (BOOK_LINE_BYTES) until one is neither a comment nor
// blank; 1 with that line, 0 at the end of the file.
int ReadBookLine(char *line, FILE *file);

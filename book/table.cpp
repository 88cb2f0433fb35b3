// The book position table: 65536 chains of known positions, keyed by the low
// 16 bits of the position key and told apart by side to move and position text.

#include <cstdlib>
#include <cstring>

#include "board/board.h"
#include "book/book.h"

BookEntry *BookTable[BOOK_BUCKETS];

static_assert(BOOK_BUCKETS == 0x10000, "the bucket is the low 16 bits of the key");

static inline int BucketOf(uint64_t key) { return int(key & 0xFFFF); }

// Entries are carved from large zeroed blocks that stay linked from BookBlocks
// until the process ends: one allocation per block instead of one per position,
// and entries stay reachable after BookClear drops the chains.
struct BookBlock {
    BookBlock *next;
    size_t used;  // bytes handed out after the header
};
constexpr size_t BOOK_BLOCK_BYTES = size_t(1) << 16;
constexpr size_t BOOK_BLOCK_HEADER = (sizeof(BookBlock) + 15) & ~size_t(15);
static_assert(BOOK_BLOCK_HEADER + BOOK_RECORD_MAX + alignof(BookEntry) <= BOOK_BLOCK_BYTES,
              "the largest record fits in one block");
static BookBlock *BookBlocks = nullptr;

BookEntry *BookAllocEntry(int size) {
    if (size < BOOK_RECORD_MIN || size > BOOK_RECORD_MAX) return nullptr;
    // A whole number of the entry's alignment; the text and its tail fit inside
    // `size` by construction.
    size_t bytes = (size_t(size) + alignof(BookEntry) - 1) & ~(alignof(BookEntry) - 1);
    if (!BookBlocks || BookBlocks->used + bytes > BOOK_BLOCK_BYTES - BOOK_BLOCK_HEADER) {
        auto *block = static_cast<BookBlock *>(calloc(1, BOOK_BLOCK_BYTES));
        if (!block) return nullptr;
        block->next = BookBlocks;
        block->used = 0;
        BookBlocks = block;
    }
    auto *base = reinterpret_cast<unsigned char *>(BookBlocks) + BOOK_BLOCK_HEADER;
    auto *entry = reinterpret_cast<BookEntry *>(base + BookBlocks->used);
    BookBlocks->used += bytes;
    return entry;
}

uint8_t BookTextCheck(const BookEntry *entry) {
    uint8_t sum = 0;
    for (const char *c = entry->text; *c; c++) sum = uint8_t(sum + uint8_t(*c));
    return sum;
}

void BookClear() {
    for (BookEntry *&head : BookTable) head = nullptr;
}

int BookCount() {
    int count = 0;
    for (const BookEntry *head : BookTable)
        for (const BookEntry *e = head; e; e = e->next) count++;
    return count;
}

// First entry of the current position's bucket with equal key, side and text;
// with `bookOnly` set, entries learnt by searching alone are passed over. The
// position text is built only once a key and side match, which is rare.
static BookEntry *FindCurrent(int bookOnly) {
    char text[FEN_BUFFER_BYTES];
    int haveText = 0;
    for (BookEntry *e = BookTable[BucketOf(Pos.key)]; e; e = e->next) {
        if (e->key != Pos.key || e->side != Pos.side) continue;
        if (bookOnly && e->book == 0) continue;
        if (!haveText) {
            WriteFen(text);
            haveText = 1;
        }
        if (strcmp(e->text, text) == 0) return e;
    }
    return nullptr;
}

BookEntry *BookFind() { return FindCurrent(0); }

void BookInsert(BookEntry *entry) {
    int bucket = BucketOf(entry->key);
    entry->next = BookTable[bucket];
    BookTable[bucket] = entry;
}

BookEntry *BookNewEntry() {
    char text[FEN_BUFFER_BYTES];
    WriteFen(text);
    int length = int(strnlen(text, sizeof text - 1));
    int size = 32 + length;
    BookEntry *entry = BookAllocEntry(size);
    if (!entry) return nullptr;
    entry->key = Pos.key;
    entry->next = nullptr;
    entry->size = int16_t(size);
    entry->side = int8_t(Pos.side);
    // calloc left the terminating zero and the three tail bytes at zero.
    memcpy(entry->text, text, size_t(length));
    return entry;
}

int BookProbe(int first, int last, BookEntry **entries, Move *moves, int *count) {
    *count = 0;
    if (first < 0 || last >= MOVE_STACK_SIZE || first > last) return 0;
    for (int i = first; i <= last; i++) {
        Move m = MoveStack.moves[i];
        MakeMove(m);
        BookEntry *entry = FindCurrent(1);
        UnmakeMove(m);
        if (entry) {
            entries[*count] = entry;
            moves[*count] = m;
            (*count)++;
        }
    }
    return *count > 0;
}

void BookRecordResult(int score, int depth) {
    BookEntry *entry = BookFind();
    if (entry) {
        entry->score = score;
        entry->depth = int8_t(depth);
        return;
    }
    entry = BookNewEntry();
    if (!entry) return;  // no memory: the result is simply not remembered
    entry->score = score;
    entry->origin = 0;
    entry->depth = int8_t(depth);
    entry->book = 0;
    BookInsert(entry);
}

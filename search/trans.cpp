// Transposition table set-up and clearing; the probe and store are inline in trans.h.

#include "search/trans.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/config.h"
#include "search/search.h"

TransEntry *TransTable[2] = {nullptr, nullptr};
int32_t TransEntries = 0;
// Fresh tables are already zero: skipping their first clearing spares the
// first decision from touching every page of a large table at once.
static int TransClean = 0;

// Leading integer of a configuration text: blanks, a sign, digits; 0 without a
// number. Saturates instead of overflowing.
static int64_t LeadingInteger(const char *text) {
    const char *p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
    int negative = 0;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    int64_t n = 0;
    // Anything past a few digits is out of range anyway; stop growing before overflow.
    for (; *p >= '0' && *p <= '9'; ++p)
        if (n < INT64_C(1000000000000)) n = n * 10 + (*p - '0');
    return negative ? -n : n;
}

void ClearTrans() {
    if (TransClean) {
        TransClean = 0;  // the search is about to write into them
        return;
    }
    for (TransEntry *table : TransTable)
        if (table) std::memset(static_cast<void *>(table), 0, size_t(TransEntries) * sizeof(TransEntry));
}

int HashInit() {
    std::printf("# hash table init: \n");
    const char *text = GetConfigValue("hash size");
    int64_t n = LeadingInteger(text);
    if (n < HASH_SIZE_MIN || n > HASH_SIZE_MAX) {
        std::fprintf(stderr, "# error: \"hash size\"=%s   \n", text);
        return 0;
    }
    int32_t entries = int32_t(1) << (n / 2);
    // Start-up calls this once; a repeated call (the tests) replaces the tables.
    for (TransEntry *&table : TransTable) {
        std::free(table);
        table = nullptr;
    }
    TransEntries = 0;
    for (int side = 0; side < 2; ++side) {
        TransTable[side] = static_cast<TransEntry *>(std::calloc(size_t(entries), sizeof(TransEntry)));
        if (!TransTable[side]) {
            std::fprintf(stderr, "# error: HashInit: out of memory \n");
            std::free(TransTable[0]);
            TransTable[0] = nullptr;
            return 0;
        }
    }
    TransEntries = entries;
    TransClean = 1;
    // The keys come from the generator's starting state; nothing may draw before this.
    FillPieceKeys();
    std::printf("# get mem %" PRIu64 " byte(s) \n", TransBytes(uint64_t(entries)));
    return 1;
}

// The book text reader: plays every line of the opening book from the initial
// position and enters each position reached into the book table.

#include <cstdio>
#include <cstring>

#include "app/game.h"
#include "board/board.h"
#include "book/book.h"

const char BOOK_SEPARATORS[] = " !?#,;\r\n";

void BookTokenizerInit(BookTokenizer *tokenizer, char *line, const char *separators) {
    memset(tokenizer->separator, 0, sizeof tokenizer->separator);
    for (const char *c = separators; *c; c++) tokenizer->separator[uint8_t(*c)] = 1;
    tokenizer->line = line;
    tokenizer->cursor = line;
}

void BookTokenizerReset(BookTokenizer *tokenizer) { tokenizer->cursor = tokenizer->line; }

char *NextBookToken(BookTokenizer *tokenizer) {
    char *c = tokenizer->cursor;
    while (*c && tokenizer->separator[uint8_t(*c)]) c++;
    if (!*c) {
        tokenizer->cursor = c;
        return nullptr;
    }
    char *token = c;
    while (*c && !tokenizer->separator[uint8_t(*c)]) c++;
    // Cut the token in place; a token that ended the line leaves the cursor on
    // the line's zero, so the next call reports the line done.
    if (*c) *c++ = '\0';
    tokenizer->cursor = c;
    return token;
}

int ReadBookLine(char *line, FILE *file) {
    while (fgets(line, BOOK_LINE_BYTES, file)) {
        const char *c = line;
        while (*c == ' ') c++;
        if (*c != '#' && *c != '\n' && *c != '\0') return 1;
    }
    return 0;
}

// Enters the current position as a book position unless it is known already;
// the first line that reaches a position creates its entry.
static void EnterBookPosition() {
    if (BookFind()) return;
    BookEntry *entry = BookNewEntry();
    if (!entry) return;
    entry->score = 0;
    entry->origin = BOOK_ORIGIN_TEXT;
    entry->depth = 0;
    entry->book = 1;
    BookInsert(entry);
}

// Kept out of the stack: two position images and the longest line.
static Position SavedGame;
static Position LineStart;
static char BookLine[BOOK_LINE_BYTES];

int BookLoad(const char *path) {
    FILE *file = fopen(path, "r");
    if (!file) return 0;

    SavedGame = Pos;
    int savedSearchPly = searchPly;
    BookTokenizer tokenizer;
    BookTokenizerInit(&tokenizer, BookLine, BOOK_SEPARATORS);
    searchPly = 0;
    SetStartPosition();
    LineStart = Pos;

    int lineCount = 0;
    while (ReadBookLine(BookLine, file)) {
        lineCount++;
        Pos = LineStart;  // every line starts at the initial position with an empty record
        searchPly = 0;
        BookTokenizerReset(&tokenizer);
        while (char *token = NextBookToken(&tokenizer)) {
            Move move;
            // InsertMoveInGame refuses only a full record; both refusals abandon
            // the rest of the line, keeping what its earlier moves entered.
            if (!TextToMove(token, &move) || !InsertMoveInGame(move, 0)) {
                printf("#error: line %d, lexem %s\n", lineCount, token);
                break;
            }
            EnterBookPosition();
        }
    }
    fclose(file);

    Pos = SavedGame;
    searchPly = savedSearchPly;
    return 1;
}

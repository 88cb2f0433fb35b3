// Reading tarnvik.cfg. A line is split at '=' and '"' the way a tokenizer that
// skips runs of delimiters would split it: the first token is the key, the
// second the value, the rest is ignored. Blanks and the line end are not
// delimiters, so only a quoted value compares equal to a whole word.
#include "app/config.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

ConfigEntry *ConfigTable = nullptr;

namespace {

// One read takes at most 254 characters, the line end included; a longer line
// arrives in pieces, each of which is parsed as a line of its own.
constexpr int CONFIG_LINE_BYTES = 256;
constexpr int CONFIG_READ_CHARS = 254;

const char EMPTY_VALUE[] = "";

bool IsConfigDelimiter(char c) { return c == '=' || c == '"'; }

// Finds the next token at or after *cursor: sets *start and *length and moves
// the cursor past the token. Returns false when only delimiters are left.
bool NextToken(const char **cursor, const char **start, size_t *length) {
    const char *p = *cursor;
    while (*p != '\0' && IsConfigDelimiter(*p)) p++;
    if (*p == '\0') return false;
    const char *end = p;
    while (*end != '\0' && !IsConfigDelimiter(*end)) end++;
    *start = p;
    *length = size_t(end - p);
    *cursor = end;
    return true;
}

char *CopyText(const char *text, size_t length) {
    char *copy = static_cast<char *>(malloc(length + 1));
    if (copy == nullptr) return nullptr;
    memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

// Files written on another system end their lines in "\r\n"; dropping the
// carriage return makes them read as a text-mode read would.
void DropCarriageReturn(char *line) {
    size_t length = strlen(line);
    if (length >= 2 && line[length - 2] == '\r' && line[length - 1] == '\n') {
        line[length - 2] = '\n';
        line[length - 1] = '\0';
    }
}

void AddConfigLine(const char *line) {
    if (line[0] == '#') return;  // a comment only when '#' is the very first character
    const char *cursor = line;
    const char *key, *value;
    size_t keyLength, valueLength;
    if (!NextToken(&cursor, &key, &keyLength)) return;
    if (!NextToken(&cursor, &value, &valueLength)) return;
    ConfigEntry *entry = static_cast<ConfigEntry *>(malloc(sizeof(ConfigEntry)));
    char *keyCopy = CopyText(key, keyLength);
    char *valueCopy = CopyText(value, valueLength);
    if (entry == nullptr || keyCopy == nullptr || valueCopy == nullptr) {
        // Out of memory while reading a few short lines: the setting is lost,
        // which the lookups then treat like an absent key.
        free(entry);
        free(keyCopy);
        free(valueCopy);
        return;
    }
    entry->key = keyCopy;
    entry->value = valueCopy;
    entry->next = ConfigTable;
    ConfigTable = entry;
}

}  // namespace

int ReadConfig(const char *path) {
    if (path == nullptr) return 0;
    FILE *file = fopen(path, "r");
    if (file == nullptr) return 0;
    char line[CONFIG_LINE_BYTES];
    while (fgets(line, CONFIG_READ_CHARS + 1, file) != nullptr) {
        DropCarriageReturn(line);
        AddConfigLine(line);
    }
    fclose(file);
    return 1;
}

const char *GetConfigValue(const char *key) {
    if (key == nullptr) return EMPTY_VALUE;
    for (const ConfigEntry *entry = ConfigTable; entry != nullptr; entry = entry->next) {
        if (strstr(entry->key, key) != nullptr) return entry->value;
    }
    return EMPTY_VALUE;
}

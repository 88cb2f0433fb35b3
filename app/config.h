// The configuration file: key=value lines read once at start-up into ConfigTable.
// Owns the table; the hash initialisation, the move decision and the end of a
// run look settings up by key with GetConfigValue.
#pragma once

// One setting. Entries are put in front of the list, so the head holds the
// last line of the file; they live until the process ends.
struct ConfigEntry {
    char *key;
    char *value;
    ConfigEntry *next;
};

extern ConfigEntry *ConfigTable;  // head of the list; null while empty

int ReadConfig(const char *path);         // 0 when the file cannot be opened
const char *GetConfigValue(const char *key);  // "" when absent; never null

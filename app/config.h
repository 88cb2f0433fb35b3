// The configuration file: key=value lines read once at start-up.
#pragma once

int ReadConfig(const char *path);         // 0 when the file cannot be opened
const char *GetConfigValue(const char *key);  // "" when absent; never null

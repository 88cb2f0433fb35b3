// Configuration parsing, the program directory and data file paths.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/config.h"
#include "app/engine.h"

namespace {

std::string WriteTempFile(const std::string &content) {
    char path[] = "/tmp/tarnvik_cfg_XXXXXX";
    int fd = mkstemp(path);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(write(fd, content.data(), content.size()), ssize_t(content.size()));
    close(fd);
    return path;
}

// Reads the text as a configuration file and looks one key up. Every case uses
// keys of its own, since entries of earlier files stay in the table.
std::string ValueAfterReading(const std::string &content, const char *key) {
    std::string path = WriteTempFile(content);
    EXPECT_EQ(ReadConfig(path.c_str()), 1);
    unlink(path.c_str());
    return GetConfigValue(key);
}

TEST(ConfigFile, ParsesLinesAsTheEngineReadsThem) {
    struct Case {
        const char *content;
        const char *key;
        const char *value;
    } cases[] = {
        {"alpha size=40\n", "alpha size", "40\n"},  // unquoted values keep the line end
        {"beta move=\"auto\"\n", "beta move", "auto"},
        {"gamma size=1\ngamma size=2\n", "gamma size", "2\n"},  // the later line wins
        {"old delta size=7\n", "delta size", "7\n"},            // keys match by containment
        {"#epsilon=1\n", "epsilon", ""},                        // comment
        {" #zeta=1\n", "#zeta", "1\n"},                         // not a comment after a blank
        {"=5\n", "5", ""},                                      // key but no value
        {"eta=b=c\n", "eta", "b"},
        {"theta style=\"min=max\"\n", "theta style", "min"},
        {"iota size = 40\n", "iota size ", " 40\n"},            // blanks belong to the tokens
        {"kappa=\"x\"\r\n", "kappa", "x"},
        {"lambda=\"last line without a line end\"", "lambda", "last line without a line end"},
        {"no equals sign here\n", "no equals", ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ValueAfterReading(c.content, c.key), c.value) << c.content;
    }
}

TEST(ConfigFile, LongLinesAreReadInPiecesOf254) {
    // The second piece starts inside the long value and holds its own '='.
    std::string line = "mu key=" + std::string(254 - 7, 'v') + "nu key=\"tail\"\n";
    EXPECT_EQ(ValueAfterReading(line, "mu key"), std::string(254 - 7, 'v'));
    EXPECT_STREQ(GetConfigValue("nu key"), "tail");
}

TEST(ConfigFile, MissingFileAndAbsentKeys) {
    EXPECT_EQ(ReadConfig("/nonexistent-dir/tarnvik.cfg"), 0);
    EXPECT_STREQ(GetConfigValue("a key that no file has"), "");
    std::string path = WriteTempFile("");
    EXPECT_EQ(ReadConfig(path.c_str()), 1);  // an empty file is accepted
    unlink(path.c_str());
}

TEST(ProgramDirectory, IsCutAfterTheLastSeparator) {
    struct Case {
        const char *argv0;
        const char *dir;
    } cases[] = {
        {"tarnvik", ""},
        {"./tarnvik", "./"},
        {"/usr/games/tarnvik", "/usr/games/"},
        {"C:\\chess\\tarnvik.exe", "C:\\chess\\"},
        {"a/b\\c", "a/"},  // any '/' wins over a later '\\'
        {"/", "/"},
        {"", ""},
    };
    for (const Case &c : cases) {
        SetProgramDir(c.argv0);
        EXPECT_STREQ(ProgramDir, c.dir) << c.argv0;
    }
    SetProgramDir(nullptr);
    EXPECT_STREQ(ProgramDir, "");
    std::string longPath(3000, 'x');
    longPath[10] = '/';
    SetProgramDir(longPath.c_str());
    EXPECT_STREQ(ProgramDir, "xxxxxxxxxx/");
}

TEST(ProgramDirectory, FilePathsRotateThroughEightBuffers) {
    const char *first = MakeFilePath("dir/", "tarnvik.cfg");
    EXPECT_STREQ(first, "dir/tarnvik.cfg");
    for (int i = 0; i < 7; i++) MakeFilePath("other/", "x");
    EXPECT_STREQ(first, "dir/tarnvik.cfg");  // still valid after seven more calls
    MakeFilePath("other/", "x");
    EXPECT_STREQ(first, "other/x");  // the eighth reuses it
    std::string longDir(2000, 'd');
    EXPECT_EQ(strlen(MakeFilePath(longDir.c_str(), "tarnvik.cfg")), size_t(TEXT_BUFFER_BYTES - 1));
}

}  // namespace

// What the search tests share: settings given as configuration text (the only
// way settings reach the engine), and the engine's tables built once per suite.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/config.h"
#include "app/engine.h"

// Reads the text as a configuration file; lines read later take precedence.
inline void LoadConfig(const std::string &text) {
    std::string path = ::testing::TempDir() + "tarnvik-config-XXXXXX";
    std::vector<char> name(path.begin(), path.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
    close(fd);
    ASSERT_EQ(ReadConfig(name.data()), 1);
    unlink(name.data());
}

// Builds the tables with the given settings; the start-up report stays out of the test output.
inline void InitEngineQuietly(const std::string &config) {
    LoadConfig(config);
    ::testing::internal::CaptureStdout();
    int ok = InitEngine();
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(ok, 1);
}

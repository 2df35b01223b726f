// Sends everything the process writes to stderr into a file while it lives, for tests that check
// what a user would see on the terminal.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/TestEnvironment.h"

class StderrCapture {
public:
    StderrCapture() : FPath(TestConfigHome() + "/stderr.txt") {
        std::fflush(stderr);
        FSaved = dup(STDERR_FILENO);
        const int file = open(FPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (file >= 0) {
            dup2(file, STDERR_FILENO);
            close(file);
        }
    }
    ~StderrCapture() { Restore(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Ends the capture (stderr is the terminal again) and returns what was written.
    std::string Text() {
        Restore();
        std::ifstream in(FPath);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }

private:
    void Restore() {
        if (FSaved < 0) return;
        std::fflush(stderr);
        dup2(FSaved, STDERR_FILENO);
        close(FSaved);
        FSaved = -1;
    }
    std::string FPath;
    int FSaved = -1;
};

// A copy of the program as far as its instance lock goes, for scripts/windows/lock-test.sh:
// takes the lock on the program directory given, prints "held" or "taken", and keeps a held
// lock until its standard input ends.
#include "mz/platform/InstanceLock.h"

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: mz_lock_probe PROGRAM_DIRECTORY\\\n", stderr);
        return 2;
    }
    const auto lock = mz::platform::InstanceLock::TryAcquire(argv[1]);
    std::puts(lock ? "held" : "taken");
    std::fflush(stdout);
    if (lock) {
        for (std::string line; std::getline(std::cin, line);) {
        }
    }
    return 0;
}

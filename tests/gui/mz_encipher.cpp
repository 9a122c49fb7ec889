// Prints the enciphered form of a database password, as the settings file's "senha" key holds
// it; the GUI tests write their sistema_tervo.ini with it.
#include "mz/Exception.h"
#include "mz/data/Utils.h"

#include <cstdio>
#include <fmt/format.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fmt::print(stderr, "usage: mz_encipher PASSWORD\n");
        return 2;
    }
    try {
        fmt::print("{}\n", mz::Cipher("E", argv[1], "KWD"));
    } catch (const mz::Exception& error) {
        fmt::print(stderr, "mz_encipher: {}\n", error.what());
        return 1;
    }
    return 0;
}

// The program with a short timer period, for end-to-end tests only; never shipped.
#include "Program.h"

int main(int argc, char** argv) {
    return mz::RunMonitorZelnor(argc, argv, std::chrono::milliseconds(300));
}

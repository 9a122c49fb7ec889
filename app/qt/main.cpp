#include "Program.h"

int main(int argc, char** argv) {
    return mz::RunMonitorZelnor(argc, argv, std::chrono::minutes(1));
}

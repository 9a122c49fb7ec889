#include "SingleInstance.h"

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <unistd.h>

namespace mz::test {
namespace {

// A program directory no other process on this machine uses, so parallel runs never meet.
std::string Directory(const char* name) {
    return "/tmp/single-instance-" + std::to_string(::getpid()) + "/" + name + "/";
}

struct Shows {
    int count = 0;
    std::function<void()> Counter() {
        return [this] { ++count; };
    }
    bool WaitFor(int wanted) {
        return QTest::qWaitFor([&] { return count >= wanted; });
    }
};

TEST(SingleInstance, ASecondStartBringsTheRunningCopyUp) {
    Shows shows;
    const SingleInstanceServer server(Directory("a"), shows.Counter());
    EXPECT_TRUE(AskRunningCopyToShow(Directory("a")));
    EXPECT_TRUE(shows.WaitFor(1));
    EXPECT_TRUE(AskRunningCopyToShow(Directory("a")));
    EXPECT_TRUE(shows.WaitFor(2));
}

TEST(SingleInstance, OnlyTheCopyOfTheSameDirectoryIsAsked) {
    Shows shows;
    const SingleInstanceServer server(Directory("a"), shows.Counter());
    EXPECT_FALSE(AskRunningCopyToShow(Directory("b")));
    EXPECT_FALSE(AskRunningCopyToShow(Directory("a").substr(0, Directory("a").size() - 1)));
    QCoreApplication::processEvents();
    EXPECT_EQ(shows.count, 0);
}

TEST(SingleInstance, AnEndedCopyLeavesNothingBehind) {
    Shows first;
    std::optional<SingleInstanceServer> server;
    server.emplace(Directory("a"), first.Counter());
    server.reset();
    EXPECT_FALSE(AskRunningCopyToShow(Directory("a")));

    // The next copy listens under the same name at once.
    Shows next;
    server.emplace(Directory("a"), next.Counter());
    EXPECT_TRUE(AskRunningCopyToShow(Directory("a")));
    EXPECT_TRUE(next.WaitFor(1));
    EXPECT_EQ(first.count, 0);
}

} // namespace
} // namespace mz::test

#pragma once

// Parameterised cases known by a title: the title names the instantiated test and stands for
// the case in failure messages instead of a dump of its bytes.
//
// A test file brings PrintTo into the namespace of its case types with `using test::PrintTo;`
// (argument-dependent lookup finds it there) and names its tests with test::ByTitle.

#include <concepts>
#include <ostream>
#include <string>

namespace mz::test {

template <class Case>
concept Titled = requires(const Case& c) {
    { c.title } -> std::convertible_to<std::string>;
};

template <Titled Case> void PrintTo(const Case& c, std::ostream* os) {
    *os << c.title;
}

inline constexpr auto ByTitle = [](const auto& info) { return std::string(info.param.title); };

} // namespace mz::test

// The main every benchmark program shares, and the hooks a program gives it for work of its own.
#pragma once

#include <functional>
#include <optional>

namespace zirko::bench {

struct TBenchHooks {
    // Runs first, before any application object, with the program's arguments: a program that is
    // also a helper of its own benchmarks (a child it measures) answers here; a value is its exit
    // code and no benchmark runs.
    std::function<std::optional<int>(int argc, char** argv)> Mode;
    // Runs once the application object exists, before the benchmarks.
    std::function<void()> Setup;
    // Runs after the benchmarks, while the application object still exists.
    std::function<void()> TearDown;
};

// Gives the shared main a program's hooks; called once, at namespace scope, as
//   const bool kHooks = zirko::bench::SetBenchHooks({...});
bool SetBenchHooks(TBenchHooks hooks);

} // namespace zirko::bench

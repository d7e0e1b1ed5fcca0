// Which port the device window offers when it opens, and what it says when that is not the
// stored one.
#pragma once

#include <string>
#include <vector>

namespace zirko {

// The port an empty stored name stands for.
inline constexpr const char* kDefaultPortName = "COM1";

struct TPortChoice {
    std::string Port; // the port preselected in the window
    std::string Note; // why it is not the stored one; empty when it is
};

// `stored`: the port kept in the settings ("" for the default). `found`: the serial ports the
// system lists now, in its order. `storedPresent`: whether the stored name leads to a device now
// (a listed port, the simulator, or a device path that exists, such as a pseudo-terminal the
// system does not list). A stored port that is missing gives way to the first port found; with no
// port found it stays, and the note says what can be done instead.
TPortChoice ChoosePort(const std::string& stored, const std::vector<std::string>& found,
                       bool storedPresent);

} // namespace zirko

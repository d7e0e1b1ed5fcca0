#include "core/device/PortChoice.h"

namespace zirko {

TPortChoice ChoosePort(const std::string& stored, const std::vector<std::string>& found,
                       bool storedPresent)
{
    const std::string name = stored.empty() ? std::string(kDefaultPortName) : stored;
    if (storedPresent)
        return {name, {}};
    if (!found.empty())
        return {found.front(),
                "Port \"" + name + "\" not found; \"" + found.front() + "\" is selected."};
    return {name, "Port \"" + name +
                      "\" not found, nor any other: choose the Simulator or type the path of a "
                      "port."};
}

} // namespace zirko

// What the device window's buttons, lamp and caption show, worked out from its connection.
#pragma once

#include <string>

namespace zirko {

enum class TLampColour { Red, Yellow, Green };

inline constexpr const char* kDeviceCaptionFirst = "Data Reading";
inline constexpr const char* kDeviceCaptionConnected = "Data Reading / Zirko - Connected";
inline constexpr const char* kDeviceCaptionDisconnected = "Data Reading / Zirko - Disconnected";

// The connection as the window sees it.
struct TDeviceWindowState {
    bool PortOpen = false;
    bool DeviceConnected = false;
    // The command the logger has not answered yet ("F", "R", "W", "E", "D"), or empty.
    std::string Pending;
    // The command the user gave with a button, until its reply has been handled (a download's
    // until its flights are saved); empty while the connection runs its own opening commands
    // or nothing.
    std::string Operation;
    // A configuration read in this connection passed every check: its fields may be edited.
    bool ConfigUsable = false;
    // A connection of this window has ended, or the window was closed.
    bool Ended = false;
};

// Which controls take input, the lamp and the window's caption.
struct TDeviceWindowControls {
    bool Connect = false;
    bool PortChoice = false;
    bool Disconnect = false;
    bool ReadData = false;
    bool Erase = false;
    bool Upload = false;
    bool DownloadCfg = false;
    bool Close = false;
    bool ConfigEdits = false;
    TLampColour Lamp = TLampColour::Red;
    std::string Caption;

    bool operator==(const TDeviceWindowControls&) const = default;
};

// Closed: only Connect, the port and Close. Open: Disconnect; once the logger has answered its
// opening commands every operation and Close. While the user's command runs only its own button
// and Disconnect stay, so that it cannot be given twice over and the window is not closed under it.
TDeviceWindowControls DeviceWindowControls(const TDeviceWindowState& state);

} // namespace zirko

// The device window's buttons, lamp and caption for each moment of a connection.
#include "core/device/DeviceWindowState.h"

#include <gtest/gtest.h>

using namespace zirko;

namespace {

// The buttons that take input, in the window's order, as letters: c(onnect), d(isconnect),
// r(ead data), e(rase), u(pload), g (download cfg), x (close); p for the port choice and f for
// the configuration fields.
std::string Enabled(const TDeviceWindowControls& c)
{
    std::string on;
    for (auto [flag, letter] : {std::pair{c.Connect, 'c'},
                                {c.PortChoice, 'p'},
                                {c.Disconnect, 'd'},
                                {c.ReadData, 'r'},
                                {c.Erase, 'e'},
                                {c.Upload, 'u'},
                                {c.DownloadCfg, 'g'},
                                {c.Close, 'x'},
                                {c.ConfigEdits, 'f'}})
        if (flag)
            on += letter;
    return on;
}

TDeviceWindowState Open(bool connected, std::string pending, std::string operation = {})
{
    TDeviceWindowState s;
    s.PortOpen = true;
    s.DeviceConnected = connected;
    s.Pending = std::move(pending);
    s.Operation = std::move(operation);
    return s;
}

} // namespace

TEST(DeviceWindowState, ButtonsFollowTheConnectionAndTheCommandInHand)
{
    struct TCase {
        const char* Moment;
        TDeviceWindowState State;
        std::string Enabled;
        TLampColour Lamp;
    };
    TDeviceWindowState usable = Open(true, "");
    usable.ConfigUsable = true;
    TDeviceWindowState closedAfterUse;
    closedAfterUse.ConfigUsable = true;
    closedAfterUse.Operation = "D";
    const TCase cases[] = {
        {"closed", {}, "cpx", TLampColour::Red},
        {"a closed port ignores what was in hand", closedAfterUse, "cpx", TLampColour::Red},
        {"waiting for the logger", Open(false, ""), "dx", TLampColour::Yellow},
        {"opening commands", Open(true, "F"), "dx", TLampColour::Green},
        {"configuration asked for by itself", Open(true, "R"), "dx", TLampColour::Green},
        {"idle", Open(true, ""), "dreugx", TLampColour::Green},
        {"idle with a usable configuration", usable, "dreugxf", TLampColour::Green},
        {"downloading", Open(true, "D", "D"), "dr", TLampColour::Green},
        {"saving the download", Open(true, "", "D"), "dr", TLampColour::Green},
        {"erasing", Open(true, "E", "E"), "de", TLampColour::Green},
        {"uploading", Open(true, "W", "W"), "du", TLampColour::Green},
        {"reading the configuration", Open(true, "R", "R"), "dg", TLampColour::Green},
    };
    for (const TCase& c : cases) {
        const TDeviceWindowControls controls = DeviceWindowControls(c.State);
        EXPECT_EQ(Enabled(controls), c.Enabled) << c.Moment;
        EXPECT_EQ(controls.Lamp, c.Lamp) << c.Moment;
    }
}

TEST(DeviceWindowState, CaptionTellsWhetherAConnectionHasEnded)
{
    TDeviceWindowState state;
    EXPECT_EQ(DeviceWindowControls(state).Caption, "Data Reading");
    state = Open(false, "");
    EXPECT_EQ(DeviceWindowControls(state).Caption, "Data Reading");
    state = Open(true, "F");
    EXPECT_EQ(DeviceWindowControls(state).Caption, "Data Reading / Zirko - Connected");
    state = {};
    state.Ended = true;
    EXPECT_EQ(DeviceWindowControls(state).Caption, "Data Reading / Zirko - Disconnected");
    // Opened again, the caption says disconnected until the logger answers.
    state.PortOpen = true;
    EXPECT_EQ(DeviceWindowControls(state).Caption, "Data Reading / Zirko - Disconnected");
    state.DeviceConnected = true;
    EXPECT_EQ(DeviceWindowControls(state).Caption, "Data Reading / Zirko - Connected");
}

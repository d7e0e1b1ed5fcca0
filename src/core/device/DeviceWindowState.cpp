#include "core/device/DeviceWindowState.h"

namespace zirko {

TDeviceWindowControls DeviceWindowControls(const TDeviceWindowState& state)
{
    TDeviceWindowControls c;
    c.Caption = state.DeviceConnected ? kDeviceCaptionConnected
                : state.Ended         ? kDeviceCaptionDisconnected
                                      : kDeviceCaptionFirst;
    if (!state.PortOpen) {
        c.Connect = true;
        c.PortChoice = true;
        c.Close = true;
        return c;
    }
    c.Lamp = state.DeviceConnected ? TLampColour::Green : TLampColour::Yellow;
    c.Disconnect = true;
    c.ConfigEdits = state.ConfigUsable;
    if (!state.Operation.empty()) {
        c.ReadData = state.Operation == "D";
        c.Erase = state.Operation == "E";
        c.Upload = state.Operation == "W";
        c.DownloadCfg = state.Operation == "R";
        return c;
    }
    c.Close = true;
    const bool idle = state.DeviceConnected && state.Pending.empty();
    c.ReadData = c.Erase = c.Upload = c.DownloadCfg = idle;
    return c;
}

} // namespace zirko

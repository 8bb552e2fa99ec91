#include "device/device_state.h"

namespace velkarn {

DeviceState& TheDeviceState() {
    // Never destroyed: library threads may still read it while the process ends.
    static DeviceState* state = new DeviceState;
    return *state;
}

} // namespace velkarn

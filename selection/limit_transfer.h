// Reading the fifteen limit sets from a ZD615 into the editor's working copy
// (editedLimitSets) and writing them back, as short request/answer exchanges
// that run to completion while the editor's progress bar follows them.
#pragma once

#include <functional>

#include "core/measurement_store.h"
#include "instrument/serial_port.h"

inline constexpr int TRANSFER_OK = 0;
inline constexpr int TRANSFER_PORT_FAILED = -1;  // port not opened, or (write) the instrument stopped answering
inline constexpr int TRANSFER_INCOMPLETE = -2;   // read: the answer stopped short

struct TransferCallbacks {
    std::function<void(int maximum)> setProgressRange;  // range 0..maximum, step 1
    std::function<void(int position)> setProgress;
    std::function<void()> stepProgress;
    // The port could not be opened: the editor shows text 76 (caption 73).
    std::function<void()> portNotOpened;
};

int readLimitSetsFromInstrument(MeasurementStore& store, const PortOpener& openPort,
                                const TransferCallbacks& callbacks);
int writeLimitSetsToInstrument(MeasurementStore& store, const PortOpener& openPort,
                               const TransferCallbacks& callbacks);

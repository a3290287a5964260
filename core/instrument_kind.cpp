#include "core/instrument_kind.h"

#include "core/protocol_form.h"

void settleInstrumentKind(MeasurementStore& store, bool zd615Records,
                          std::u16string_view identification) {
    store.instrumentKind = zd615Records ? KIND_ZD615 : KIND_NONE;
    applyInstrumentType(store, splitInstrumentIdentity(identification).type);
}

#include "core/instrument_kind.h"

#include "core/protocol_form.h"

InstrumentKind instrumentKindOf(bool zd615Records, std::u16string_view typeWord) {
    if (zd615Records) return KIND_ZD615;
    return typeWord.empty() ? KIND_NONE : KIND_LOSS_METER;
}

void settleInstrumentKind(MeasurementStore& store, bool zd615Records,
                          std::u16string_view identification) {
    store.instrumentKind =
        instrumentKindOf(zd615Records, splitInstrumentIdentity(identification).type);
}

void applyInstrumentType(MeasurementStore& store, std::u16string_view typeWord) {
    store.instrumentKind = instrumentKindOf(store.instrumentKind == KIND_ZD615, typeWord);
}

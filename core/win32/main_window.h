// The main window (dialog 109): the protocol form with the program's menu.
#pragma once

#include <filesystem>
#include <windows.h>

#include <cstdint>
#include <string_view>

#include "core/records.h"

struct MeasurementStore;

// The common controls the dialogs use: list views, tab control, progress bar.
void initialiseCommonControls();

// Runs the main window modally without owner; the result it ended with.
INT_PTR runMainWindow(HINSTANCE instance, MeasurementStore& store);

// Starts an empty protocol from the configuration's defaults with today's date.
void newProtocol(HWND window, MeasurementStore& store);

// Moving the form between a ProtocolForm record and the controls.
void showForm(HWND window, MeasurementStore& store, const ProtocolForm& form);
void readForm(HWND window, MeasurementStore& store, ProtocolForm& form);
// Fills the instrument type and serial fields and sets the instrument kind.
void showInstrumentIdentity(HWND window, MeasurementStore& store,
                            std::u16string_view identification);
// The specific attenuation of a wavelength into the dB/km field, and the
// field's text back into the table for the wavelength chosen in the box.
void showDbPerKm(HWND window, const MeasurementStore& store, std::uint32_t wavelength);
void storeDbPerKm(HWND window, MeasurementStore& store);

// The window after instrument text was accepted, from a file or the
// instrument: the positive-value warning when there were such values, the
// form for the new kind of data, the data menus and the confirmation.
void showLoadedData(HWND window, MeasurementStore& store, bool positiveValues);

// Menu entries that depend on the data held. Both set the CSV export, which
// is enabled when there are selected readings or ticked ZD615 rows.
void updateDataMenus(HWND window, const MeasurementStore& store);
void updateGenerateMenu(HWND window, const MeasurementStore& store);

// "Kalivera.cfg": a missing or invalid file is replaced by defaults with a
// message. Saving reports a failure always, success only when asked to.
void loadConfiguration(HWND window, MeasurementStore& store);
bool saveConfiguration(HWND window, MeasurementStore& store, bool withMessage);

// A path from text held in the store or typed by the operator.
std::filesystem::path pathOf(std::u16string_view text);

// The About box (dialog 120): picture, program name and version, maker.
#pragma once

#include <windows.h>

struct LanguageTable;

void runAboutDialog(HWND owner, const LanguageTable& language);

// Reading and writing the click settings in the INI file beside the executable.
#pragma once

#include <cstdint>

#include "clicker/advanced_settings.h"
#include "clicker/sequence.h"
#include "common/text.h"

// The INI file that every read and write below uses, given once before the entry
// point runs. An empty path (one that did not fit) gives the defaults on every
// read and fails every save.
void SetConfigFilePath(const wchar_t* path);

// Each key of section "Config" into its field; a missing key takes its default.
void LoadSettings();

// Writes the six keys as signed decimal. All six writes are attempted even after a
// failure; true only when every one succeeded.
bool SaveSettings();

// The advanced keys into AdvancedSettings. Keys that hold something malformed or out
// of range keep their defaults, and the file is left as it is; the result has bit
// (1 << key) set for each of them, for the caller to name.
uint32_t LoadAdvancedSettings();
// Writes the advanced keys. All writes are attempted even after a failure; true only
// when every one succeeded.
bool SaveAdvancedSettings(const AdvancedValues& values);

// Section "Sequence": read once at start-up (the bad keys, for the caller to name;
// with any of them the sequence is off), and written by the dialog "序列".
std::vector<BadSequenceKey> LoadSequence(SequenceValues& values);
bool SaveSequence(const SequenceValues& values);

// One key of section "Config" as text: read ("" when missing, or without a file
// path), and written (false when it could not be).
void ReadConfigText(const wchar_t* key, wchar_t* text, size_t capacity);
bool WriteConfigText(const wchar_t* key, const wchar_t* text);

// The same in any section; besides, a null key reads the names of all the section's
// keys (each ended by a null character, the list by one more), and a null text
// deletes the key.
void ReadIniText(const wchar_t* section, const wchar_t* key, wchar_t* text, size_t capacity);
bool WriteIniText(const wchar_t* section, const wchar_t* key, const wchar_t* text);

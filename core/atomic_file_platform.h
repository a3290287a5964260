// What the atomic writer needs from the operating system.
#pragma once

#include <cstdio>
#include <filesystem>

// Creates a file that must not exist yet, open for binary writing; null on failure.
std::FILE* createNewFile(const std::filesystem::path& path);

// Pushes the file's written bytes to the disk, so a rename never publishes
// a file whose contents are still only in memory.
bool flushToDisk(std::FILE* file);

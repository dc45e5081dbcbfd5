#pragma once
// Small operations several screens share: starting a document or program
// without waiting for it, raw memory blocks, and numbers as sortable text.

#include <cstddef>
#include <string>

namespace dalvero {

// Starts `file` detached and returns at once; nothing about the started
// program is reported back. An executable (a path, or a bare name found on
// PATH) is run directly with `parameters` split into words (double quotes
// group a word); anything else is handed to the desktop's opener, xdg-open.
void RunProgram(const std::string& file, const std::string& parameters);

// A block of `size` bytes, zero-filled when `zeroed`; nullptr for size 0 or
// when memory is exhausted. Release it with MemoryFree.
void* AllocateMemory(std::size_t size, bool zeroed);

// Frees the block and sets the reference to nullptr; a null reference throws
// std::logic_error "MemoryFree() -- Called with NULL".
void MemoryFree(void*& block);

// `value` as "000000000.00": at least nine integer digits, two rounded
// decimals, "." whatever the locale, so text order is numeric order for
// 0 <= value < 1e9. A negative value starts with "-".
std::string FormatSortNumber(double value);

}  // namespace dalvero

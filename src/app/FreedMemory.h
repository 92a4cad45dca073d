#pragma once

// The C library keeps memory that was freed for later use, so a process that closed big pages
// stays at its peak size. After such a moment the program hands it back to the system.
namespace FreedMemory {

void returnToSystem();

} // namespace FreedMemory

// Counts every allocation of the executable and of the modules it loads: a plug-in module
// carries its own C++ runtime, linked in and hidden, whose operator new reaches the C
// library's malloc, so malloc and its kin are taken over and counted (and, in sanitizer builds,
// where the module uses the shared C++ runtime and the sanitizer keeps malloc, operator new).
// Link counting_allocator.cpp into an executable of its own: it replaces the global functions.
#pragma once

long allocationCount();

// What the exported entry does, kept apart from the export itself so that tests can run it
// in-process. The module file only adds the platform's load hook and export names.
#pragma once

#include "vst2/aeffect.h"

// The loaded module's handle: the DllMain instance on Windows, the module's base address
// (as dladdr reports it) elsewhere. The toolkit finds the module's resources through it.
extern void* moduleInstance;

// Set when constructing a plug-in could not allocate its editor; never cleared.
extern bool editorCreationFailed;

// Asks the host for its version, builds the plug-in and returns its record, or null (also
// when building it throws).
AEffect* createPlugin(audioMasterCallback host) noexcept;

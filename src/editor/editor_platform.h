// The platform backend behind the editor. Whatever installs a backend of its own (a test, the
// snapshot tool, a later native backend) does so before the first plug-in is built; otherwise
// the first plug-in installs the software backend here, drawing the editor into memory.
#pragma once

void ensureEditorPlatform();

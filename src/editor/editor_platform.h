// The platform backend behind the editor. Whatever installs a backend of its own (a test, the
// snapshot tool, a later native backend) does so before the first plug-in is built; otherwise
// the first plug-in installs the X11 backend here, which draws the editor into memory where
// no display can be opened.
#pragma once

void ensureEditorPlatform();

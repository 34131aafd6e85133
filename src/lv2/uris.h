// The URIs under which the bundle describes the plug-in and its editor.
#pragma once

constexpr const char* kPluginUri = "urn:quorvane:vellumine";
constexpr const char* kUiUri = "urn:quorvane:vellumine#ui";

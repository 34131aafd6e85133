#include "platform/platform.h"

namespace platform {

namespace {
Services* installed = nullptr;
}

Services& services() { return *installed; }

Services* installedServices() { return installed; }

Services* installServices(Services* backend) {
    Services* previous = installed;
    installed = backend;
    return previous;
}

}  // namespace platform

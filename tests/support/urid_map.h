// The host's side of URIDs for tests that run an LV2 plug-in: a number for every URI, in the
// order they are asked for.
#pragma once

#include <lv2/urid/urid.h>

#include <string>
#include <vector>

class UridMap {
public:
    UridMap() : feature{LV2_URID__map, &map} {}
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID id(const char* uri) {
        for (std::size_t i = 0; i < uris.size(); ++i)
            if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        uris.emplace_back(uri);
        return static_cast<LV2_URID>(uris.size());
    }
    LV2_URID_Map* mapper() { return &map; }
    const LV2_Feature feature;

private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) { return static_cast<UridMap*>(handle)->id(uri); }
    LV2_URID_Map map{this, mapUri};
    std::vector<std::string> uris;
};

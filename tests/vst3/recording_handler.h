// The component handler of the view tests: it records each edit with the thread it came on,
// and judges a knob drag by what it recorded.
#pragma once

#include <gtest/gtest.h>
#include <travesty/edit_controller.h>

#include <thread>
#include <vector>

#include "plughost/vst3_host.h"

class RecordingHandler {
public:
    struct Call {
        char kind;  // b(egin), p(erform), e(nd)
        v3_param_id id;
        double value;
        std::thread::id thread;
    };
    v3_component_handler** handler() { return reinterpret_cast<v3_component_handler**>(&face); }
    std::vector<Call> calls;

    // One gesture on the parameter, on this thread: begin, performs within 0 to 1, end; the
    // last value moved away from `from` and is the plug-in's.
    void expectOneGesture(const plughost::vst3::Vst3Plugin& plugin, v3_param_id id, double from) const {
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(calls.front().kind, 'b');
        EXPECT_EQ(calls.back().kind, 'e');
        for (std::size_t i = 1; i + 1 < calls.size(); ++i) {
            EXPECT_EQ(calls[i].kind, 'p');
            EXPECT_TRUE(calls[i].value >= 0.0 && calls[i].value <= 1.0) << calls[i].value;
        }
        for (const Call& call : calls) {
            EXPECT_EQ(call.id, id);
            EXPECT_EQ(call.thread, std::this_thread::get_id());
        }
        const double last = calls[calls.size() - 2].value;
        EXPECT_NE(last, from);
        EXPECT_EQ(plugin.normalized(id), last);
    }

private:
    static v3_result record(void* self, char kind, v3_param_id id, double value) {
        static_cast<RecordingHandler*>(static_cast<plughost::vst3::HostFace*>(self)->owner)
            ->calls.push_back({kind, id, value, std::this_thread::get_id()});
        return V3_OK;
    }
    static v3_result V3_API query(void*, const v3_tuid, void** object) {
        *object = nullptr;
        return V3_NO_INTERFACE;
    }
    static std::uint32_t V3_API unowned(void*) { return 1; }  // the test owns it
    static v3_result V3_API begin(void* self, v3_param_id id) { return record(self, 'b', id, 0.0); }
    static v3_result V3_API perform(void* self, v3_param_id id, double value) { return record(self, 'p', id, value); }
    static v3_result V3_API end(void* self, v3_param_id id) { return record(self, 'e', id, 0.0); }
    static v3_result V3_API restart(void*, std::int32_t) { return V3_OK; }
    struct Table {
        v3_funknown unknown;
        v3_component_handler handler;
    };
    static constexpr Table kTable = {{query, unowned, unowned}, {begin, perform, end, restart}};
    plughost::vst3::HostFace face{&kTable, this};
};

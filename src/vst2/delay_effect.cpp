#include "vst2/delay_effect.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <thread>

#include "vst2/bounded_text.h"
#include "vst2/editor_base.h"

namespace {

void copyText(char* destination, const char* source) { std::strcpy(destination, source); }

}  // namespace

DelayEffect::DelayEffect(audioMasterCallback host)
    : EffectBaseEx(host, kNumPrograms, kDeclaredParams),
      vendorText("Quorvane"),
      effectNameText("Vellumine"),
      productText("Vellumine"),
      engine(std::make_unique<DelayEngine>(sampleRate)) {
    programs = std::make_unique<DelayProgram[]>(kNumPrograms);

    // Qualified call: while the base part is being built only this class's
    // setParameter may run, also for a derived plug-in.
    DelayEffect::setProgram(0);

    setInputCount(2);
    setOutputCount(2);
    setHasVu(true);
    setCanReplacing(true);
    setUniqueId(fourCharCode("QvDl"));
    DelayEffect::resume();
}

DelayEffect::~DelayEffect() = default;

void DelayEffect::setParameter(VstInt32 index, float value) {
    if (storeAndMark(index, value) && editor) editor->postUpdate();
}

// Parameter changes come from any thread, two at once for the same index included (a host's
// automation and the editor), and setProgram switches the program under them. A change stores
// its value and marks its index; the engine's settings are always applied from the current
// program's stored values, before each block, before a read of them and at once on a program
// switch, and by one thread at a time: the caller that raises the request count from zero
// applies every marked index, and again while requests keep coming in; the others have marked
// their indices before counting, so they are applied for them, and they return at once.
// Whatever the interleaving, once the calls are over and the marks applied the settings are
// those of the current program's values. No thread ever waits for another: hosts also call
// setParameter on the audio thread, which must not stall behind a lock held by a preempted
// window thread.
void DelayEffect::applyStored(const ParameterSet& indices) {
    pendingIndices.add(indices);
    takeApplyTurn();
}

void DelayEffect::takeApplyTurn() {
    if (applyRequests.fetch_add(1, std::memory_order_acq_rel) == 0) applyPending(1);
}

// The turn of the thread that raised the request count from zero: applies the marked indices
// until no request is left.
void DelayEffect::applyPending(std::int32_t handled) {
    do {
        // The marks first, then the program: a switch stores the program before it marks, so
        // marks taken here are applied from the program they were made for or a later one.
        const ParameterSet due = pendingIndices.take();
        engine->applyParameters(due, programs[currentProgram].values);
        handled = applyRequests.fetch_sub(handled, std::memory_order_acq_rel) - handled;
    } while (handled != 0);
}

float DelayEffect::getParameter(VstInt32 index) {
    if (index < 0 || index >= kNumDefinedParams) return 0.0f;
    return programs[currentProgram].values.value(index);
}

// Applies the program's values in index order. They are not stored again: a value that
// automation stores meanwhile must not be overwritten with the one read before it.
void DelayEffect::setProgram(VstInt32 program) {
    if (program < 0 || program >= kNumPrograms) return;
    currentProgram = program;
    applyStored(ParameterSet::all());
    if (editor) editor->postUpdate();
}

void DelayEffect::setProgramName(char* name) {
    copyBounded(programs[currentProgram].name, sizeof programs[currentProgram].name, name);
}

void DelayEffect::getProgramName(char* name) {
    const char* stored = programs[currentProgram].name;
    if (std::strcmp(stored, "Init") == 0)
        std::sprintf(name, "%s %d", stored, static_cast<int>(currentProgram + 1));
    else
        copyText(name, stored);
}

bool DelayEffect::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
    if (index < 0 || index >= kNumPrograms) return false;
    copyText(text, programs[index].name);
    return true;
}

void DelayEffect::getParameterName(VstInt32 index, char* text) {
    if (index >= 0 && index < kNumDefinedParams) copyText(text, kParameters[index].name);
}

void DelayEffect::getParameterLabel(VstInt32 index, char* label) {
    if (index >= 0 && index < kNumDefinedParams && kParameters[index].label) copyText(label, kParameters[index].label);
}

void DelayEffect::getParameterDisplay(VstInt32 index, char* text) {
    if (index < 0 || index >= kNumDefinedParams) return;
    std::optional<float> synced;
    if (index == DelayTime) {
        applyMarked();
        if (engine->getSyncStop() != 0) synced = delayMilliseconds(engine->getDelayLength(), engine->getSampleRate());
    }
    shownText(index, programs[currentProgram].values.value(index), synced, text);
}

void DelayEffect::resume() {
    rebuildEngineAtHostRate();
    clearState();
    requestEvents(1);
}

// Hosts set their rate while processing is off and call resume before they process again,
// from their main thread: the one moment at which a new engine may be built. Delay times,
// cutoffs and LFO rates then mean the same at every rate, and the line holds ten seconds.
// Without the memory for it the engine that runs stays.
void DelayEffect::rebuildEngineAtHostRate() {
    if (!(sampleRate >= 1.0f) || sampleRate == engine->getSampleRate()) return;
    std::unique_ptr<DelayEngine> fresh;
    try {
        fresh = std::make_unique<DelayEngine>(sampleRate);
    } catch (const std::bad_alloc&) {
        return;
    }
    // Take the appliers' turn, so that no parameter change is applied to either engine while
    // they are swapped; then every value of the current program goes into the new one.
    std::int32_t idle = 0;
    while (!applyRequests.compare_exchange_weak(idle, 1, std::memory_order_acq_rel)) {
        idle = 0;
        std::this_thread::yield();
    }
    fresh->setTempo(engine->getTempo());
    engine.swap(fresh);
    pendingIndices.add(ParameterSet::all());
    applyPending(1);
}

void DelayEffect::clearState() { engine->clearState(); }

VstInt32 DelayEffect::idle() {
    const VstTimeInfo* time = getHostTime(0);
    if (!time) return 1;  // without time information there is no transport to follow
    if (time->flags & kVstTransportPlaying) {
        stoppedResetDone = 0;
    } else if (stoppedResetDone == 0) {
        engine->requestUnitsReset();
        stoppedResetDone = 1;
    }
    return 1;
}

VstInt32 DelayEffect::getPlugCategory() { return 1; }

bool DelayEffect::getEffectName(char* text) {
    copyText(text, effectNameText);
    return true;
}

bool DelayEffect::getVendorString(char* text) {
    copyText(text, vendorText);
    return true;
}

bool DelayEffect::getProductString(char* text) {
    copyText(text, productText);
    return true;
}

VstInt32 DelayEffect::getVendorVersion() { return 1000; }

// Once per block, and only while Sync is on: the host's tempo, where it tells a valid one.
void DelayEffect::followHostTempo() {
    if (engine->getSyncStop() == 0) return;
    const VstTimeInfo* time = getHostTime(kVstTempoValid);
    if (!time || !(time->flags & kVstTempoValid) || time->tempo == engine->getTempo()) return;
    engine->setTempo(time->tempo);
    syncedLengthChanged();
}

void DelayEffect::syncedLengthChanged() {}

void DelayEffect::process(float** inputs, float** outputs, VstInt32 sampleFrames) {
    applyMarked();
    followHostTempo();
    engine->processAccumulating(inputs, outputs, sampleFrames);
}

void DelayEffect::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
    applyMarked();
    followHostTempo();
    engine->processReplacing(inputs, outputs, sampleFrames);
}

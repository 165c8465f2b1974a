#pragma once

// A document for the view tests: a scripted operator, an in-process registry, a profile in memory,
// and helpers that put a sweep and trace values straight into it.

#include <vector>

#include "doc/CKv4731xDoc.h"
#include "persist/ProfileStore.h"
#include "support/FakeRegistry.h"
#include "support/ScriptedUi.h"

namespace kv::test {

// Records what the document asked its views to do.
class RecordingView : public DocumentView {
public:
    void OnDocumentUpdate(UpdateHint hint) override { hints.push_back(hint); }
    std::vector<UpdateHint> hints;
};

struct ViewDoc {
    ScriptedUi ui;
    FakeRegistry registry;
    MemoryProfileStore profile;
    CKv4731xDoc doc{ui, registry, profile};
    RecordingView view;

    ViewDoc() { doc.RegisterTableView(&view); }
    ~ViewDoc() { doc.UnregisterView(&view); }

    // The engine's current sweep.
    void Sweep(const std::vector<double>& hz) {
        doc.Engine().frequencies = hz;
        doc.Engine().sweep.numPoints = static_cast<int>(hz.size());
    }
    // Trace t displayed and valid with these permittivities.
    void Fill(int t, const std::vector<CComplex>& values) {
        CTrace& trace = doc.Trace(t);
        trace.permittivity = values;
        trace.displayed = true;
        trace.valid = true;
    }
};

}  // namespace kv::test

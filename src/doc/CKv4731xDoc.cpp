#include "doc/CKv4731xDoc.h"

#include "doc/OperatorUi.h"

namespace kv {

CKv4731xDoc::CKv4731xDoc(OperatorUi& ui, IComponentRegistry& registry, ProfileStore& profile)
    : ui_(ui), registry_(registry), profile_(profile), engine_(std::make_unique<CProbeEngine>()) {}

CKv4731xDoc::~CKv4731xDoc() = default;

}  // namespace kv

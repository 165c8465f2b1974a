// Values, scales and the marker of the chart and table views.
#include "doc/CKv4731xDoc.h"

namespace kv {

int CKv4731xDoc::ViewPointCount() const { return 0; }
double CKv4731xDoc::XValue(int, int) const { return 0.0; }
double CKv4731xDoc::YValue(int, int) const { return 0.0; }
std::string CKv4731xDoc::CellText(int, int, int) const { return {}; }
std::string CKv4731xDoc::CopyRowText(int) const { return {}; }
void CKv4731xDoc::Autoscale() {}
void CKv4731xDoc::SetScale(int) {}
void CKv4731xDoc::DefaultScale() {}
void CKv4731xDoc::ToggleMarker() {}
void CKv4731xDoc::CheckLogLimits() {}
void CKv4731xDoc::CheckReference() {}
void CKv4731xDoc::PlaceMarker(int) {}
void CKv4731xDoc::MoveMarker(MarkerKey) {}

}  // namespace kv

#pragma once

// Placement of the operator windows: centred on the main window and kept above it, without the
// main window owning them (their owners are the probe engine and the document).

class QWidget;

namespace kv {

void PlaceOverOwner(QWidget* window, QWidget* owner);

}  // namespace kv

// Accessibility of the painted widgets: what a screen reader finds in the position slider,
// the transport bar, the level bars, the time readout and the equaliser, and how assistive
// technology operates them (through the same routines as the mouse).
#pragma once

// Installs the interface factory of the painted widgets; each of them calls it when it is
// made. Later calls do nothing.
void installWidgetAccessibility();

// Must not compile: above the framework a control's widget cannot be had, since only the
// framework's private ControlsWidget.h says what it is (see CMakeLists.txt).
#include "framework/Controls.h"

bool Probe(const TWinControl& control) { return control.Widget() != nullptr; }

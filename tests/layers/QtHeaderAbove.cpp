// Must not compile: a layer above the framework has no Qt headers in reach (see
// CMakeLists.txt; the test passes on the compiler's complaint about <QImage>).
#include "framework/Controls.h"

#include <QImage>

QImage Probe() { return {}; }

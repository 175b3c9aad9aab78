// Writing layouts (the format is described in LayoutReader.h).
//
// WriteLayout gives the text of a root component and the components it owns: for each, its
// stored published properties that differ from their declared defaults (all stored ones
// when no default is declared; read-only properties never), nested objects as blocks
// (omitted when nothing in them is written), binary data as hexadecimal lines, handlers by
// the name of the root's published method, and component references by name. A component
// is written inside the block of its parent component (GetParentComponent) when that
// parent belongs to the root, else at the root's level. Reading the text back into a new
// root of the same class gives the same properties.
//
// Failure: EWriteError when a handler is not a published method of the root, or a
// reference points outside the root's components. csWriting is set on each component
// while it is written. UI thread.
#pragma once

#include <string>

class TComponent;

std::string WriteLayout(const TComponent& root);

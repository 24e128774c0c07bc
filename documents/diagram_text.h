// SmartArt: a diagram's text, shown on the page and paid for, is read from its data part (the one
// a dgm:relIds element's r:dm names), not from the drawing its program caches beside it.
#pragma once
#include "documents/office_package.h"

// The diagram a dgm:relIds start element names, through its part's relationships: its data part's
// name in *pName, or false when it names none the package holds (memory failing refuses the text).
bool DiagramDataPart(const XmlReader& reader, const Relationships& relationships, OfficePackage* pPackage,
                     XmlSpan* pName);

// The text of the points the diagram shows as its own: type "node" (the default) and "asst"; not
// the presentation's ("pres"), the connections' ("parTrans", "sibTrans") or the document's ("doc").
// Each paragraph of a point ends a line.
bool ReadDiagramText(OfficePackage* pPackage, XmlSpan dataPart, DocumentText* pText);

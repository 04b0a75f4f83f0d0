#pragma once

#include "print/PersonPrint.h"

#include <QString>

#include <functional>

// Writes pages to path as a PDF on A4, through a temporary file that
// replaces path only when all is written. Throws ZilvarenError with the
// step that failed.
void writePdf(const QString& path, const std::function<bool(QPagedPaintDevice&)>& pages);

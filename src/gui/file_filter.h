// File dialog filters: the "Name|pattern|Name|pattern||" form the dialog logic uses, turned into
// Qt's list of "Name (patterns)" entries.
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace sonarel {

// One entry per name/pattern pair, in order. A pattern list separated by ';' becomes a
// space-separated list; "*.*" (every file, dotted or not) becomes "*". A name that already
// ends with its patterns in parentheses has them replaced, so "All Files (*.*)" reads
// "All Files (*)". An incomplete last pair is dropped.
QStringList ToQtNameFilters(const std::string& filter);

} // namespace sonarel

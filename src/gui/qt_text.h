// Text crossing between the toolkit-free logic (UTF-8 std::string) and Qt (QString). File names
// on this host are UTF-8 too, so the same conversion serves names and messages.
#pragma once

#include <QString>
#include <string>

namespace sonarel {

inline QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string ToStdString(const QString& text) {
    return text.toStdString();
}

} // namespace sonarel
